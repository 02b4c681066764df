#include <string>

#include "engine/audio/audio.h"
#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/draw/sdl/sdl_canvas_driver.h"
#include "engine/input/system_driver.h"
#include "engine/platform/platform.h"
#include "engine/runtime/error.h"
#include "engine/draw/font.h"
#include "engine/draw/image.h"
#include "engine/draw/pixmap_loader.h"
#include "game/flow/art_check.h"
#include "game/flow/game.h"
#include "game/flow/player_id.h"
#include "game/flow/screens.h"
#include "game/flow/sounds.h"

namespace game {

using namespace engine;

static void StartEngine()
{
    std::string error;
    if (!platform::Startup(error)) Fatal("Unable to reach a display: " + error);
    RegisterPixmapLoaders();
    RegisterFontLoaders();
    StartAudio();
    SetGraphicsDriver(GLCanvasDriver(), GRAPHICS_BACKBUFFER);
}

Stage Startup(Game& g)
{
    StartEngine();
    platform::SetAppTitle(kAppTitle);
    g.saved.playerId = NewPlayerId();
    std::string error;
    g.dataModified = ArtModified(kPlayerSheetPath, kGfxSheetPath, error);
    if (g.dataModified < 0) Fatal(error);
    scores::ReadSaveFile(g.saved, NewPlayerId);
    return SetUpDisplay(g);
}

// The renderer setting picks the back-end: 0 OpenGL, 1 the platform's 2D
// renderer. Other values keep the driver in force.
static void SelectGraphicsDriver(int rendererChoice)
{
    if (rendererChoice == 0) SetGraphicsDriver(GLCanvasDriver(), GRAPHICS_BACKBUFFER);
    if (rendererChoice == 1) SetGraphicsDriver(SDLCanvasDriver(), GRAPHICS_BACKBUFFER);
}

// The game cannot run without any of its art or fonts
template <typename Resource>
static std::shared_ptr<Resource> Required(std::shared_ptr<Resource> resource, const char* path)
{
    if (!resource) Fatal(std::string("Unable to load ") + path);
    return resource;
}

static void LoadArt(Resources& res)
{
    res.playerSheet = Required(LoadAnimImage(kPlayerSheetPath, 64, 64, 0, 100), kPlayerSheetPath);
    res.gfxSheet = Required(LoadAnimImage(kGfxSheetPath, 64, 64, 0, 100), kGfxSheetPath);
    res.particleSheet = Required(LoadAnimImage(kParticleSheetPath, 8, 8, 0, 6), kParticleSheetPath);
    res.barImage = Required(LoadImage(kBarImagePath), kBarImagePath);
    res.bigFont = Required(LoadImageFont(kTitleFontPath, 64, FONT_SMOOTH), kTitleFontPath);
    res.smallFont = Required(LoadImageFont(kTitleFontPath, 24, FONT_SMOOTH), kTitleFontPath);
    res.digitFont = Required(LoadImageFont(kDigitFontPath, 24, FONT_SMOOTH), kDigitFontPath);
}

Stage SetUpDisplay(Game& g)
{
    SelectGraphicsDriver(g.saved.rendererChoice);
    LoadSoundSlots(g);
    if (!OpenGraphics(kScreenWidth, kScreenHeight, g.saved.screenDepth, kHertz, 0))
        Fatal("Unable to open the " + std::to_string(kScreenWidth) + " x " + std::to_string(kScreenHeight) +
              " display: " + GraphicsError());
    SetBlend(BLEND_ALPHA);
    SetMaskColor(255, 0, 255);
    SetMouseVisible(0);
    if (!g.displaySetUpOnce) {
        LoadArt(g.res);
        g.run.art = {g.res.playerSheet, g.res.gfxSheet, g.res.particleSheet};
        g.run.playSound = [&g](int slot) { PlaySlot(g, slot); };
    }
    // Images outlive displays; only their handles are set again
    MidHandleImage(*g.res.playerSheet);
    MidHandleImage(*g.res.gfxSheet);
    MidHandleImage(*g.res.particleSheet);
    SetImageFont(g.res.bigFont);
    g.displaySetUpOnce = true;
    // Opening the tune once proves it is there before the title needs it
    if (!g.tuneOpenedOnce) StartTune(g);
    g.tuneOpenedOnce = true;
    StopTune(g);
    return Stage::EnterTitle;
}

void QuitSequence(Game& g)
{
    StopTune(g);
    SetMouseVisible(1);
    CloseGraphics();
    ShutdownAudio();
    platform::Shutdown();
}

Stage Step(Game& g, Stage stage)
{
    switch (stage) {
    case Stage::SetUpDisplay: return SetUpDisplay(g);
    case Stage::EnterTitle: return EnterTitle(g);
    case Stage::Title: return TitleFrame(g);
    case Stage::BeginRun: return BeginRun(g);
    case Stage::Run: return RunFrame(g);
    case Stage::EndOfRun: return EndOfRun(g);
    case Stage::ScoreTally: return ScoreTally(g);
    case Stage::Tally: return TallyFrame(g);
    case Stage::Quit: break;
    }
    return Stage::Quit;
}

void RunGame(Game& g)
{
    Stage stage = Startup(g);
    while (stage != Stage::Quit) stage = Step(g, stage);
    QuitSequence(g);
}

} // namespace game
