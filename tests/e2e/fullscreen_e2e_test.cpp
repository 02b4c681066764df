// Full screen through the real binary, as a player starts it with full
// screen saved: on screens with and without an 800 x 600 mode, with and
// without a window manager, the picture must fill the screen.
#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include "scores/save_file.h"
#include "tests/support/process.h"
#include "tests/support/x11_screen.h"
#include "tests/support/xvfb.h"

using namespace testsupport;

namespace {

const char* kTitle = "Orvo's Pollux Framework";

struct Case {
    int width, height;
    bool windowManager;
    int renderer = 1;   // 0 OpenGL, 1 the 2D renderer
};

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
           (info.param.windowManager ? "_openbox" : "_bare") + (info.param.renderer ? "_2d" : "_opengl");
}

// The sun's core, drawn in 255, 200, 100 at (700, 60) of the picture
bool LooksLikeTheSun(Rgb p) { return p.r > 200 && p.g > 120 && p.b < 160; }
bool Black(Rgb p) { return p.r < 8 && p.g < 8 && p.b < 8; }

class FullScreen : public testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        outerDisplay_ = std::getenv("DISPLAY");
        std::string error;
        ASSERT_TRUE(StartXvfb(GetParam().width, GetParam().height, 24, server_, error)) << error;
        if (GetParam().windowManager) ASSERT_TRUE(StartWindowManager(wm_));
        folder_ = CopyStageFolder();
        ASSERT_FALSE(folder_.empty());
        scores::PersistentValues values;
        values.playerId = 4711;
        values.screenDepth = 32;
        values.rendererChoice = GetParam().renderer;
        scores::WriteSaveFile(values, folder_ + "/system/m013/ironing.hat");
    }
    void TearDown() override
    {
        Kill(game_);
        Kill(wm_);
        StopXvfb(server_);
        setenv("DISPLAY", outerDisplay_.c_str(), 1);
        RemoveFolder(folder_);
    }

    std::string outerDisplay_;
    XServer server_;
    Child wm_, game_;
    std::string folder_;
};

TEST_P(FullScreen, ThePictureFillsTheScreen)
{
    const Case c = GetParam();
    ASSERT_TRUE(Spawn({folder_ + "/varnick-bozzle"}, "/", game_));
    std::string window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(window.empty()) << game_.stderrText;

    // The whole 800 x 600 picture, scaled to the screen and centred
    const double scale = std::min(c.width / 800.0, c.height / 600.0);
    const int left = int((c.width - 800 * scale) / 2), top = int((c.height - 600 * scale) / 2);
    auto onScreen = [&](int x, int y) { return std::pair{left + int(x * scale), top + int(y * scale)}; };

    // A window manager may take a moment to honour the request
    ScreenShot shot;
    WindowGeometry where;
    for (int i = 0; i < 50; ++i) {
        RunCommand("sleep 0.1");
        ASSERT_TRUE(GrabScreen(shot));
        ASSERT_TRUE(WindowOnScreen(window, where));
        auto [sx, sy] = onScreen(700, 60);
        auto [bx, by] = onScreen(790, 590);
        if (where.width == c.width && LooksLikeTheSun(shot.At(sx, sy)) && !Black(shot.At(bx, by))) break;
    }
    SaveScreenShot(shot, "/tmp/vb-fullscreen-" + CaseName({c, 0}) + ".png");

    EXPECT_EQ(where.x, 0);
    EXPECT_EQ(where.y, 0);
    EXPECT_EQ(where.width, c.width);
    EXPECT_EQ(where.height, c.height);
    auto [sx, sy] = onScreen(700, 60);
    Rgb sun = shot.At(sx, sy);
    EXPECT_TRUE(LooksLikeTheSun(sun)) << "at " << sx << ", " << sy << ": " << sun.r << " " << sun.g << " " << sun.b;
    // The picture's four corners are backdrop, not black
    for (auto [px, py] : {std::pair{4, 4}, {795, 4}, {4, 595}, {795, 595}}) {
        auto [x, y] = onScreen(px, py);
        EXPECT_FALSE(Black(shot.At(x, y))) << "picture point " << px << ", " << py << " at " << x << ", " << y;
    }
    EXPECT_EQ(QuitWithEscape(game_, window, 10000), 0) << game_.stderrText;
}

INSTANTIATE_TEST_SUITE_P(Screens, FullScreen,
                         testing::Values(Case{1024, 768, false}, Case{1024, 768, true}, Case{800, 600, false},
                                         Case{800, 600, true}, Case{1280, 720, false}, Case{1024, 768, false, 0},
                                         Case{1024, 768, true, 0}, Case{1280, 720, false, 0}),
                         CaseName);

} // namespace
