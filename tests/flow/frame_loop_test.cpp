// The game's own start-up and title frames on a real display.
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/input/hook.h"
#include "engine/platform/platform.h"
#include "game/flow/game.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

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
    EXPECT_NEAR(gFlips, 180, 6);
    CloseGraphics();
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The game finds its files relative to its own folder; a copy keeps
    // the save file of one run from steering the next
    std::string folder = testsupport::CopyStageFolder();
    if (chdir(folder.c_str()) != 0) return 1;
    testsupport::AddXvfbEnvironment(1024, 768, 24);
    int result = RUN_ALL_TESTS();
    testsupport::RemoveFolder(folder);
    return result;
}
