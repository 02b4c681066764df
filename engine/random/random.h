// The process-wide pseudo-random generator (minimal standard, Schrage's step).
#pragma once
#include <cstdint>

namespace engine {

// Whole state of the generator; the game uses gRandom, a test its own
struct RandomState {
    std::int32_t value = 4660;
};
extern RandomState gRandom;

void SeedRandom(int seed, RandomState& r = gRandom);
// One step of the generator; returns the new state
std::int32_t StepRandom(RandomState& r = gRandom);
double RandomUnit(RandomState& r = gRandom);                       // [0, 1)
double RandomFloat(double a, double b, RandomState& r = gRandom);  // bounds in either order
int RandomInt(int a, int b, RandomState& r = gRandom);             // inclusive, either order

} // namespace engine
