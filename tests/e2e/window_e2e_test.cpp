// The real binary under Xvfb: its window, quitting, and displays it cannot use.
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/x11_close.h"
#include "tests/support/xvfb.h"

using namespace testsupport;

namespace {

const char* kTitle = "Orvo's Pollux Framework";

int CountLines(const std::string& text)
{
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

class GameFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = CopyStageFolder();
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override
    {
        Kill(game_);
        RemoveFolder(folder_);
    }
    std::string Binary() const { return folder_ + "/varnick-bozzle"; }

    std::string folder_;
    Child game_;
};

TEST_F(GameFolder, OpensItsWindowFromAnotherFolderAndQuitsWithEscape)
{
    ASSERT_TRUE(Spawn({Binary()}, "/", game_));
    std::string window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(window.empty()) << game_.stderrText;
    std::string info = RunCommand("xwininfo -id " + window);
    EXPECT_NE(info.find("Width: 800"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 600"), std::string::npos) << info;
    EXPECT_NE(info.find("Absolute upper-left X:  32"), std::string::npos) << info;
    EXPECT_NE(info.find("Absolute upper-left Y:  32"), std::string::npos) << info;
    EXPECT_NE(info.find(kTitle), std::string::npos) << info;

    // Escape is read through its held state, so hold it across a few frames
    RunCommand("xdotool windowfocus --sync " + window + " && sleep 0.2 && xdotool keydown Escape && sleep 0.1 && xdotool keyup Escape");
    EXPECT_EQ(WaitExit(game_, 5000), 0) << game_.stderrText;
}

TEST_F(GameFolder, TheCloseButtonDoesNotEndTheGame)
{
    ASSERT_TRUE(Spawn({Binary()}, "/", game_));
    std::string window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(SendCloseRequest(window));
    EXPECT_EQ(WaitExit(game_, 1000, false), -1) << "the game ended on a close request: " << game_.stderrText;
    // Still there, and still ends through its own key
    EXPECT_FALSE(WaitForWindow(kTitle, 100).empty());
}

TEST_F(GameFolder, ADisplayThatCannotBeReachedStopsWithOneLine)
{
    // A runtime folder keeps the desktop libraries from adding lines of their own
    ASSERT_TRUE(Spawn({Binary()}, "/", game_, {"DISPLAY=:59999", "XDG_RUNTIME_DIR=/tmp"}));
    EXPECT_EQ(WaitExit(game_, 10000), 1);
    EXPECT_EQ(CountLines(game_.stderrText), 1) << game_.stderrText;
    EXPECT_NE(game_.stderrText.find("display"), std::string::npos) << game_.stderrText;
}

TEST_F(GameFolder, AnXServerWithoutOpenGLStopsWithOneLine)
{
    std::string display = std::getenv("DISPLAY");
    XServer noGl;
    std::string error;
    ASSERT_TRUE(StartXvfb(1024, 768, 24, noGl, error, {"-extension", "GLX"})) << error;
    setenv("DISPLAY", display.c_str(), 1);
    ASSERT_TRUE(Spawn({Binary()}, "/", game_, {"DISPLAY=" + noGl.name}));
    int code = WaitExit(game_, 10000);
    StopXvfb(noGl);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(CountLines(game_.stderrText), 1) << game_.stderrText;
    EXPECT_NE(game_.stderrText.find("display"), std::string::npos) << game_.stderrText;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    AddXvfbEnvironment(1024, 768, 24);
    return RUN_ALL_TESTS();
}
