// The sound layer's costs at OpenAL's default settings, with its wave writer
// standing in for a sound card (it mixes in real time, as a device would):
//   - streaming the title tune: CPU per second of audio on the main thread
//     (decoding and refilling, on the 120 Hz ticks) and for the whole
//     process (with OpenAL's mixer thread), against the same run without
//     the tune;
//   - latency from PlaySound to the first non-silent output sample mixed.
//     bench_audio [seconds of tune, default 10]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/audio/audio.h"
#include "engine/audio/loopback.h"
#include "engine/input/event.h"

using namespace engine;

namespace {

double Now(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void SleepUntil(double wall)
{
    double left = wall - Now(CLOCK_MONOTONIC);
    if (left > 0) usleep(useconds_t(left * 1e6));
}

struct Cost {
    double mainThread = 0;   // CPU seconds spent in the refill ticks
    double process = 0;      // CPU seconds of every thread
};

// Runs the 120 Hz refill ticks for seconds of wall time, as the timer would
Cost RunTicks(double seconds)
{
    Cost cost;
    double start = Now(CLOCK_MONOTONIC), processStart = Now(CLOCK_PROCESS_CPUTIME_ID);
    for (int tick = 1; tick <= int(seconds * 120); ++tick) {
        SleepUntil(start + tick / 120.0);
        double before = Now(CLOCK_THREAD_CPUTIME_ID);
        TEvent::Create(EVENT_TIMERTICK, MusicTickSource()).Emit();
        cost.mainThread += Now(CLOCK_THREAD_CPUTIME_ID) - before;
    }
    cost.process = Now(CLOCK_PROCESS_CPUTIME_ID) - processStart;
    return cost;
}

std::vector<std::int16_t> ReadRecording(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> values;
    std::size_t data = bytes.find("data");
    if (data == std::string::npos) return values;
    std::size_t from = data + 8, count = (bytes.size() - from) / 2;
    values.resize(count);
    std::memcpy(values.data(), bytes.data() + from, count * 2);
    return values;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    char folder[] = "/tmp/vb_audio_bench_XXXXXX";
    if (!mkdtemp(folder)) return 1;
    std::string recording = std::string(folder) + "/out.wav", conf = std::string(folder) + "/alsoft.conf";
    // Only the back-end and the sample type (so the file is easy to read)
    // are set; rate, update size and periods stay OpenAL's defaults
    std::ofstream(conf) << "[general]\ndrivers=wave\nsample-type=int16\nchannels=stereo\n[wave]\nfile=" << recording << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);

    StartAudio();
    if (!SetAudioDriver("directsound")) {
        std::fprintf(stderr, "the wave writer did not open\n");
        return 1;
    }
    int hertz = 0, refresh = 0;
    AudioDeviceTiming(hertz, refresh);
    int updateFrames = refresh > 0 ? hertz / refresh : 0;
    std::printf("device: %d Hz, mixes %d times a second (%d frames, %.1f ms a mix)\n", hertz, refresh, updateFrames,
                1000.0 * updateFrames / hertz);

    // Streaming cost
    Cost idle = RunTicks(seconds / 2);
    auto tune = PlayMusic(std::string(VB_STAGE_DIR) + "/system/m013/Varnick Bozzle - Intro.mp3", 1, 0);
    if (!tune) return 1;
    Cost streaming = RunTicks(seconds);
    StopChannel(tune);
    double idleProcess = idle.process / (seconds / 2);
    std::printf("streaming the tune, per second of audio:\n");
    std::printf("  main thread (decode + refill): %.3f ms CPU = %.3f %% of one core\n",
                1000 * streaming.mainThread / seconds, 100 * streaming.mainThread / seconds);
    std::printf("  whole process: %.3f %% of one core (%.3f %% without the tune: the mixer on silence)\n",
                100 * streaming.process / seconds, 100 * idleProcess);
    std::printf("  the tune's own share of the whole process: %.3f %% of one core\n",
                100 * (streaming.process / seconds - idleProcess));

    // Latency, in three parts: the wall time until the device clock moves
    // past the moment of PlaySound (the mix that takes the sound in), the
    // audio in that mix ahead of the sound's first non-silent sample (found
    // in the recording), and the latency the device reports for what it
    // keeps queued (none for the wave writer; a sound card's buffer)
    auto click = LoadSound(std::string(VB_STAGE_DIR) + "/system/m013/001.wav", 0);
    std::int64_t clock = 0, deviceLatency = 0;
    if (!click || !AudioDeviceClock(clock, deviceLatency)) return 1;
    RunTicks(0.3);
    struct Trial { double untilMixed; std::size_t clockFrame; double deviceLatency; };
    std::vector<Trial> trials;
    for (int i = 0; i < 30; ++i) {
        usleep(useconds_t(60000 + (i * 7919) % 23000));   // land anywhere in a mix period
        AudioDeviceClock(clock, deviceLatency);
        double played = Now(CLOCK_MONOTONIC);
        PlaySound(click);
        std::int64_t moved = clock;
        while (moved == clock) {
            usleep(100);
            AudioDeviceClock(moved, deviceLatency);
        }
        trials.push_back({Now(CLOCK_MONOTONIC) - played, std::size_t(double(clock) * 1e-9 * hertz), deviceLatency * 1e-9});
    }
    usleep(300000);
    SetAudioDriver("Null");   // closes the file
    std::vector<std::int16_t> out = ReadRecording(recording);
    std::vector<double> latencies;
    for (const Trial& t : trials) {
        std::size_t frame = t.clockFrame;
        while (2 * frame + 1 < out.size() && std::abs(out[2 * frame]) < 64 && std::abs(out[2 * frame + 1]) < 64) ++frame;
        if (2 * frame + 1 >= out.size()) break;
        latencies.push_back(t.untilMixed + double(frame - t.clockFrame) / hertz + t.deviceLatency);
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) return 1;
    double sum = 0;
    for (double l : latencies) sum += l;
    std::printf("PlaySound to its first non-silent output sample, %zu plays: mean %.1f ms, median %.1f ms, max %.1f ms\n",
                latencies.size(), 1000 * sum / double(latencies.size()), 1000 * latencies[latencies.size() / 2],
                1000 * latencies.back());
    std::printf("(device-reported queue latency included: %.1f ms here)\n", 1000 * trials.back().deviceLatency);
    unlink(recording.c_str());
    unlink(conf.c_str());
    rmdir(folder);
    return 0;
}
