// The real binary through its screens, as a player drives it: the title, a
// run started by a click and ended by Escape, the tally, the title again and
// quitting. Bare Xvfb and under a window manager; screenshots are kept in
// the build folder (e2e-shots) for looking at.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "scores/save_file.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

using namespace testsupport;

namespace {

const char* kTitle = "Orvo's Pollux Framework";

// A screenshot of the whole screen, read back from a PPM copy
struct Shot {
    int width = 0, height = 0;
    std::string rgb;
    // Pixels of the box (relative to the window's corner) that are text white
    int WhiteIn(int left, int top, int x0, int y0, int x1, int y1) const
    {
        int count = 0;
        for (int y = top + y0; y < top + y1 && y < height; ++y)
            for (int x = left + x0; x < left + x1 && x < width; ++x) {
                const unsigned char* p = reinterpret_cast<const unsigned char*>(&rgb[std::size_t(3 * (y * width + x))]);
                count += p[0] >= 230 && p[1] >= 230 && p[2] >= 230;
            }
        return count;
    }
};

std::string ShotFolder()
{
    std::string folder = std::string(VB_STAGE_DIR) + "/../e2e-shots";
    mkdir(folder.c_str(), 0755);
    return folder;
}

Shot TakeShot(const std::string& name)
{
    std::string png = ShotFolder() + "/" + name + ".png", ppm = ShotFolder() + "/" + name + ".ppm";
    RunCommand("import -window root '" + png + "' && convert '" + png + "' '" + ppm + "'");
    Shot shot;
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> shot.width >> shot.height >> maxValue;
    in.get();
    shot.rgb.resize(std::size_t(shot.width * shot.height * 3));
    in.read(shot.rgb.data(), std::streamsize(shot.rgb.size()));
    std::remove(ppm.c_str());
    if (magic != "P6" || !in) ADD_FAILURE() << "no screenshot " << png;
    return shot;
}

int AbsoluteCorner(const std::string& window, const char* axis)
{
    std::string info = RunCommand("xwininfo -id " + window);
    std::string key = std::string("Absolute upper-left ") + axis + ":";
    std::size_t at = info.find(key);
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + key.size());
}

bool FileExists(const std::string& path)
{
    struct stat s;
    return stat(path.c_str(), &s) == 0;
}

enum class Desktop { Bare, Openbox };

