// How often one address may ask: a bucket of requests per address that
// refills over a minute.
#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace server {

class RateLimit {
public:
    // perMinute 0 lets everything through
    explicit RateLimit(int perMinute) : perMinute_(perMinute) {}
    // True when the address may make one more request now
    bool Allow(std::uint32_t address);

private:
    using Clock = std::chrono::steady_clock;
    struct Bucket {
        double tokens = 0;
        Clock::time_point last;
    };
    void ForgetIdle(Clock::time_point now);

    int perMinute_;
    std::mutex lock_;
    std::unordered_map<std::uint32_t, Bucket> buckets_;
};

} // namespace server
