// WAV files: "RIFF", "WAVE", then the fmt chunk first, PCM only, in one of
// four layouts; other chunks are skipped until the data chunk. Every read is
// checked against the end of the file, so a damaged header cannot reach
// past it or ask for more memory than the file holds.
#include <cstring>

#include "engine/audio/audio.h"

namespace engine {

namespace {

class ByteCursor {
public:
    explicit ByteCursor(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::size_t Left() const { return bytes_.size() - at_; }
    bool Tag(const char* tag)
    {
        if (Left() < 4 || std::memcmp(bytes_.data() + at_, tag, 4) != 0) return false;
        at_ += 4;
        return true;
    }
    bool U16(std::uint32_t& value)
    {
        if (Left() < 2) return false;
        value = bytes_[at_] | (bytes_[at_ + 1] << 8);
        at_ += 2;
        return true;
    }
    bool U32(std::uint32_t& value)
    {
        if (Left() < 4) return false;
        value = std::uint32_t(bytes_[at_]) | (std::uint32_t(bytes_[at_ + 1]) << 8) |
                (std::uint32_t(bytes_[at_ + 2]) << 16) | (std::uint32_t(bytes_[at_ + 3]) << 24);
        at_ += 4;
        return true;
    }
    bool Skip(std::uint32_t count)
    {
        if (Left() < count) return false;
        at_ += count;
        return true;
    }
    const std::uint8_t* Here() const { return bytes_.data() + at_; }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

int FormatFor(std::uint32_t channels, std::uint32_t bits)
{
    if (channels == 1 && bits == 8) return SF_MONO8;
    if (channels == 2 && bits == 8) return SF_STEREO8;
    if (channels == 1 && bits == 16) return SF_MONO16LE;
    if (channels == 2 && bits == 16) return SF_STEREO16LE;
    return 0;
}

struct WavFormat {
    int format = 0;
    std::uint32_t hertz = 0;
};

bool ReadFmtChunk(ByteCursor& in, WavFormat& out)
{
    std::uint32_t size, tag, channels, hertz, byteRate, blockAlign, bits;
    if (!in.U32(size) || size < 16) return false;
    if (!in.U16(tag) || !in.U16(channels) || !in.U32(hertz) || !in.U32(byteRate) || !in.U16(blockAlign) ||
        !in.U16(bits))
        return false;
    if (tag != 1) return false;
    out.format = FormatFor(channels, bits);
    out.hertz = hertz;
    return out.format != 0 && in.Skip(size - 16);
}

} // namespace

std::shared_ptr<TAudioSample> LoadWavSample(const std::vector<std::uint8_t>& bytes)
{
    ByteCursor in(bytes);
    std::uint32_t riffSize;
    if (!in.Tag("RIFF") || !in.U32(riffSize) || !in.Tag("WAVE") || !in.Tag("fmt ")) return nullptr;
    WavFormat fmt;
    if (!ReadFmtChunk(in, fmt) || fmt.hertz > 0x7fffffff) return nullptr;
    for (;;) {
        bool isData = in.Tag("data");
        std::uint32_t size;
        if (!isData && !in.Skip(4)) return nullptr;   // no data chunk before the end
        if (!in.U32(size)) return nullptr;
        if (!isData) {
            if (!in.Skip(size)) return nullptr;
            continue;
        }
        std::uint32_t frameBytes = std::uint32_t(BytesPerSampleFrame(fmt.format));
        std::uint32_t frames = size / frameBytes;
        if (frames > 0x7fffffff || in.Left() < std::size_t(frames) * frameBytes) return nullptr;
        auto sample = TAudioSample::Create(int(frames), int(fmt.hertz), fmt.format);
        if (frames > 0) std::memcpy(sample->samples, in.Here(), std::size_t(frames) * frameBytes);
        return sample;
    }
}

} // namespace engine
