// The clock-paced frame schedule, without a display.
#include <gtest/gtest.h>

#include "engine/display/display.h"

using engine::NextFrameDelay;
using engine::StartFrameTimer;
using engine::TFrameTimer;

TEST(FramePacing, SixtyFramesTakeExactlyOneSecond)
{
    TFrameTimer timer;
    std::uint32_t now = 5000;
    StartFrameTimer(timer, 60, now);
    EXPECT_EQ(timer.millisPerFrame, 16);
    EXPECT_EQ(timer.remainder, 40);
    int longFrames = 0;
    for (int frame = 0; frame < 60; ++frame) {
        int delay = NextFrameDelay(timer, now);
        ASSERT_TRUE(delay == 16 || delay == 17) << "frame " << frame << " waits " << delay;
        longFrames += delay == 17;
        now += std::uint32_t(delay);
    }
    EXPECT_EQ(now, 6000u);
    EXPECT_EQ(longFrames, 40);
    // The second second repeats the first exactly
    for (int frame = 0; frame < 60; ++frame) now += std::uint32_t(NextFrameDelay(timer, now));
    EXPECT_EQ(now, 7000u);
}

TEST(FramePacing, WorkTakingPartOfTheFrameShortensTheWait)
{
    TFrameTimer timer;
    StartFrameTimer(timer, 60, 0);
    // 10 ms of work: 6 ms left of the first 16 ms frame
    EXPECT_EQ(NextFrameDelay(timer, 10), 6);
}

TEST(FramePacing, ALateFrameIsPresentedAtOnceAndTheScheduleRestarts)
{
    TFrameTimer timer;
    std::uint32_t now = 1000;
    StartFrameTimer(timer, 60, now);
    now += std::uint32_t(NextFrameDelay(timer, now));   // a normal first frame
    now += 30;                                            // a frame whose work takes 30 ms
    EXPECT_EQ(NextFrameDelay(timer, now), 0);
    EXPECT_EQ(timer.nextFlip, now);
    // Missed time is not made up: the next frame is a whole frame after now
    int next = NextFrameDelay(timer, now);
    EXPECT_TRUE(next == 16 || next == 17) << next;
}

TEST(FramePacing, ScheduleSurvivesTheClockWrapping)
{
    TFrameTimer timer;
    std::uint32_t now = 0xFFFFFFF0u;
    StartFrameTimer(timer, 60, now);
    int delay = NextFrameDelay(timer, now);
    EXPECT_TRUE(delay == 16 || delay == 17) << delay;
}

TEST(FramePacing, OtherRatesSpreadTheirRemainder)
{
    const struct {
        int hertz, perFrame, remainder;
    } cases[] = {{60, 16, 40}, {75, 13, 25}, {50, 20, 0}, {144, 6, 136}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hertz);
        TFrameTimer timer;
        std::uint32_t now = 0;
        StartFrameTimer(timer, c.hertz, now);
        EXPECT_EQ(timer.millisPerFrame, c.perFrame);
        EXPECT_EQ(timer.remainder, c.remainder);
        for (int frame = 0; frame < c.hertz; ++frame) now += std::uint32_t(NextFrameDelay(timer, now));
        EXPECT_EQ(now, 1000u);
    }
}
