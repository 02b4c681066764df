#include "engine/random/random.h"

namespace engine {

RandomState gRandom;

static constexpr std::int32_t kModulus = 2147483647;
static constexpr std::int32_t kStartValue = 4660;

void SeedRandom(int seed, RandomState& r)
{
    std::int32_t value = seed & 0x7FFFFFFF;
    // 0 is a fixed point of the step and the modulus is the same as 0
    r.value = (value == 0 || value == kModulus) ? kStartValue : value;
}

// 48271 * value mod (2^31 - 1) without overflowing 32 bits
std::int32_t StepRandom(RandomState& r)
{
    std::int32_t value = 48271 * (r.value % 44488) - 3399 * (r.value / 44488);
    if (value < 0) value += kModulus;
    r.value = value;
    return value;
}

double RandomUnit(RandomState& r)
{
    double hi = StepRandom(r) & 0x1FFFFFFC;
    double lo = StepRandom(r) & 0x1FFFFFF8;
    return (hi + lo / 134217728.0) / 536870912.0;
}

double RandomFloat(double a, double b, RandomState& r)
{
    if (b > a) return a + RandomUnit(r) * (b - a);
    return b + RandomUnit(r) * (a - b);
}

int RandomInt(int a, int b, RandomState& r)
{
    // In 64 bits so that bounds far apart cannot overflow the range
    long long range = (long long)b - a;
    if (range > 0) return int(a + (long long)(RandomUnit(r) * double(range + 1)));
    return int(b + (long long)(RandomUnit(r) * double(1 - range)));
}

} // namespace engine
