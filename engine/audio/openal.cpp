// The OpenAL driver: one per output device, the loopback driver that mixes
// into memory, their sounds and channels, and the streamed music channel.
#define AL_ALEXT_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/audio/audio_internal.h"
#include "engine/audio/loopback.h"
#include "engine/input/event.h"
#include "engine/input/hook.h"

namespace engine {

namespace {

class TOpenALSound;
class TOpenALStream;

// A sound playing on an OpenAL source. The driver keeps every voice until
// it has finished and no channel refers to it, so an effect whose channel
// the game dropped at once still plays to its end.
struct Voice {
    ALuint source = 0;
    std::shared_ptr<TOpenALSound> sound;
};

// What one started driver has made; all of it is released at Shutdown, and
// sounds, channels and streams of a driver that has shut down do nothing
struct ALState {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool alive = false;
    std::vector<std::shared_ptr<Voice>> voices;
    std::vector<std::weak_ptr<TOpenALSound>> sounds;
    std::vector<TOpenALStream*> streams;
};

ALenum ALFormatOf(int format)
{
    switch (format) {
    case SF_MONO8: return AL_FORMAT_MONO8;
    case SF_STEREO8: return AL_FORMAT_STEREO8;
    case SF_STEREO16LE: return AL_FORMAT_STEREO16;
    default: return AL_FORMAT_MONO16;
    }
}

ALint SourceState(ALuint source)
{
    ALint state = AL_STOPPED;
    if (source) alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

// Where a source sits for a pan and a depth: on a unit circle around the
// listener, so pan and depth change direction only, never loudness
void PlaceSource(ALuint source, float pan, float depth)
{
    pan = std::clamp(pan, -1.0f, 1.0f);
    depth = std::clamp(depth, -1.0f, 1.0f);
    float front = std::sqrt(1.0f - pan * pan);
    float z = depth < 0 ? front : -front;
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    alSource3f(source, AL_POSITION, pan, 0.0f, z);
    // Stereo sounds ignore their position; their two sides turn instead
    const float kHalfPi = 1.5707963f, kSide = 0.5235988f;
    float angles[2] = {pan <= 0 ? kSide + (kHalfPi - kSide) * -pan : kSide - (kHalfPi + kSide) * pan,
                       pan >= 0 ? -kSide - (kHalfPi - kSide) * pan : -kSide + (kHalfPi + kSide) * -pan};
    if (alIsExtensionPresent("AL_EXT_STEREO_ANGLES")) alSourcefv(source, AL_STEREO_ANGLES, angles);
}

class TOpenALSound final : public TSound {
public:
    TOpenALSound(std::shared_ptr<ALState> state, ALuint buffer, bool loop)
        : state_(std::move(state)), buffer_(buffer), loop_(loop) {}
    ~TOpenALSound() override { Release(); }
    void Release()
    {
        if (buffer_ && state_->alive) alDeleteBuffers(1, &buffer_);
        buffer_ = 0;
    }
    std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel) override;
    std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel) override;

    std::shared_ptr<ALState> state_;
    ALuint buffer_;
    bool loop_;
};

class TOpenALChannel final : public TChannel {
public:
    TOpenALChannel(std::shared_ptr<ALState> state, std::shared_ptr<Voice> voice)
        : state_(std::move(state)), voice_(std::move(voice)) {}
    bool Live() const { return state_->alive && voice_->source != 0; }

