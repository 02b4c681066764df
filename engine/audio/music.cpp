// Decoders behind music streams, and the list of music loaders.
#include <algorithm>
#include <cstring>

#include "engine/audio/audio_internal.h"
#include "engine/runtime/file.h"

namespace engine {

namespace {

// A WAV file as a tune: decoded whole, handed out as 16-bit stereo
class TWavMusic final : public TMusic {
public:
    explicit TWavMusic(std::shared_ptr<TAudioSample> sample) : sample_(std::move(sample))
    {
        SAMPLE_RATE = sample_->hertz;
        STREAM_SIZE = int(sample_->storage.size());
    }
    void Free() override { sample_.reset(); PlayStatus = 0; }

    int FillBuffer(std::uint8_t* destination, int bytes) override
    {
        int written = 0;
        while (written < bytes && PlayStatus == 1 && sample_) {
            int left = STREAM_SIZE - STREAM_POS;
            if (left <= 0) {
                if (STREAM_LOOP && STREAM_SIZE > 0) STREAM_POS = 0;
                else PlayStatus = 0;
                continue;
            }
            int count = std::min(left, bytes - written);
            std::memcpy(destination + written, sample_->samples + STREAM_POS, std::size_t(count));
            written += count;
            STREAM_POS += count;
        }
        return written;
    }

private:
    std::shared_ptr<TAudioSample> sample_;
};

} // namespace

void TMusic::Seti(int key, int value)
{
    switch (key) {
    case MUSIC_SIZE: STREAM_SIZE = value; break;
    case MUSIC_POSITION: STREAM_POS = value; break;
    case MUSIC_PLAYSTATUS: PlayStatus = value; break;
    case MUSIC_FORMAT: if (value >= STREAM_MONO8 && value <= STREAM_STEREO16) STREAM_FORMAT = value; break;
    case MUSIC_SAMPLERATE: SAMPLE_RATE = value; break;
    case MUSIC_LOOP: STREAM_LOOP = value; break;
    default: break;
    }
}

int TMusic::Geti(int key)
{
    switch (key) {
    case MUSIC_SIZE: return STREAM_SIZE;
    case MUSIC_POSITION: return STREAM_POS;
    case MUSIC_PLAYSTATUS: return PlayStatus;
    case MUSIC_FORMAT: return STREAM_FORMAT;
    case MUSIC_SAMPLERATE: return SAMPLE_RATE;
    case MUSIC_LOOP: return STREAM_LOOP;
    default: return 0;
    }
}

std::shared_ptr<TMusic> LoadWavMusic(const std::string& url)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(url, bytes)) return nullptr;
    auto sample = LoadWavSample(bytes);
    if (!sample) return nullptr;
    if (sample->format != SF_STEREO16LE) sample = sample->Convert(SF_STEREO16LE);
    return std::make_shared<TWavMusic>(std::move(sample));
}

const std::vector<TMusicLoader>& MusicLoaders()
{
    static const std::vector<TMusicLoader> loaders = {
        {"WAV files (*.wav)", LoadWavMusic, "wav"},
        {"MP3 files (*.mp3)", LoadMp3Music, "mp3"},
    };
    return loaders;
}

std::shared_ptr<TMusic> LoadMusic(const std::string& url)
{
    for (const TMusicLoader& loader : MusicLoaders())
        if (auto music = loader.Func(url)) return music;
    return nullptr;
}

} // namespace engine
