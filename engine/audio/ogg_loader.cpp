// Ogg Vorbis samples through libvorbisfile, read from bytes in memory.
#include <vorbis/vorbisfile.h>

#include <cstring>

#include "engine/audio/audio_internal.h"

namespace engine {

namespace {

struct MemoryFile {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at;
};

std::size_t Read(void* buffer, std::size_t size, std::size_t count, void* source)
{
    auto* file = static_cast<MemoryFile*>(source);
    std::size_t wanted = size * count, left = file->bytes->size() - file->at;
    if (wanted > left) wanted = left;
    std::memcpy(buffer, file->bytes->data() + file->at, wanted);
    file->at += wanted;
    return size ? wanted / size : 0;
}

int Seek(void* source, ogg_int64_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(file->at) : ogg_int64_t(file->bytes->size());
    ogg_int64_t to = base + offset;
    if (to < 0 || to > ogg_int64_t(file->bytes->size())) return -1;
    file->at = std::size_t(to);
    return 0;
}

long Tell(void* source) { return long(static_cast<MemoryFile*>(source)->at); }

class TOggSampleLoader final : public TAudioSampleLoader {
public:
    std::shared_ptr<TAudioSample> LoadAudioSample(const std::vector<std::uint8_t>& bytes) override
    {
        if (bytes.size() < 4 || std::memcmp(bytes.data(), "OggS", 4) != 0) return nullptr;
        MemoryFile file{&bytes, 0};
        OggVorbis_File vorbis;
        ov_callbacks callbacks{Read, Seek, nullptr, Tell};
        if (ov_open_callbacks(&file, &vorbis, nullptr, 0, callbacks) != 0) return nullptr;
        auto sample = Decode(vorbis);
        ov_clear(&vorbis);
        return sample;
    }

private:
    static std::shared_ptr<TAudioSample> Decode(OggVorbis_File& vorbis)
    {
        vorbis_info* info = ov_info(&vorbis, -1);
        if (!info || info->channels < 1 || info->channels > 2) return nullptr;
        std::vector<std::uint8_t> pcm;
        char block[16384];
        int section = 0;
        for (;;) {
            long got = ov_read(&vorbis, block, sizeof block, 0, 2, 1, &section);
            if (got == 0) break;
            if (got < 0) return nullptr;
            pcm.insert(pcm.end(), block, block + got);
        }
        int format = info->channels == 2 ? SF_STEREO16LE : SF_MONO16LE;
        int frames = int(pcm.size() / std::size_t(BytesPerSampleFrame(format)));
        auto sample = TAudioSample::Create(frames, int(info->rate), format);
        if (frames > 0) std::memcpy(sample->samples, pcm.data(), sample->storage.size());
        return sample;
    }
};

} // namespace

std::unique_ptr<TAudioSampleLoader> NewOggSampleLoader() { return std::make_unique<TOggSampleLoader>(); }

} // namespace engine
