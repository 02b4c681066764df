#include "engine/audio/audio.h"

#include <cstring>

namespace engine {

int BytesPerSampleFrame(int format)
{
    switch (format) {
    case SF_MONO8: return 1;
    case SF_MONO16LE: case SF_MONO16BE: case SF_STEREO8: return 2;
    case SF_STEREO16LE: case SF_STEREO16BE: return 4;
    default: return 0;
    }
}

int ChannelsOf(int format) { return format >= SF_STEREO8 && format <= SF_STEREO16BE ? 2 : 1; }

std::shared_ptr<TAudioSample> TAudioSample::Create(int length, int hertz, int format)
{
    int frameBytes = BytesPerSampleFrame(format);
    if (frameBytes == 0 || length < 0) return nullptr;
    auto sample = std::make_shared<TAudioSample>();
    sample->storage.assign(std::size_t(length) * std::size_t(frameBytes), 0);
    sample->samples = sample->storage.data();
    sample->length = length;
    sample->hertz = hertz;
    sample->format = format;
    sample->capacity = std::int32_t(sample->storage.size());
    return sample;
}

std::shared_ptr<TAudioSample> TAudioSample::CreateStatic(std::uint8_t* samples, int length, int hertz, int format)
{
    if (BytesPerSampleFrame(format) == 0 || length < 0) return nullptr;
    auto sample = std::make_shared<TAudioSample>();
    sample->samples = samples;
    sample->length = length;
    sample->hertz = hertz;
    sample->format = format;
    return sample;
}

std::shared_ptr<TAudioSample> TAudioSample::Copy() const
{
    auto copy = Create(length, hertz, format);
    if (copy && length > 0) std::memcpy(copy->samples, samples, copy->storage.size());
    return copy;
}

namespace {

// One channel value of a frame as signed 16-bit
int ReadValue(const std::uint8_t* p, int format)
{
    switch (format) {
    case SF_MONO8: case SF_STEREO8: return (int(p[0]) - 128) * 256;
    case SF_MONO16LE: case SF_STEREO16LE: return std::int16_t(p[0] | (p[1] << 8));
    default: return std::int16_t((p[0] << 8) | p[1]);
    }
}

void WriteValue(std::uint8_t* p, int format, int value)
{
    switch (format) {
    case SF_MONO8: case SF_STEREO8: p[0] = std::uint8_t((value >> 8) + 128); break;
    case SF_MONO16LE: case SF_STEREO16LE: p[0] = std::uint8_t(value); p[1] = std::uint8_t(value >> 8); break;
    default: p[0] = std::uint8_t(value >> 8); p[1] = std::uint8_t(value); break;
    }
}

} // namespace

std::shared_ptr<TAudioSample> TAudioSample::Convert(int to) const
{
    auto out = Create(length, hertz, to);
    if (!out || BytesPerSampleFrame(format) == 0) return nullptr;
    int inFrame = BytesPerSampleFrame(format), inValue = inFrame / ChannelsOf(format);
    int outFrame = BytesPerSampleFrame(to), outValue = outFrame / ChannelsOf(to);
    for (int i = 0; i < length; ++i) {
        const std::uint8_t* src = samples + std::size_t(i) * inFrame;
        std::uint8_t* dst = out->samples + std::size_t(i) * outFrame;
        int left = ReadValue(src, format);
        int right = ChannelsOf(format) == 2 ? ReadValue(src + inValue, format) : left;
        if (ChannelsOf(to) == 1) {
            WriteValue(dst, to, (left + right) / 2);
        } else {
            WriteValue(dst, to, left);
            WriteValue(dst + outValue, to, right);
        }
    }
    return out;
}

} // namespace engine
