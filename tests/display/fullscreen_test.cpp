// Full screen on an Xvfb screen that has the 800 x 600 mode, and on one that
// has not (the desktop full-screen fallback, letterboxed). The screen size
// comes from the command line: --screen=800x600 or --screen=1024x768.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/display/gl_graphics_driver.h"
#include "engine/display/sdl_graphics_driver.h"
#include "engine/input/input.h"
#include "engine/input/system_driver.h"
#include "tests/support/display.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

using namespace engine;
using testsupport::RunCommand;

namespace {

int gScreenWidth = 800, gScreenHeight = 600;

platform::TWindow* CurrentWindow()
{
    TGraphics* graphics = CurrentCanvas()->_graphics.get();
    if (auto* gl = dynamic_cast<TGLGraphics*>(graphics)) return gl->Window();
    if (auto* sdl = dynamic_cast<TSDLGraphics*>(graphics)) return sdl->Window();
    return nullptr;
}

class FullscreenTest : public testing::TestWithParam<testsupport::DriverKind> {
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::OpenTestDisplay(GetParam(), 800, 600, 32)); }
    void TearDown() override { CloseGraphics(); }
};

TEST_P(FullscreenTest, OpensAndCoversTheScreen)
{
    platform::TWindow* window = CurrentWindow();
    ASSERT_NE(window, nullptr);
    platform::ViewRect view = platform::WindowView(window);
    EXPECT_EQ(view.drawableWidth, gScreenWidth);
    EXPECT_EQ(view.drawableHeight, gScreenHeight);
    EXPECT_EQ(GraphicsDepth(), 32);
    // Xvfb has no retrace, so the measurement leaves the clock in charge
    EXPECT_EQ(SoftSync(), 1);
    if (gScreenWidth == 800 && gScreenHeight == 600) {
        EXPECT_GE(platform::FullscreenMatch(window), 1) << "the exact mode should be used";
        EXPECT_EQ(view.w, 800);
        EXPECT_EQ(view.h, 600);
    } else {
        EXPECT_EQ(platform::FullscreenMatch(window), 0) << "no 800 x 600 mode: desktop fallback";
    }
}

// The picture fills the largest 4:3 box the screen holds, centred
TEST_P(FullscreenTest, ThePictureIsScaledIntoTheScreen)
{
    platform::ViewRect view = platform::WindowView(CurrentWindow());
    double scale = std::min(gScreenWidth / 800.0, gScreenHeight / 600.0);
    EXPECT_EQ(view.w, int(800 * scale + 0.5));
    EXPECT_EQ(view.h, int(600 * scale + 0.5));
    EXPECT_EQ(view.x, (gScreenWidth - view.w) / 2);

    SetBlend(BLEND_SOLID);
    SetClsColor(0, 0, 0);
    Cls();
    SetColor(255, 0, 0);
    DrawRect(380, 280, 40, 40);
    // What the drawing layer reads back is in picture pixels
    std::shared_ptr<TPixmap> centre = GrabPixmap(400, 300, 1, 1);
    EXPECT_EQ(centre->Red(0, 0), 255);
    std::shared_ptr<TPixmap> corner = GrabPixmap(10, 10, 1, 1);
    EXPECT_EQ(corner->Red(0, 0), 0);
    Flip(0);
}

// A pointer moved to the middle of the screen is at the middle of the picture
TEST_P(FullscreenTest, MousePositionsAreMappedBackToThePicture)
{
    PollSystem();
    RunCommand("xdotool mousemove " + std::to_string(gScreenWidth / 2) + " " + std::to_string(gScreenHeight / 2));
    for (int i = 0; i < 50 && MousePosX() == 0; ++i) platform::SleepMillis(10);
    RunCommand("xdotool mousemove_relative 1 1");
    platform::SleepMillis(100);
    EXPECT_NEAR(MousePosX(), 400, 2);
    EXPECT_NEAR(MousePosY(), 300, 2);
}

INSTANTIATE_TEST_SUITE_P(Drivers, FullscreenTest, testsupport::AllDrivers(), testsupport::DriverName);

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--screen=", 9) == 0) std::sscanf(argv[i] + 9, "%dx%d", &gScreenWidth, &gScreenHeight);
    testsupport::AddXvfbEnvironment(gScreenWidth, gScreenHeight, 24);
    return RUN_ALL_TESTS();
}
