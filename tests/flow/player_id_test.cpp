// The player number, from fixed clock, time and date readings.
#include <climits>

#include <gtest/gtest.h>

#include "game/flow/player_id.h"

using engine::RandomState;
using game::PlayerIdFrom;

// From the starting state the first draw of 1..37171650 is 15574503 and the
// second 7901322 (worked out from the generator's definition)
TEST(PlayerId, MixesClockDrawTimeAndDate)
{
    RandomState r;
    // 1000 + 15574503 + 123456 ("12:34:56") - 72026 ("07" and "2026")
    EXPECT_EQ(PlayerIdFrom(1000, u"12:34:56", u"07 Dec 2026", r), 15626933);
}

TEST(PlayerId, IsNeverNegative)
{
    const struct {
        std::uint32_t millis;
        int want;
    } cases[] = {
        // The sum comes out at -5: its absolute value
        {std::uint32_t(-15574503 - 123456 + 72026 - 5), 5},
        // The sum wraps to the most negative int, whose absolute value is no int
        {std::uint32_t(0x80000000u - 15574503u - 123456u + 72026u), INT_MAX},
    };
    for (const auto& c : cases) {
        RandomState r;
        EXPECT_EQ(PlayerIdFrom(c.millis, u"12:34:56", u"07 Dec 2026", r), c.want) << c.millis;
    }
    for (int i = 0; i < 1000; ++i) EXPECT_GE(game::NewPlayerId(), 0);
}

TEST(PlayerId, AZeroSumDrawsAgain)
{
    RandomState r;
    std::uint32_t millis = std::uint32_t(-15574503 - 123456 + 72026);
    EXPECT_EQ(PlayerIdFrom(millis, u"12:34:56", u"07 Dec 2026", r), 7901322);
}

TEST(PlayerId, ReseedsTheSharedGenerator)
{
    engine::gRandom.value = 4660;
    game::NewPlayerId();
    EXPECT_NE(engine::gRandom.value, 4660);
}
