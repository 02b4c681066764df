// The clock, sleeping, and the date and time texts.
#include <regex>

#include <gtest/gtest.h>

#include "engine/platform/platform.h"

using namespace engine::platform;

TEST(Clock, SleepWaitsAndANegativeSleepReturnsAtOnce)
{
    std::uint32_t start = SystemMillis();
    SleepMillis(-5);
    SleepMillis(0);
    EXPECT_LE(SystemMillis() - start, 2u);
    start = SystemMillis();
    SleepMillis(120);
    EXPECT_GE(SystemMillis() - start, 119u);
}

TEST(Clock, DateAndTimeTextsAreZeroPadded)
{
    EXPECT_TRUE(std::regex_match(DateString(), std::regex("[0-3][0-9] (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4}")))
        << DateString();
    EXPECT_TRUE(std::regex_match(TimeString(), std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]"))) << TimeString();
}
