// The renderer setting on the game's own display set-up: each value opens
// its back-end, the title looks the same on both, and images and fonts
// loaded once survive every switch.
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/font.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/draw/sdl/sdl_canvas_driver.h"
#include "engine/random/random.h"
#include "game/flow/game.h"
#include "tests/support/game_folder.h"

using namespace engine;

namespace {

// The same title picture whatever ran before: backdrop, sun and a line in
// each of the three fonts
std::shared_ptr<TPixmap> TitlePicture(game::Game& g)
{
    SeedRandom(1234);
    g.scrollPos = 120;
    g.frameCounter = 0;
    g.sunScaleX = g.sunScaleY = 1.2f;
    g.sunSpeedX = g.sunSpeedY = 0.01f;
    Cls();
    game::ResetDrawState();
    game::StepBackdrop(g);
    game::ResetDrawState();
    SetImageFont(g.res.bigFont);
    DrawText(u"Varnick", 200, 180);
    SetImageFont(g.res.smallFont);
    DrawText(u"Bozzle", 220, 260);
    SetImageFont(g.res.digitFont);
    DrawText(u"0123456789", 220, 320);
    SetImageFont(nullptr);
    DrawText(u"(F3) Switch to OpenGL", 0, 20);
    return GrabPixmap(0, 0, game::kScreenWidth, game::kScreenHeight);
}

void SwitchTo(game::Game& g, int rendererChoice)
{
    g.saved.rendererChoice = rendererChoice;
    game::Stage stage = game::SetUpDisplay(g);
    while (stage != game::Stage::Title) stage = game::Step(g, stage);
}

struct Difference {
    double mean = 0;      // mean absolute difference per channel, in levels
    double far = 0;       // share of pixels with a channel more than 32 levels off
};

Difference Compare(const TPixmap& a, const TPixmap& b)
{
    Difference d;
    long long sum = 0, farPixels = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            std::uint32_t p = a.ReadPixel(x, y), q = b.ReadPixel(x, y);
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                int delta = std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF));
                sum += delta;
                worst = std::max(worst, delta);
            }
            farPixels += worst > 32;
        }
    }
    d.mean = double(sum) / (3.0 * a.width * a.height);
    d.far = double(farPixels) / (double(a.width) * a.height);
    return d;
}

TEST(RendererSwitch, EachSettingOpensItsBackEndAndTheTitleLooksTheSame)
{
    game::Game g;
    g.saved.rendererChoice = 1;
    game::Stage stage = game::Startup(g);
    while (stage != game::Stage::Title) stage = game::Step(g, stage);
    SwitchTo(g, 1);
    ASSERT_EQ(CurrentCanvasDriver(), SDLCanvasDriver());
    std::shared_ptr<TPixmap> onRenderer = TitlePicture(g);
    // A real picture: blue sky, white title letters
    EXPECT_GT(onRenderer->Blue(300, 100), onRenderer->Red(300, 100) + 60);
    EXPECT_EQ(onRenderer->ReadPixel(212, 222) & 0xFFFFFF, 0xFFFFFFu);

    SwitchTo(g, 0);
    ASSERT_EQ(CurrentCanvasDriver(), GLCanvasDriver());
    EXPECT_EQ(CurrentCanvas()->blend_mode, BLEND_ALPHA);
    std::shared_ptr<TPixmap> onOpenGL = TitlePicture(g);

    // Filtering and rounding differ by a level here and there; a missing
    // image, glyph or blend would move thousands of pixels far
    Difference d = Compare(*onRenderer, *onOpenGL);
    std::printf("title across back-ends: mean difference %.3f levels, %.4f%% of pixels far off\n", d.mean, d.far * 100);
    EXPECT_LT(d.mean, 1.0);
    EXPECT_LT(d.far, 0.001);

    // Back again: the images and fonts loaded once upload anew and draw the
    // very same picture
    SwitchTo(g, 1);
    ASSERT_EQ(CurrentCanvasDriver(), SDLCanvasDriver());
    Difference again = Compare(*onRenderer, *TitlePicture(g));
    EXPECT_EQ(again.mean, 0.0);
    CloseGraphics();
}

// Another value selects neither back-end: the one in force stays
TEST(RendererSwitch, AnUnknownSettingKeepsTheBackEndInForce)
{
    game::Game g;
    g.saved.rendererChoice = 0;
    game::Stage stage = game::Startup(g);
    while (stage != game::Stage::Title) stage = game::Step(g, stage);
    SwitchTo(g, 0);
    SwitchTo(g, 7);
    EXPECT_EQ(CurrentCanvasDriver(), GLCanvasDriver());
    CloseGraphics();
}

} // namespace

int main(int argc, char** argv) { return testsupport::RunTestsInGameFolder(argc, argv); }
