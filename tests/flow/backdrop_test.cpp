// The scrolling backdrop and the sun, drawn by the game on a real display.
#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/input/event.h"
#include "engine/input/input.h"
#include "game/flow/game.h"
#include "tests/support/game_folder.h"

using namespace engine;

namespace {

class Backdrop : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        game_ = new game::Game;
        game::Stage stage = game::Startup(*game_);
        while (stage != game::Stage::Title) stage = game::Step(*game_, stage);
    }
    static void TearDownTestSuite()
    {
        CloseGraphics();
        delete game_;
    }
    static void Frame()
    {
        Cls();
        game::ResetDrawState();
        game::StepBackdrop(*game_);
    }
    // The same frames with all but one pixel clipped away, so the software
    // rasterizer does not spend the test filling the screen
    static void ClippedFrames(int count)
    {
        SetViewport(0, 0, 1, 1);
        for (int i = 0; i < count; ++i) Frame();
        SetViewport(0, 0, 800, 600);
    }
    static inline game::Game* game_ = nullptr;
};

TEST_F(Backdrop, AfterTwoThousandFramesEveryRowIsBackWhereItStarted)
{
    game::Game& g = *game_;
    Frame();
    int start = g.scrollPos;
    int offsets[25];
    for (int r = 0; r < 25; ++r) offsets[r] = game::BackdropRowOffset(start, r);
    // Below the sun the picture depends on the rows alone
    std::shared_ptr<TPixmap> before = GrabPixmap(0, 150, 800, 450);
    ClippedFrames(1999);
    Frame();
    EXPECT_EQ(g.scrollPos, start);
    for (int r = 0; r < 25; ++r) EXPECT_EQ(game::BackdropRowOffset(g.scrollPos, r), offsets[r]) << r;
    std::shared_ptr<TPixmap> after = GrabPixmap(0, 150, 800, 450);
    int differing = 0;
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 800; ++x) differing += before->ReadPixel(x, y) != after->ReadPixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(Backdrop, RowsScrollAtTheirOwnSpeedsAndWrapAt8000)
{
    const struct {
        int scroll, row, offset;
    } cases[] = {
        {4, 0, 0}, {40, 0, 4}, {4000, 0, 400}, {8000, 0, 0},
        {4000, 14, 0},   // 0.2: 800
        {1000, 15, 400}, {1000, 19, 400}, {7996, 19, 795}, {500, 20, 50},
    };
    for (const auto& c : cases) EXPECT_EQ(game::BackdropRowOffset(c.scroll, c.row), c.offset) << c.scroll << " row " << c.row;
    game::Game& g = *game_;
    g.scrollPos = 7998;
    Frame();
    EXPECT_EQ(g.scrollPos, 2);   // 8002 wraps
}

TEST_F(Backdrop, TheSunPulsesBetweenOneAndOnePointThreeAndTurns)
{
    game::Game& g = *game_;
    int turns = g.frameCounter;
    float lowX = 9, highX = 0, lowY = 9, highY = 0;
    SetViewport(0, 0, 1, 1);
    for (int i = 0; i < 3000; ++i) {
        Frame();
        lowX = std::min(lowX, g.sunScaleX), highX = std::max(highX, g.sunScaleX);
        lowY = std::min(lowY, g.sunScaleY), highY = std::max(highY, g.sunScaleY);
    }
    SetViewport(0, 0, 800, 600);
    EXPECT_EQ(g.frameCounter, turns + 3000);
    // A scale may pass a bound by one step of at most 0.004 before it turns
    EXPECT_GE(lowX, 1.0f - 0.0041f);
    EXPECT_LE(highX, 1.3f + 0.0041f);
    EXPECT_GE(lowY, 1.0f - 0.0041f);
    EXPECT_LE(highY, 1.3f + 0.0041f);
    // ...and it does travel the whole range
    EXPECT_LT(lowX, 1.01f);
    EXPECT_GT(highX, 1.29f);
}

TEST_F(Backdrop, TheSkyTheDunesAndTheSunAreOnScreen)
{
    Frame();
    std::shared_ptr<TPixmap> sky = GrabPixmap(300, 100, 1, 1), dune = GrabPixmap(300, 550, 1, 1);
    std::shared_ptr<TPixmap> sun = GrabPixmap(700, 60, 1, 1);
    EXPECT_GT(sky->Blue(0, 0), sky->Red(0, 0) + 60) << std::hex << sky->ReadPixel(0, 0);
    EXPECT_GT(dune->Red(0, 0), dune->Blue(0, 0) + 60) << std::hex << dune->ReadPixel(0, 0);
    EXPECT_GT(sun->Red(0, 0), 180) << std::hex << sun->ReadPixel(0, 0);
    EXPECT_GT(sun->Green(0, 0), 120);
}

TEST_F(Backdrop, TheSunStepTakesTheFramesLeftClicks)
{
    game::Game& g = *game_;
    TEvent::Create(EVENT_MOUSEDOWN, nullptr, MOUSE_LEFT).Emit();
    TEvent::Create(EVENT_MOUSEUP, nullptr, MOUSE_LEFT).Emit();
    TEvent::Create(EVENT_MOUSEDOWN, nullptr, MOUSE_LEFT).Emit();
    Frame();
    EXPECT_EQ(g.shotPending, 2);
    Frame();
    EXPECT_EQ(g.shotPending, 0);
}

} // namespace

int main(int argc, char** argv) { return testsupport::RunTestsInGameFolder(argc, argv); }