    void Stop() override
    {
        if (Live()) alSourceStop(voice_->source);
    }
    void SetPaused(int paused) override
    {
        paused_ = paused != 0;
        if (!Live()) return;
        ALint state = SourceState(voice_->source);
        if (paused_ && state == AL_PLAYING) alSourcePause(voice_->source);
        if (!paused_ && state == AL_PAUSED) alSourcePlay(voice_->source);
    }
    void SetVolume(float volume) override
    {
        volume_ = volume;
        if (Live()) alSourcef(voice_->source, AL_GAIN, std::max(volume, 0.0f));
    }
    void SetPan(float pan) override
    {
        pan_ = pan;
        if (Live()) PlaceSource(voice_->source, pan_, depth_);
    }
    void SetDepth(float depth) override
    {
        depth_ = depth;
        if (Live()) PlaceSource(voice_->source, pan_, depth_);
    }
    void SetRate(float rate) override
    {
        rate_ = rate;
        if (Live()) alSourcef(voice_->source, AL_PITCH, rate > 0 ? rate : 1.0f);
    }
    int Playing() override
    {
        if (!Live()) return 0;
        ALint state = SourceState(voice_->source);
        return state == AL_PLAYING || state == AL_PAUSED ? 1 : 0;
    }

    // Rewinds the sound onto this voice with the channel's settings, paused
    void Cue(const std::shared_ptr<TOpenALSound>& sound)
    {
        if (!Live() || !sound->buffer_) return;
        ALuint source = voice_->source;
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, ALint(sound->buffer_));
        voice_->sound = sound;
        alSourcei(source, AL_LOOPING, sound->loop_ ? AL_TRUE : AL_FALSE);
        alSourceRewind(source);
        SetVolume(volume_);
        SetPan(pan_);
        SetRate(rate_);
    }
    void Start()
    {
        if (Live() && voice_->sound && !paused_) alSourcePlay(voice_->source);
    }

private:
    std::shared_ptr<ALState> state_;
    std::shared_ptr<Voice> voice_;
    float volume_ = 1.0f, pan_ = 0.0f, depth_ = 0.0f, rate_ = 1.0f;
    bool paused_ = false;
};

std::shared_ptr<TChannel> TOpenALSound::Cue(std::shared_ptr<TChannel> channel)
{
    if (!channel) channel = CurrentAudioDriver().AllocChannel();
    if (auto* al = dynamic_cast<TOpenALChannel*>(channel.get())) {
        al->Cue(std::static_pointer_cast<TOpenALSound>(shared_from_this()));
    }
    return channel;
}

std::shared_ptr<TChannel> TOpenALSound::Play(std::shared_ptr<TChannel> channel)
{
    channel = Cue(std::move(channel));
    if (auto* al = dynamic_cast<TOpenALChannel*>(channel.get())) al->Start();
    return channel;
}

// The music channel: a source fed by a queue of buffers that together hold
// 0.75 s, refilled from the decoder as they are played. A 120 Hz refill
// keeps the queue nearly full, so even a main thread that stalls for half a
// second leaves the tune playing.
class TOpenALStream final : public TAudioStream {
public:
    static constexpr int kBuffers = 6;

    TOpenALStream(std::shared_ptr<ALState> state, std::shared_ptr<TMusic> music, int paused)
        : state_(std::move(state))
    {
        Music = std::move(music);
        samplerate = Music->SAMPLE_RATE > 0 ? Music->SAMPLE_RATE : 44100;
        this->paused = paused;
        chunkBytes_ = samplerate / 8 * 4;   // 0.125 s of 16-bit stereo
        block_.resize(std::size_t(chunkBytes_));
        alGenSources(1, &source_);
        if (alGetError() != AL_NO_ERROR) source_ = 0;
        if (source_) alGenBuffers(kBuffers, buffers_);
        if (source_ && alGetError() != AL_NO_ERROR) {
            alDeleteSources(1, &source_);
            source_ = 0;
        }
        if (!source_) return;
        SetPan(0.0f);
        state_->streams.push_back(this);
        AddHook(EmitEventHook(), TickHook, this);
        for (ALuint buffer : buffers_) Queue(buffer);
        if (!paused) alSourcePlay(source_);
    }
    ~TOpenALStream() override { Stop(); }

