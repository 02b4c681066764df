// The game's own start-up and title frames on a real display.
#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/input/hook.h"
#include "engine/platform/platform.h"
#include "game/flow/game.h"
#include "tests/support/game_folder.h"

using namespace engine;

namespace {

int gFlips = 0;
void* CountFlip(int, void* data, void*)
{
    ++gFlips;
    return data;
}

TEST(FrameLoop, TheTitleScreenPresentsSixtyFramesASecond)
{
    game::Game g;
    game::Stage stage = game::Startup(g);
    while (stage != game::Stage::Title) stage = game::Step(g, stage);
    EXPECT_EQ(platform::AppTitle(), "Orvo's Pollux Framework");
    EXPECT_EQ(GraphicsWidth(), 800);
    EXPECT_EQ(GraphicsHeight(), 600);

    AddHook(FlipHook(), CountFlip, nullptr);
    gFlips = 0;
    std::uint32_t start = platform::SystemMillis();
    while (platform::SystemMillis() - start < 3000) ASSERT_EQ(game::TitleFrame(g), game::Stage::Title);
    RemoveHook(FlipHook(), CountFlip, nullptr);
#ifdef __SANITIZE_ADDRESS__
    // The sanitized debug build may miss frames on a slow machine; it still
    // runs them for the memory checks, and pacing never runs ahead
    EXPECT_LE(gFlips, 186);
#else
    // Pacing never runs ahead of 60 a second; a frame of the software
    // renderer on a busy 2-core machine may now and then take longer than
    // its 16.7 ms, which costs a few frames but no more
    EXPECT_LE(gFlips, 186);
    EXPECT_GE(gFlips, 165);
#endif
    CloseGraphics();
}

} // namespace

int main(int argc, char** argv) { return testsupport::RunTestsInGameFolder(argc, argv); }
