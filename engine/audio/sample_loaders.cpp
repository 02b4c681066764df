#include <cctype>

#include "engine/audio/audio_internal.h"
#include "engine/runtime/file.h"

namespace engine {

namespace {

class TWavSampleLoader final : public TAudioSampleLoader {
public:
    std::shared_ptr<TAudioSample> LoadAudioSample(const std::vector<std::uint8_t>& bytes) override
    {
        return LoadWavSample(bytes);
    }
};

// The loaders live for the whole program; the list runs front to back
std::vector<std::unique_ptr<TAudioSampleLoader>>& Loaders()
{
    static std::vector<std::unique_ptr<TAudioSampleLoader>> loaders;
    return loaders;
}
TAudioSampleLoader* gFirstLoader = nullptr;

void AddLoader(std::unique_ptr<TAudioSampleLoader> loader)
{
    loader->_succ = gFirstLoader;
    gFirstLoader = loader.get();
    Loaders().push_back(std::move(loader));
}

} // namespace

void RegisterAudioSampleLoaders()
{
    if (gFirstLoader) return;
    // Added to the front, so tried as WAV, Ogg Vorbis, MP3
    AddLoader(NewMp3SampleLoader());
    AddLoader(NewOggSampleLoader());
    AddLoader(std::make_unique<TWavSampleLoader>());
}

std::shared_ptr<TAudioSample> LoadAudioSampleFromBytes(const std::vector<std::uint8_t>& bytes)
{
    RegisterAudioSampleLoaders();
    for (TAudioSampleLoader* loader = gFirstLoader; loader; loader = loader->_succ)
        if (auto sample = loader->LoadAudioSample(bytes)) return sample;
    return nullptr;
}

std::shared_ptr<TAudioSample> LoadAudioSample(const std::string& url)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(url, bytes)) return nullptr;
    return LoadAudioSampleFromBytes(bytes);
}

std::string LowerAscii(std::string text)
{
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace engine