    void Update() override
    {
        if (!Live()) return;
        ALint processed = 0;
        alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
        for (ALint i = 0; i < processed; ++i) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source_, 1, &buffer);
            Queue(buffer);
        }
        ALint queued = 0;
        alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
        ALint state = SourceState(source_);
        // Everything the decoder gave has been heard
        if (queued == 0 && state != AL_PLAYING) {
            Stop();
            return;
        }
        // A main thread that stalled past the whole queue made the source
        // run dry; it goes on with what has been refilled since
        if (state != AL_PLAYING && state != AL_PAUSED && !paused) alSourcePlay(source_);
    }

    void Stop() override
    {
        if (!source_) return;
        RemoveHook(EmitEventHook(), TickHook, this);
        auto& streams = state_->streams;
        streams.erase(std::remove(streams.begin(), streams.end(), this), streams.end());
        if (state_->alive) {
            alSourceStop(source_);
            alSourcei(source_, AL_BUFFER, 0);
            alDeleteSources(1, &source_);
            alDeleteBuffers(kBuffers, buffers_);
        }
        source_ = 0;
        if (Music && !KeepMusic) Music->Free();
        Music.reset();
    }
    void SetPaused(int paused) override
    {
        this->paused = paused != 0;
        if (!Live()) return;
        if (this->paused) alSourcePause(source_);
        else if (SourceState(source_) != AL_PLAYING) alSourcePlay(source_);
    }
    void SetVolume(float volume) override
    {
        if (Live()) alSourcef(source_, AL_GAIN, std::max(volume, 0.0f));
    }
    // Centred, the tune's two sides go to the two speakers untouched
    void SetPan(float pan) override
    {
        if (!Live()) return;
        PlaceSource(source_, pan, 0.0f);
        if (alIsExtensionPresent("AL_SOFT_direct_channels"))
            alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, pan == 0.0f ? AL_TRUE : AL_FALSE);
    }
    void SetRate(float rate) override
    {
        if (Live()) alSourcef(source_, AL_PITCH, rate > 0 ? rate : 1.0f);
    }
    int Playing() override { return Live() ? 1 : 0; }

    // The driver is shutting down: its context goes, and this stream with it
    void Abandon()
    {
        Stop();
    }

private:
    bool Live() const { return source_ != 0 && state_->alive; }

    // Fills one buffer from the decoder and queues it; nothing once the
    // decoder has run out, so the queue drains and the stream ends
    void Queue(ALuint buffer)
    {
        int got = 0;
        if (Music && Music->PlayStatus == 1) got = Music->FillBuffer(block_.data(), chunkBytes_);
        got -= got % 4;
        if (got <= 0) return;
        alBufferData(buffer, AL_FORMAT_STEREO16, block_.data(), got, samplerate);
        alSourceQueueBuffers(source_, 1, &buffer);
        writepos += got;
    }

    static void* TickHook(int, void* data, void* context)
    {
        auto* event = static_cast<TEvent*>(data);
        if (event && event->id == EVENT_TIMERTICK && event->source == MusicTickSource())
            static_cast<TOpenALStream*>(context)->Update();
        return data;
    }

    std::shared_ptr<ALState> state_;
    ALuint source_ = 0;
    ALuint buffers_[kBuffers] = {};
    int chunkBytes_ = 0;
    std::vector<std::uint8_t> block_;
};

class TOpenALDriver final : public TAudioDriver {
public:
    // An empty device name opens the default device; a loopback driver
    // mixes at loopbackHertz into memory
    TOpenALDriver(std::string name, std::string device, int loopbackHertz = 0)
        : TAudioDriver(std::move(name)), device_(std::move(device)), loopbackHertz_(loopbackHertz) {}

    int Startup() override
    {
        Shutdown();
        auto state = std::make_shared<ALState>();
        if (!Open(*state)) return 0;
        state->alive = true;
        state_ = state;
        return 1;
    }

