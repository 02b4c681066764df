#include <ctime>

#include <cerrno>

#include "engine/platform/platform.h"

namespace engine::platform {

std::uint32_t SystemMillis()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::uint64_t ms = std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u;
    return std::uint32_t(ms);
}

void SleepMillis(int millis)
{
    if (millis <= 0) return;
    timespec ts{millis / 1000, long(millis % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

static std::string FormatNow(const char* format)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

std::string DateString() { return FormatNow("%d %b %Y"); }
std::string TimeString() { return FormatNow("%H:%M:%S"); }

} // namespace engine::platform
