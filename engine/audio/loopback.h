// A driver that mixes into memory instead of sending to a device: what the
// tests and benchmarks listen through, on machines with no sound device.
#pragma once
#include <cstdint>
#include <string>

namespace engine {

// Adds an OpenAL driver of this name over a loopback device that mixes
// 16-bit stereo at hertz; select it with SetAudioDriver(name)
void AddLoopbackAudioDriver(const std::string& name, int hertz);
// Mixes the next frames of the current driver into out (2 values a frame);
// false when the current driver is not a loopback one
bool RenderLoopback(std::int16_t* out, int frames);
// The current OpenAL device's mixing rate and how many times a second it
// mixes (its refresh); false when the current driver is not OpenAL
bool AudioDeviceTiming(int& hertz, int& refresh);
// The current OpenAL device's clock (nanoseconds of audio mixed so far) and
// the latency it reports for what it holds queued; false without a clock
bool AudioDeviceClock(std::int64_t& clockNanos, std::int64_t& latencyNanos);

} // namespace engine
