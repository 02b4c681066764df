// MP3 through libmpg123 with gapless decoding on, so the encoder's delay
// and padding never reach the output: a looping tune has no seam.
#include <mpg123.h>

#include <cstring>

#include "engine/audio/audio.h"
#include "engine/audio/audio_internal.h"
#include "engine/runtime/error.h"

namespace engine {

namespace {

struct Mpg123Deleter {
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Mpg123 = std::unique_ptr<mpg123_handle, Mpg123Deleter>;

// Gapless, quiet, and 16-bit output at whatever rate the file has
Mpg123 NewDecoder(bool forceStereo)
{
    int error = MPG123_OK;
    Mpg123 handle(mpg123_new(nullptr, &error));
    if (!handle) return nullptr;
    long flags = MPG123_GAPLESS | MPG123_QUIET | (forceStereo ? MPG123_FORCE_STEREO : 0);
    mpg123_param(handle.get(), MPG123_FLAGS, flags, 0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
        mpg123_format(handle.get(), rates[i], forceStereo ? MPG123_STEREO : MPG123_MONO | MPG123_STEREO,
                      MPG123_ENC_SIGNED_16);
    return handle;
}

// Reading from bytes in memory, for samples
struct MemoryFile {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at;
};

ssize_t MemoryRead(void* handle, void* buffer, std::size_t count)
{
    auto* file = static_cast<MemoryFile*>(handle);
    std::size_t left = file->bytes->size() - file->at;
    if (count > left) count = left;
    std::memcpy(buffer, file->bytes->data() + file->at, count);
    file->at += count;
    return ssize_t(count);
}

off_t MemorySeek(void* handle, off_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? off_t(file->at) : off_t(file->bytes->size());
    off_t to = base + offset;
    if (to < 0 || to > off_t(file->bytes->size())) return -1;
    file->at = std::size_t(to);
    return to;
}

// Random bytes can hold what looks like a frame; only bytes that start as
// an MP3 file does (a tag, or a frame header) are decoded at all
bool LooksLikeMp3(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "ID3", 3) == 0) return true;
    return bytes.size() >= 4 && bytes[0] == 0xff && (bytes[1] & 0xe0) == 0xe0;
}

class TMp3SampleLoader final : public TAudioSampleLoader {
public:
    std::shared_ptr<TAudioSample> LoadAudioSample(const std::vector<std::uint8_t>& bytes) override
    {
        if (!LooksLikeMp3(bytes)) return nullptr;
        Mpg123 handle = NewDecoder(false);
        MemoryFile file{&bytes, 0};
        if (!handle || mpg123_replace_reader_handle(handle.get(), MemoryRead, MemorySeek, nullptr) != MPG123_OK ||
            mpg123_open_handle(handle.get(), &file) != MPG123_OK)
            return nullptr;
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK) return nullptr;
        std::vector<std::uint8_t> pcm;
        std::uint8_t block[16384];
        for (;;) {
            std::size_t done = 0;
            int result = mpg123_read(handle.get(), block, sizeof block, &done);
            pcm.insert(pcm.end(), block, block + done);
            if (result == MPG123_DONE) break;
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT) return nullptr;
        }
        int format = channels == 2 ? SF_STEREO16LE : SF_MONO16LE;
        int frames = int(pcm.size() / std::size_t(BytesPerSampleFrame(format)));
        if (frames == 0) return nullptr;
        auto sample = TAudioSample::Create(frames, int(rate), format);
        std::memcpy(sample->samples, pcm.data(), sample->storage.size());
        return sample;
    }
};

// The title tune: decoded block by block as the stream asks for bytes
class TMp3Music final : public TMusic {
public:
    explicit TMp3Music(Mpg123 handle, long rate) : handle_(std::move(handle))
    {
        SAMPLE_RATE = int(rate);
        STREAM_FORMAT = STREAM_STEREO16;
        off_t frames = mpg123_length(handle_.get());
        STREAM_SIZE = frames > 0 && frames < 0x1fffffff ? int(frames) * 4 : 0;
    }
    void Free() override { handle_.reset(); PlayStatus = 0; }

    int FillBuffer(std::uint8_t* destination, int bytes) override
    {
        int written = 0;
        bool rewound = false;
        while (written < bytes && PlayStatus == 1 && handle_) {
            std::size_t done = 0;
            int result = mpg123_read(handle_.get(), destination + written, std::size_t(bytes - written), &done);
            written += int(done);
            STREAM_POS += int(done);
            if (done > 0) rewound = false;
            if (result == MPG123_OK || result == MPG123_NEW_FORMAT) continue;
            // The end: over again from the first sample when looping (a
            // file that gives nothing even after a rewind ends as well)
            if (result == MPG123_DONE && STREAM_LOOP && !rewound && mpg123_seek(handle_.get(), 0, SEEK_SET) >= 0) {
                rewound = true;
                STREAM_POS = 0;
                continue;
            }
            PlayStatus = 0;
        }
        return written;
    }

    void Seti(int key, int value) override
    {
        if (key == MUSIC_POSITION && handle_ && mpg123_seek(handle_.get(), value / 4, SEEK_SET) >= 0) {
            STREAM_POS = value - value % 4;
            PlayStatus = 1;
            return;
        }
        TMusic::Seti(key, value);
    }

private:
    Mpg123 handle_;
};

} // namespace

std::unique_ptr<TAudioSampleLoader> NewMp3SampleLoader() { return std::make_unique<TMp3SampleLoader>(); }

void StartMp3Decoder()
{
    // Also proves a decoder can be made at all, before the game starts
    if (mpg123_init() != MPG123_OK || !NewDecoder(true)) ThrowRuntimeError("Unable to locate ACM");
}

std::shared_ptr<TMusic> LoadMp3Music(const std::string& url)
{
    Mpg123 handle = NewDecoder(true);
    if (!handle) ThrowRuntimeError("Unable to locate ACM");
    if (mpg123_open(handle.get(), url.c_str()) != MPG123_OK) ThrowRuntimeError("Unable to open MP3");
    long rate = 0;
    int channels = 0, encoding = 0;
    // Opened but holding no MP3 frames: not a tune this loader accepts
    if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK) return nullptr;
    return std::make_shared<TMp3Music>(std::move(handle), rate);
}

} // namespace engine
