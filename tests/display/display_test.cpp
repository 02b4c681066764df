// Opening, re-opening and presenting a real display under Xvfb.
#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/input/event.h"
#include "engine/input/hook.h"
#include "engine/input/input.h"
#include "engine/input/system_driver.h"
#include "tests/display/fake_clock.h"
#include "tests/support/display.h"
#include "tests/support/xvfb.h"

using namespace engine;
using testsupport::DriverKind;
using testsupport::FakeClock;

namespace {

int gFlips = 0;
void* CountFlip(int, void* data, void*)
{
    ++gFlips;
    return data;
}

class DisplayTest : public testing::TestWithParam<DriverKind> {
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::OpenTestDisplay(GetParam(), 800, 600)); }
    void TearDown() override
    {
        ResetDisplayClock();
        CloseGraphics();
    }
};

TEST_P(DisplayTest, WindowIsPacedByTheClockAtSixtyFramesASecond)
{
    FakeClock::Install();
    // Opening took the real clock; start the schedule on the fake one
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    EXPECT_EQ(SoftSync(), 1);
    std::uint32_t start = FakeClock::now;
    for (int frame = 0; frame < 60; ++frame) Flip(-1);
    EXPECT_EQ(FakeClock::now - start, 1000u);
    EXPECT_EQ(FakeClock::sleeps.size(), 60u);
}

TEST_P(DisplayTest, ALateFramePresentsAtOnce)
{
    FakeClock::Install();
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    Flip(-1);
    FakeClock::now += 30;
    FakeClock::sleeps.clear();
    Flip(-1);
    EXPECT_TRUE(FakeClock::sleeps.empty());
    std::uint32_t late = FakeClock::now;
    Flip(-1);
    ASSERT_EQ(FakeClock::sleeps.size(), 1u);
    EXPECT_TRUE(FakeClock::now - late == 16 || FakeClock::now - late == 17);
}

TEST_P(DisplayTest, FlipZeroNeverSleepsAndEveryFlipRunsTheFlipHooks)
{
    FakeClock::Install();
    AddHook(FlipHook(), CountFlip, nullptr);
    gFlips = 0;
    for (int i = 0; i < 5; ++i) Flip(0);
    Flip(1);
    Flip(-1);
    RemoveHook(FlipHook(), CountFlip, nullptr);
    EXPECT_EQ(gFlips, 7);
    // Only the paced flip may sleep
    EXPECT_LE(FakeClock::sleeps.size(), 1u);
}

TEST_P(DisplayTest, ReopeningRaisesTheGenerationTwiceAndClearsInput)
{
    // The new window's own focus events come first
    PollSystem();
    TEvent::Create(EVENT_KEYDOWN, nullptr, KEY_W).Emit();
    TEvent::Create(EVENT_MOUSEDOWN, nullptr, MOUSE_LEFT).Emit();
    TEvent::Create(EVENT_KEYCHAR, nullptr, 'a').Emit();
    ASSERT_EQ(KeyIsDown(KEY_W), 1);
    int generation = GraphicsGeneration();
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    EXPECT_EQ(GraphicsGeneration(), generation + 2);
    EXPECT_EQ(KeyIsDown(KEY_W), 0);
    EXPECT_EQ(TakeKeyHits(KEY_W), 0);
    EXPECT_EQ(MouseIsDown(MOUSE_LEFT), 0);
    EXPECT_EQ(TakeMouseHits(MOUSE_LEFT), 0);
    EXPECT_EQ(PopTypedChar(), 0);
    // The new display takes input again
    PollSystem();
    TEvent::Create(EVENT_KEYDOWN, nullptr, KEY_W).Emit();
    EXPECT_EQ(TakeKeyHits(KEY_W), 1);
}

TEST_P(DisplayTest, SettingsAreReadBackFromTheDisplay)
{
    EXPECT_EQ(GraphicsWidth(), 800);
    EXPECT_EQ(GraphicsHeight(), 600);
    EXPECT_EQ(GraphicsDepth(), 0);
    EXPECT_EQ(GraphicsHertz(), 60);
    ASSERT_NE(CurrentCanvas(), nullptr);
    EXPECT_EQ(CurrentCanvas()->viewport_w, 800);
    EXPECT_EQ(CurrentCanvas()->viewport_h, 600);
}

TEST_P(DisplayTest, SelectingTheSameDriverForgetsTheDisplayWithoutClosingIt)
{
    int generation = GraphicsGeneration();
    SetGraphicsDriver(testsupport::CanvasDriverOf(GetParam()), GRAPHICS_BACKBUFFER);
    EXPECT_EQ(GraphicsWidth(), 0);
    EXPECT_EQ(CurrentGraphics(), nullptr);
    EXPECT_EQ(GraphicsGeneration(), generation);
    // The next opening still closes the display opened before
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    EXPECT_EQ(GraphicsGeneration(), generation + 2);
}

TEST_P(DisplayTest, ModeListHoldsTheScreenMode)
{
    EXPECT_GT(CountGraphicsModes(), 0);
    EXPECT_TRUE(GraphicsModeExists(1024, 768));
    EXPECT_TRUE(GraphicsModeExists(0, 0, 32));
    EXPECT_FALSE(GraphicsModeExists(123, 45));
    int w = 0, h = 0, d = 0, hz = 0;
    EXPECT_TRUE(GetGraphicsMode(0, w, h, d, hz));
    EXPECT_FALSE(GetGraphicsMode(CountGraphicsModes(), w, h, d, hz));
}

TEST_P(DisplayTest, RealClockPresentsAboutSixtyFramesASecond)
{
    ResetDisplayClock();
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    AddHook(FlipHook(), CountFlip, nullptr);
    gFlips = 0;
    std::uint32_t start = platform::SystemMillis();
    while (platform::SystemMillis() - start < 2000) {
        Cls();
        Flip(-1);
    }
    RemoveHook(FlipHook(), CountFlip, nullptr);
    EXPECT_NEAR(gFlips, 120, 6);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DisplayTest, testsupport::AllDrivers(), testsupport::DriverName);

} // namespace
