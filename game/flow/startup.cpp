#include <string>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/input/system_driver.h"
#include "engine/platform/platform.h"
#include "engine/runtime/error.h"
#include "game/flow/game.h"
#include "game/flow/player_id.h"

namespace game {

using namespace engine;

void ResetDrawState()
{
    SetAlpha(1.0f);
    SetRotation(0.0f);
    SetScale(1.0f, 1.0f);
    SetColor(255, 255, 255);
    SetHandle(0.0f, 0.0f);
}

static void StartEngine()
{
    std::string error;
    if (!platform::Startup(error)) Fatal("Unable to reach a display: " + error);
    SetGraphicsDriver(GLCanvasDriver(), GRAPHICS_BACKBUFFER);
}

Stage Startup(Game& g)
{
    StartEngine();
    platform::SetAppTitle(kAppTitle);
    g.saved.playerId = NewPlayerId();
    scores::ReadSaveFile(g.saved, NewPlayerId);
    return SetUpDisplay(g);
}

// The renderer setting picks the back-end; until the second back-end
// exists both values draw through OpenGL. Other values keep the driver.
static void SelectGraphicsDriver(int rendererChoice)
{
    if (rendererChoice == 0 || rendererChoice == 1) SetGraphicsDriver(GLCanvasDriver(), GRAPHICS_BACKBUFFER);
}

Stage SetUpDisplay(Game& g)
{
    SelectGraphicsDriver(g.saved.rendererChoice);
    if (!OpenGraphics(kScreenWidth, kScreenHeight, g.saved.screenDepth, kHertz, 0))
        Fatal("Unable to open the " + std::to_string(kScreenWidth) + " x " + std::to_string(kScreenHeight) +
              " display: " + GraphicsError());
    SetBlend(BLEND_ALPHA);
    SetMouseVisible(0);
    g.displaySetUpOnce = true;
    return Stage::EnterTitle;
}

void QuitSequence(Game&)
{
    SetMouseVisible(1);
    CloseGraphics();
    platform::Shutdown();
}

Stage Step(Game& g, Stage stage)
{
    switch (stage) {
    case Stage::SetUpDisplay: return SetUpDisplay(g);
    case Stage::EnterTitle: return EnterTitle(g);
    case Stage::Title: return TitleFrame(g);
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