    void Shutdown() override
    {
        if (!state_) return;
        ALState& state = *state_;
        std::vector<TOpenALStream*> streams = state.streams;
        for (TOpenALStream* stream : streams) stream->Abandon();
        for (auto& voice : state.voices) {
            alSourceStop(voice->source);
            alSourcei(voice->source, AL_BUFFER, 0);
            alDeleteSources(1, &voice->source);
            voice->source = 0;
            voice->sound.reset();
        }
        state.voices.clear();
        for (auto& weak : state.sounds)
            if (auto sound = weak.lock()) sound->Release();
        state.sounds.clear();
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(state.context);
        alcCloseDevice(state.device);
        state.alive = false;
        state_.reset();
    }

    std::shared_ptr<TSound> CreateSound(std::shared_ptr<TAudioSample> sample, int flags) override
    {
        if (!state_ || !sample) return nullptr;
        // OpenAL takes 16-bit samples in the machine's order only
        if (sample->format == SF_MONO16BE) sample = sample->Convert(SF_MONO16LE);
        if (sample->format == SF_STEREO16BE) sample = sample->Convert(SF_STEREO16LE);
        if (sample->hertz <= 0) return nullptr;
        alGetError();
        ALuint buffer = 0;
        alGenBuffers(1, &buffer);
        alBufferData(buffer, ALFormatOf(sample->format), sample->samples,
                     sample->length * BytesPerSampleFrame(sample->format), sample->hertz);
        if (alGetError() != AL_NO_ERROR) {
            if (buffer) alDeleteBuffers(1, &buffer);
            return nullptr;
        }
        auto sound = std::make_shared<TOpenALSound>(state_, buffer, (flags & SOUND_LOOP) != 0);
        Prune(state_->sounds);
        state_->sounds.push_back(sound);
        return sound;
    }

    std::shared_ptr<TChannel> AllocChannel() override
    {
        if (!state_) return std::make_shared<TChannel>();
        ReapVoices();
        alGetError();
        auto voice = std::make_shared<Voice>();
        alGenSources(1, &voice->source);
        // Out of sources: this play is silent rather than an error
        if (alGetError() != AL_NO_ERROR) return std::make_shared<TChannel>();
        state_->voices.push_back(voice);
        return std::make_shared<TOpenALChannel>(state_, voice);
    }

    std::shared_ptr<TAudioStream> CreateStream(std::shared_ptr<TMusic> music, int paused) override
    {
        if (!state_) return nullptr;
        alGetError();
        auto stream = std::make_shared<TOpenALStream>(state_, std::move(music), paused);
        if (!stream->Playing()) return nullptr;
        return stream;
    }

    // Mixed as floats and rounded here: OpenAL's own 16-bit output adds
    // dither noise, and listening tests compare exact values
    bool Render(std::int16_t* out, int frames)
    {
        if (!state_ || loopbackHertz_ == 0 || frames < 0) return false;
        mixed_.resize(std::size_t(frames) * 2);
        alcRenderSamplesSOFT(state_->device, mixed_.data(), frames);
        for (std::size_t i = 0; i < mixed_.size(); ++i)
            out[i] = std::int16_t(std::lround(std::clamp(mixed_[i] * 32768.0f, -32768.0f, 32767.0f)));
        return true;
    }

    bool Timing(int& hertz, int& refresh) const
    {
        if (!state_) return false;
        alcGetIntegerv(state_->device, ALC_FREQUENCY, 1, &hertz);
        alcGetIntegerv(state_->device, ALC_REFRESH, 1, &refresh);
        return true;
    }

