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

    EXPECT_EQ(QuitWithEscape(game_, window, 10000), 0) << game_.stderrText;
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

// Every art file the game needs: missing or damaged, the game stops with one
// line naming it. The art check reads the two sheets before the display
// opens; the other files load after it, so their error also shows in a
// message box, which the test dismisses with Return.
// The box carries the game's title but not the game window's size; xdotool's
// search does not see it, the window tree does
std::string MessageBoxWindow()
{
    for (int i = 0; i < 100; ++i) {
        std::string tree = RunCommand("xwininfo -root -tree");
        for (std::size_t at = 0; at < tree.size();) {
            std::size_t end = tree.find('\n', at);
            std::string line = tree.substr(at, end - at);
            at = end == std::string::npos ? tree.size() : end + 1;
            if (line.find(kTitle) == std::string::npos || line.find("800x600") != std::string::npos) continue;
            std::size_t id = line.find("0x");
            if (id != std::string::npos) return line.substr(id, line.find(' ', id) - id);
        }
        RunCommand("sleep 0.05");
    }
    return "";
}

TEST_F(GameFolder, MissingOrDamagedArtStopsTheGameWithOneLineNamingTheFile)
{
    const struct {
        const char* file;
        const char* damage;   // shell command run in system/m013
        const char* message;
        bool messageBox;
    } cases[] = {
        {"varnicka.png", "rm varnicka.png", "Unable to open system/m013/varnicka.png", false},
        {"gfx.png", "head -c 16000 gfx.png > g && mv g gfx.png",
         "Unable to read the first 17000 bytes of system/m013/gfx.png", false},
        {"bar.png", "rm bar.png", "Unable to load system/m013/bar.png", true},
        {"particles.png", "echo not a picture > particles.png", "Unable to load system/m013/particles.png", true},
        {"clasict1.ttf", "rm clasict1.ttf", "Unable to load system/m013/clasict1.ttf", true},
        {"circulate brk.ttf", "head -c 100 'circulate brk.ttf' > f && mv f 'circulate brk.ttf'",
         "Unable to load system/m013/circulate brk.ttf", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string folder = CopyStageFolder();
        RunCommand("cd '" + folder + "/system/m013' && " + c.damage);
        Child game;
        ASSERT_TRUE(Spawn({folder + "/varnick-bozzle"}, "/", game));
        if (c.messageBox) {
            std::string box = MessageBoxWindow();
            EXPECT_FALSE(box.empty()) << "no message box";
            RunCommand("xdotool windowfocus --sync " + box + " && xdotool key Return");
        }
        EXPECT_EQ(WaitExit(game, 10000), 1);
        EXPECT_EQ(game.stderrText, std::string("varnick-bozzle: ") + c.message + "\n");
        RemoveFolder(folder);
    }
}

} // namespace
