// A clock the test moves by hand; sleeping moves it by the time slept.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/display/display.h"

namespace testsupport {

struct FakeClock {
    static inline std::uint32_t now = 100000;
    static inline std::vector<int> sleeps;

    static std::uint32_t Millis() { return now; }
    static void Sleep(int ms)
    {
        sleeps.push_back(ms);
        if (ms > 0) now += std::uint32_t(ms);
    }
    static void Install()
    {
        sleeps.clear();
        engine::SetDisplayClock({Millis, Sleep});
    }
};

} // namespace testsupport