    bool Clock(std::int64_t& clockNanos, std::int64_t& latencyNanos) const
    {
        if (!state_ || !alcIsExtensionPresent(state_->device, "ALC_SOFT_device_clock")) return false;
        ALCint64SOFT values[2] = {};
        alcGetInteger64vSOFT(state_->device, ALC_DEVICE_CLOCK_LATENCY_SOFT, 2, values);
        clockNanos = values[0];
        latencyNanos = values[1];
        return true;
    }

private:
    bool Open(ALState& state)
    {
        if (loopbackHertz_ > 0) {
            state.device = alcLoopbackOpenDeviceSOFT(nullptr);
            if (!state.device) return false;
            ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                   ALC_FLOAT_SOFT, ALC_FREQUENCY, loopbackHertz_, 0};
            state.context = alcCreateContext(state.device, attributes);
        } else {
            state.device = alcOpenDevice(device_.empty() ? nullptr : device_.c_str());
            if (!state.device) return false;
            state.context = alcCreateContext(state.device, nullptr);
        }
        if (!state.context || !alcMakeContextCurrent(state.context)) {
            if (state.context) alcDestroyContext(state.context);
            alcCloseDevice(state.device);
            return false;
        }
        return true;
    }

    // Voices that have finished and that no channel refers to any more
    void ReapVoices()
    {
        auto& voices = state_->voices;
        auto finished = [](const std::shared_ptr<Voice>& voice) {
            ALint state = SourceState(voice->source);
            if (voice.use_count() > 1 || (state != AL_STOPPED && state != AL_INITIAL)) return false;
            alDeleteSources(1, &voice->source);
            return true;
        };
        voices.erase(std::remove_if(voices.begin(), voices.end(), finished), voices.end());
    }

    static void Prune(std::vector<std::weak_ptr<TOpenALSound>>& sounds)
    {
        sounds.erase(std::remove_if(sounds.begin(), sounds.end(), [](auto& w) { return w.expired(); }), sounds.end());
    }

    std::string device_;
    int loopbackHertz_;
    std::shared_ptr<ALState> state_;
    std::vector<float> mixed_;
};

// The names of the output devices OpenAL can open
std::vector<std::string> OutputDevices()
{
    std::vector<std::string> devices;
    const ALCchar* list = nullptr;
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT"))
        list = alcGetString(nullptr, ALC_ALL_DEVICES_SPECIFIER);
    else if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT"))
        list = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
    for (; list && *list; list += std::strlen(list) + 1) devices.emplace_back(list);
    return devices;
}

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// A machine without a sound card is no error for the game, which then runs
// silently; but probing one makes OpenAL and the ALSA library it loads print
// several lines to stderr, where the game's own one-line errors go. Both are
// told to keep quiet (a user's own OpenAL log setting still wins).
void QuietDeviceProbes()
{
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!alsa) return;
    auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(IgnoreAlsaMessage);
}

} // namespace

void RegisterOpenALDrivers()
{
    QuietDeviceProbes();
    for (const std::string& device : OutputDevices())
        AddAudioDriver(std::make_unique<TOpenALDriver>("OpenAL " + device, device));
    AddAudioDriver(std::make_unique<TOpenALDriver>("OpenAL Default", ""));
    AddAudioDriver(std::make_unique<TOpenALDriver>("OpenAL", ""));
    // The names the game and the first use of sound ask for: the default
    // device, which OpenAL mixes in software
    AddAudioDriver(std::make_unique<TOpenALDriver>("Mixer", ""));
    AddAudioDriver(std::make_unique<TOpenALDriver>("DirectSound", ""));
}

void AddLoopbackAudioDriver(const std::string& name, int hertz)
{
    AddAudioDriver(std::make_unique<TOpenALDriver>(name, "", hertz > 0 ? hertz : 44100));
}

bool AudioDeviceTiming(int& hertz, int& refresh)
{
    auto* driver = dynamic_cast<TOpenALDriver*>(&CurrentAudioDriver());
    return driver && driver->Timing(hertz, refresh);
}

bool AudioDeviceClock(std::int64_t& clockNanos, std::int64_t& latencyNanos)
{
    auto* driver = dynamic_cast<TOpenALDriver*>(&CurrentAudioDriver());
    return driver && driver->Clock(clockNanos, latencyNanos);
}

bool RenderLoopback(std::int16_t* out, int frames)
{
    auto* driver = dynamic_cast<TOpenALDriver*>(&CurrentAudioDriver());
    return driver && driver->Render(out, frames);
}

} // namespace engine
