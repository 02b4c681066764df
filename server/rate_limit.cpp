#include "server/rate_limit.h"

#include <algorithm>

namespace server {

namespace {
// Beyond this many addresses, those that have refilled are dropped, so a
// crowd of addresses cannot grow the table without end
constexpr std::size_t kMaxAddresses = 100000;
} // namespace

bool RateLimit::Allow(std::uint32_t address)
{
    if (perMinute_ <= 0) return true;
    std::lock_guard<std::mutex> hold(lock_);
    Clock::time_point now = Clock::now();
    if (buckets_.size() >= kMaxAddresses) ForgetIdle(now);
    auto [it, added] = buckets_.try_emplace(address, Bucket{double(perMinute_), now});
    Bucket& b = it->second;
    double minutes = std::chrono::duration<double>(now - b.last).count() / 60.0;
    b.tokens = std::min(double(perMinute_), b.tokens + minutes * perMinute_);
    b.last = now;
    if (b.tokens < 1.0) return false;
    b.tokens -= 1.0;
    return true;
}

void RateLimit::ForgetIdle(Clock::time_point now)
{
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        bool full = now - it->second.last > std::chrono::minutes(1);
        it = full ? buckets_.erase(it) : std::next(it);
    }
}

} // namespace server