class Screens : public testing::TestWithParam<Desktop> {
protected:
    void SetUp() override
    {
        folder_ = CopyStageFolder();
        ASSERT_FALSE(folder_.empty());
        if (GetParam() == Desktop::Openbox) StartWindowManager();
    }
    void TearDown() override
    {
        Kill(game_);
        Kill(manager_);
        RemoveFolder(folder_);
    }
    void StartWindowManager()
    {
        ASSERT_TRUE(Spawn({"/usr/bin/openbox"}, "/", manager_));
        for (int i = 0; i < 100; ++i) {
            if (RunCommand("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos) return;
            RunCommand("sleep 0.05");
        }
        FAIL() << "openbox did not start";
    }
    std::string Name(const char* what) const
    {
        return std::string(what) + (GetParam() == Desktop::Openbox ? "-openbox" : "-bare");
    }
    // Screenshots until the condition holds, up to timeoutMillis
    template <typename Condition>
    bool ShotUntil(const char* what, Condition holds, int timeoutMillis, Shot& shot)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
        do {
            shot = TakeShot(Name(what));
            if (holds(shot)) return true;
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    std::string folder_;
    Child game_, manager_;
    int left_ = 0, top_ = 0;
};

TEST_P(Screens, TitleRunTallyTitleAndQuit)
{
    ASSERT_TRUE(Spawn({folder_ + "/varnick-bozzle"}, "/", game_));
    std::string window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(window.empty()) << game_.stderrText;
    // Entering the title writes the save file
    for (int i = 0; i < 200 && !FileExists(folder_ + "/system/m013/ironing.hat"); ++i) RunCommand("sleep 0.05");
    RunCommand("xdotool windowfocus --sync " + window + " && xdotool mousemove --window " + window + " 400 330");
    left_ = AbsoluteCorner(window, "X"), top_ = AbsoluteCorner(window, "Y");
    auto white = [&](const Shot& s, int x0, int y0, int x1, int y1) { return s.WhiteIn(left_, top_, x0, y0, x1, y1); };
    // The title words, and the labels in the corner where the tally has none
    auto titleShown = [&](const Shot& s) {
        return white(s, 250, 70, 450, 130) > 100 && white(s, 0, 0, 200, 30) > 20 && white(s, 450, 360, 630, 560) > 20;
    };

    Shot shot;
    ASSERT_TRUE(ShotUntil("title", titleShown, 5000, shot));
    const struct {
        const char* what;
        int x0, y0, x1, y1;
    } titleParts[] = {
        {"Varnick", 250, 70, 450, 130},  {"Bozzle", 350, 120, 550, 180}, {"Shoot to start", 200, 170, 600, 230},
        {"help lines", 280, 228, 520, 272}, {"name caption", 100, 368, 300, 392}, {"name row", 120, 390, 280, 412},
        {"score caption", 110, 448, 290, 472}, {"score row", 130, 470, 270, 492},
        {"board names", 450, 360, 630, 560}, {"board scores", 650, 360, 790, 560},
        {"board captions", 540, 308, 760, 352}, {"labels", 0, 0, 200, 30},
    };
    for (const auto& p : titleParts) EXPECT_GT(white(shot, p.x0, p.y0, p.x1, p.y1), 20) << p.what;

    // A click starts a run: no text is drawn during it, only the crosshair.
    // Birds fly at 250 and below, the player and the objects on the ground
    RunCommand("xdotool click 1");
    auto running = [&](const Shot& s) { return white(s, 0, 0, 800, 220) == 0 && white(s, 380, 300, 420, 360) > 0; };
    ASSERT_TRUE(ShotUntil("run", running, 5000, shot));

    // Escape ends it; the tally counts its three lines of 0 up
    RunCommand("xdotool keydown Escape && sleep 0.15 && xdotool keyup Escape");
    auto allLines = [&](const Shot& s) { return white(s, 200, 370, 600, 480) > 100; };
    ASSERT_TRUE(ShotUntil("tally", allLines, 10000, shot));
    const struct {
        const char* what;
        int x0, y0, x1, y1;
    } tallyParts[] = {
        {"Score", 300, 5, 500, 55},      {"Birds Shot", 200, 75, 600, 125}, {"0 x 10 = 0", 200, 125, 600, 175},
        {"- Birds Missed", 150, 225, 650, 275}, {"0 x 5 = 0", 200, 275, 600, 325},
        {"Total", 300, 495, 500, 545}, {"00000000", 200, 545, 600, 598},
    };
    for (const auto& p : tallyParts) EXPECT_GT(white(shot, p.x0, p.y0, p.x1, p.y1), 50) << p.what;
    // The tally has no backdrop
    EXPECT_EQ(white(shot, 650, 0, 800, 20), 0);

    // ...and returns to the title, from which Escape quits
    ASSERT_TRUE(ShotUntil("title-again", titleShown, 15000, shot));
    EXPECT_EQ(QuitWithEscape(game_, window, 10000), 0) << game_.stderrText;
    EXPECT_TRUE(FileExists(folder_ + "/system/m013/ironing.hat"));
}

// On a screen that has the 800 x 600 mode, F1 takes the window to full
// screen over the whole screen, and F1 again brings it back
class FullScreen : public Screens {
protected:
    void SetUp() override
    {
        shared_ = std::getenv("DISPLAY");
        std::string error;
        ASSERT_TRUE(StartXvfb(800, 600, 24, screen_, error)) << error;
        Screens::SetUp();
    }
    void TearDown() override
    {
        Screens::TearDown();
        StopXvfb(screen_);
        setenv("DISPLAY", shared_.c_str(), 1);
    }
    bool WindowAt(const std::string& window, int x, int y, int timeoutMillis)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
        do {
            std::string info = RunCommand("xwininfo -id " + window);
            if (info.find("Width: 800") != std::string::npos && info.find("Height: 600") != std::string::npos &&
                AbsoluteCorner(window, "X") == x && AbsoluteCorner(window, "Y") == y)
                return true;
            RunCommand("sleep 0.1");
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }
    // The depth in the save file once it shows the wanted one, which the
    // title entry after the rebuild writes
    int SavedDepth(int wanted)
    {
        scores::PersistentValues values;
        for (int i = 0; i < 100; ++i) {
            values.screenDepth = -1;
            scores::ReadSaveFile(values, [] { return 1; }, folder_ + "/system/m013/ironing.hat");
            if (values.screenDepth == wanted) break;
            RunCommand("sleep 0.05");
        }
        return values.screenDepth;
    }
    void PressF1() { RunCommand("xdotool keydown F1 && sleep 0.15 && xdotool keyup F1"); }

    std::string shared_;
    XServer screen_;
};

TEST_P(FullScreen, F1SwitchesToFullScreenAndBack)
{
    ASSERT_TRUE(Spawn({folder_ + "/varnick-bozzle"}, "/", game_));
    std::string window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(window.empty()) << game_.stderrText;
    for (int i = 0; i < 200 && !FileExists(folder_ + "/system/m013/ironing.hat"); ++i) RunCommand("sleep 0.05");
    RunCommand("xdotool windowfocus --sync " + window);
    int windowedX = AbsoluteCorner(window, "X"), windowedY = AbsoluteCorner(window, "Y");
    ASSERT_FALSE(windowedX == 0 && windowedY == 0);

    PressF1();
    // The rebuilt display may be a new window with the same title
    std::string full;
    for (int i = 0; i < 50 && !WindowAt(full = WaitForWindow(kTitle, 2000), 0, 0, 200); ++i) {}
    ASSERT_TRUE(WindowAt(full, 0, 0, 100)) << RunCommand("xwininfo -id " + full);
    EXPECT_EQ(SavedDepth(32), 32);
    left_ = top_ = 0;
    Shot shot;
    auto titleShown = [&](const Shot& s) { return s.WhiteIn(0, 0, 250, 70, 450, 130) > 100 && s.WhiteIn(0, 0, 0, 0, 200, 30) > 20; };
    EXPECT_TRUE(ShotUntil("fullscreen", titleShown, 5000, shot));

    RunCommand("xdotool windowfocus --sync " + full);
    PressF1();
    std::string back;
    for (int i = 0; i < 50 && !WindowAt(back = WaitForWindow(kTitle, 2000), windowedX, windowedY, 200); ++i) {}
    EXPECT_TRUE(WindowAt(back, windowedX, windowedY, 100)) << RunCommand("xwininfo -id " + back);
    EXPECT_EQ(SavedDepth(0), 0);
    EXPECT_EQ(QuitWithEscape(game_, back, 10000), 0) << game_.stderrText;
}

INSTANTIATE_TEST_SUITE_P(Desktops, FullScreen, testing::Values(Desktop::Bare, Desktop::Openbox),
                         [](const testing::TestParamInfo<Desktop>& info) {
                             return info.param == Desktop::Openbox ? "Openbox" : "Bare";
                         });

INSTANTIATE_TEST_SUITE_P(Desktops, Screens, testing::Values(Desktop::Bare, Desktop::Openbox),
                         [](const testing::TestParamInfo<Desktop>& info) {
                             return info.param == Desktop::Openbox ? "Openbox" : "Bare";
                         });

} // namespace
