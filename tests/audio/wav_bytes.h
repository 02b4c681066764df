// Building WAV files in memory, chunk by chunk, so a test can put each
// field where it likes, and listening helpers for the rendered output.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

namespace audiotest {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) { b.push_back(std::uint8_t(v)); b.push_back(std::uint8_t(v >> 8)); }
inline void Put32(Bytes& b, std::uint32_t v) { Put16(b, v & 0xffff); Put16(b, v >> 16); }
inline void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

inline Bytes Chunk(const char* tag, const Bytes& body, std::uint32_t statedSize)
{
    Bytes b;
    PutTag(b, tag);
    Put32(b, statedSize);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}
inline Bytes Chunk(const char* tag, const Bytes& body) { return Chunk(tag, body, std::uint32_t(body.size())); }

inline Bytes FmtBody(int formatTag, int channels, int hertz, int bits, int extraBytes = 0)
{
    Bytes b;
    int align = channels * bits / 8;
    Put16(b, formatTag);
    Put16(b, channels);
    Put32(b, hertz);
    Put32(b, hertz * align);
    Put16(b, align);
    Put16(b, bits);
    for (int i = 0; i < extraBytes; ++i) b.push_back(0xee);
    return b;
}

// "RIFF", size, "WAVE" and the chunks in the order given
inline Bytes Riff(const std::vector<Bytes>& chunks)
{
    Bytes body;
    PutTag(body, "WAVE");
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return Chunk("RIFF", body);
}

inline Bytes Wav(int channels, int hertz, int bits, const Bytes& data)
{
    return Riff({Chunk("fmt ", FmtBody(1, channels, hertz, bits)), Chunk("data", data)});
}

// A sine of frequency hertz and amplitude (of 32767) as mono PCM
inline Bytes Sine16(double frequency, int hertz, int frames, double amplitude)
{
    Bytes b;
    for (int i = 0; i < frames; ++i) Put16(b, std::uint16_t(std::int16_t(std::lround(amplitude * std::sin(2 * M_PI * frequency * i / hertz)))));
    return b;
}
inline Bytes Sine8(double frequency, int hertz, int frames, double amplitude)
{
    Bytes b;
    for (int i = 0; i < frames; ++i) b.push_back(std::uint8_t(128 + std::lround(amplitude * std::sin(2 * M_PI * frequency * i / hertz))));
    return b;
}

inline bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// The largest magnitude of one side (0 left, 1 right) of interleaved stereo
inline int Peak(const std::vector<std::int16_t>& stereo, int side, std::size_t from = 0)
{
    int peak = 0;
    for (std::size_t i = 2 * from + side; i < stereo.size(); i += 2) peak = std::max(peak, std::abs(int(stereo[i])));
    return peak;
}

// Frequency from the rising zero crossings of one side
inline double MeasuredFrequency(const std::vector<std::int16_t>& stereo, int side, int hertz)
{
    long first = -1, last = -1, count = 0;
    for (std::size_t i = 1; i < stereo.size() / 2; ++i) {
        if (stereo[2 * (i - 1) + side] < 0 && stereo[2 * i + side] >= 0) {
            if (first < 0) first = long(i);
            last = long(i);
            ++count;
        }
    }
    return count > 1 ? double(count - 1) * hertz / double(last - first) : 0.0;
}

} // namespace audiotest
