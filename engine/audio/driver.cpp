// The driver list, driver selection, and the operations the game calls.
#include "engine/audio/audio_internal.h"

namespace engine {

namespace {

struct DriverList {
    std::vector<std::unique_ptr<TAudioDriver>> owned;
    TAudioDriver* first = nullptr;
    TAudioDriver* null = nullptr;      // the silent fallback, made with the list
    TAudioDriver* current = nullptr;   // none until sound is first used
};

// Never destroyed: the exit-time shut-down of the current driver runs
// after static objects are gone
DriverList& Drivers()
{
    static DriverList& list = *new DriverList;
    if (!list.null) {
        list.null = new TAudioDriver("Null");
        list.owned.emplace_back(list.null);
        list.first = list.null;
    }
    return list;
}

} // namespace

TAudioDriver::TAudioDriver(std::string name) : name_(std::move(name)) {}

std::shared_ptr<TSound> TAudioDriver::CreateSound(std::shared_ptr<TAudioSample> sample, int)
{
    return sample ? std::make_shared<TSound>() : nullptr;
}

std::shared_ptr<TChannel> TAudioDriver::AllocChannel() { return std::make_shared<TChannel>(); }

std::shared_ptr<TSound> TAudioDriver::LoadSound(const std::string& url, int flags)
{
    auto sample = LoadAudioSample(url);
    return sample ? CreateSound(std::move(sample), flags) : nullptr;
}

namespace {

// What the silent driver streams: nothing is heard, but a looping tune
// plays until it is stopped, as it would on a sound card. Were it never
// playing, a caller that restarts a stopped tune would reopen its file in
// every frame on a machine without sound
class TSilentStream final : public TAudioStream {
public:
    explicit TSilentStream(int loop) : playing_(loop != 0) {}
    void Update() override {}
    void Stop() override { playing_ = false; }
    int Playing() override { return playing_ ? 1 : 0; }

private:
    bool playing_;
};

} // namespace

std::shared_ptr<TAudioStream> TAudioDriver::CreateStream(std::shared_ptr<TMusic> music, int)
{
    return std::make_shared<TSilentStream>(music->Geti(MUSIC_LOOP));
}

std::shared_ptr<TChannel> TSound::Cue(std::shared_ptr<TChannel> channel)
{
    return channel ? channel : CurrentAudioDriver().AllocChannel();
}

std::shared_ptr<TChannel> TSound::Play(std::shared_ptr<TChannel> channel) { return Cue(std::move(channel)); }

std::shared_ptr<TSound> TSound::Load(const std::string& url, int flags)
{
    return CurrentAudioDriver().LoadSound(url, flags);
}

std::shared_ptr<TSound> TSound::Load(std::shared_ptr<TAudioSample> sample, int flags)
{
    return CurrentAudioDriver().CreateSound(std::move(sample), flags);
}

void AddAudioDriver(std::unique_ptr<TAudioDriver> driver)
{
    DriverList& list = Drivers();
    driver->_succ = list.first;
    list.first = driver.get();
    list.owned.push_back(std::move(driver));
}

TAudioDriver* AudioDrivers() { return Drivers().first; }

TAudioDriver& CurrentAudioDriver()
{
    DriverList& list = Drivers();
    if (!list.current && !SetAudioDriver("Mixer")) list.current = list.null;
    return *list.current;
}

int SetAudioDriver(const std::string& name)
{
    DriverList& list = Drivers();
    if (list.current) list.current->Shutdown();
    list.current = list.null;
    std::string wanted = LowerAscii(name);
    TAudioDriver* candidate = list.first;
    while (candidate && LowerAscii(candidate->Name()) != wanted) candidate = candidate->_succ;
    if (!candidate || !candidate->Startup()) return 0;
    list.current = candidate;
    return 1;
}

void ShutdownAudio()
{
    DriverList& list = Drivers();
    if (list.current) list.current->Shutdown();
    list.current = list.null;
}

std::shared_ptr<TSound> LoadSound(const std::string& url, int flags)
{
    return CurrentAudioDriver().LoadSound(url, flags);
}

std::shared_ptr<TChannel> PlaySound(const std::shared_ptr<TSound>& sound, std::shared_ptr<TChannel> channel)
{
    return sound ? sound->Play(std::move(channel)) : nullptr;
}

int StopChannel(const std::shared_ptr<TChannel>& channel)
{
    if (channel) channel->Stop();
    return 0;
}

int ChannelPlaying(const std::shared_ptr<TChannel>& channel) { return channel ? channel->Playing() : 0; }

static std::shared_ptr<TChannel> StartStream(std::shared_ptr<TMusic> music, int loop, int paused, int keep)
{
    if (!music) return nullptr;
    music->Seti(MUSIC_LOOP, loop);
    auto stream = CurrentAudioDriver().CreateStream(music, paused);
    if (!stream) {
        if (!keep) music->Free();
        return nullptr;
    }
    stream->KeepMusic = keep;
    return stream;
}

std::shared_ptr<TChannel> PlayMusic(const std::string& url, int loop, int paused)
{
    return StartStream(LoadMusic(url), loop, paused, 0);
}

std::shared_ptr<TChannel> PlayMusic(std::shared_ptr<TMusic> music, int loop, int paused)
{
    return StartStream(std::move(music), loop, paused, 1);
}

} // namespace engine
