// The WAV loader on arbitrary bytes: it must never read past them, never
// ask for more memory than they could fill, and give a sample that agrees
// with itself.
#include <cstdlib>
#include <vector>

#include "engine/audio/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    auto sample = engine::LoadWavSample(bytes);
    if (!sample) return 0;
    std::size_t frameBytes = std::size_t(engine::BytesPerSampleFrame(sample->format));
    std::size_t sampleBytes = std::size_t(sample->length) * frameBytes;
    if (frameBytes == 0 || sampleBytes > size || sample->storage.size() != sampleBytes) std::abort();
    // Every byte is read, so the sanitizer sees any that lies outside
    unsigned sum = 0;
    for (std::size_t i = 0; i < sampleBytes; ++i) sum += sample->samples[i];
    auto converted = sample->Convert(engine::SF_STEREO16LE);
    if (!converted || converted->length != sample->length) std::abort();
    return int(sum & 0);
}
