// The generator against values worked out by hand from its definition.
#include <gtest/gtest.h>

#include "engine/random/random.h"

using namespace engine;

TEST(Random, OneStepFromTheStartingState)
{
    RandomState r;
    EXPECT_EQ(r.value, 4660);
    EXPECT_EQ(StepRandom(r), 224942860);   // 48271 x 4660, below the modulus
    // The next step wraps: 48271 x 224942860 mod (2^31 - 1)
    EXPECT_EQ(StepRandom(r), 539475828);
}

TEST(Random, SeedsThatWouldStallTheGeneratorLeaveTheStartingState)
{
    for (int seed : {0, 2147483647, -1}) {
        RandomState r;
        r.value = 99;
        SeedRandom(seed, r);
        EXPECT_EQ(r.value, 4660) << seed;
    }
    RandomState r;
    SeedRandom(-2, r);   // top bit cleared
    EXPECT_EQ(r.value, 2147483646);
}

// From seed 12345 the steps are 595905495, 1558181227, 1498755989 and
// 2021244883; each value takes the masked bits of one pair of steps
TEST(Random, FirstValuesAfterAFixedSeed)
{
    RandomState r;
    SeedRandom(12345, r);
    double hi = 595905495 & 0x1FFFFFFC, lo = 1558181227 & 0x1FFFFFF8;
    EXPECT_DOUBLE_EQ(RandomUnit(r), (hi + lo / 134217728.0) / 536870912.0);
    EXPECT_EQ(r.value, 1558181227);
    EXPECT_NEAR(RandomUnit(r), 0.7916505766, 1e-9);
    EXPECT_EQ(r.value, 2021244883);
    // RandomInt scales the same draw: 1 + trunc(u x 10) from the next pair
    RandomState copy = r;
    double u = RandomUnit(copy);
    EXPECT_EQ(RandomInt(1, 10, r), 1 + int(u * 10));
}

TEST(Random, BoundsMayComeInEitherOrder)
{
    RandomState r;
    SeedRandom(777, r);
    int seen[6] = {};
    for (int i = 0; i < 2000; ++i) {
        int a = RandomInt(5, 3, r), b = RandomInt(3, 5, r);
        ASSERT_TRUE(a >= 3 && a <= 5) << a;
        ASSERT_TRUE(b >= 3 && b <= 5) << b;
        ++seen[a];
        double f = RandomFloat(0.04, 0.01, r);
        ASSERT_TRUE(f >= 0.01 && f < 0.04) << f;
    }
    EXPECT_GT(seen[3], 0);
    EXPECT_GT(seen[4], 0);
    EXPECT_GT(seen[5], 0);
}

TEST(Random, EqualBoundsStillAdvanceTwice)
{
    RandomState a, b;
    EXPECT_EQ(RandomInt(0, 0, a), 0);
    StepRandom(b);
    StepRandom(b);
    EXPECT_EQ(a.value, b.value);
    RandomState c;
    EXPECT_EQ(RandomInt(2147483647, 2147483647, c), 2147483647);
}
