// Sound: samples and their loaders, drivers, sounds, channels and the
// streamed music channel. Nothing above engine/audio sees OpenAL or mpg123.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

//---- Samples

enum : int {
    SF_MONO8 = 1,       // unsigned
    SF_MONO16LE = 2,
    SF_MONO16BE = 3,
    SF_STEREO8 = 4,     // unsigned
    SF_STEREO16LE = 5,
    SF_STEREO16BE = 6,
};
int BytesPerSampleFrame(int format);   // 0 for an unknown format
int ChannelsOf(int format);

// Decoded sample frames in memory. A sample made by Create owns its bytes;
// one made by CreateStatic only points at bytes its caller keeps alive.
struct TAudioSample {
    std::uint8_t* samples = nullptr;
    std::int32_t length = 0;     // sample frames
    std::int32_t hertz = 0;
    std::int32_t format = 0;
    std::int32_t capacity = 0;   // bytes allocated (0 for a static sample)

    // Null for an unknown format or a negative length
    static std::shared_ptr<TAudioSample> Create(int length, int hertz, int format);
    static std::shared_ptr<TAudioSample> CreateStatic(std::uint8_t* samples, int length, int hertz, int format);
    std::shared_ptr<TAudioSample> Copy() const;
    // The same sound in another layout: mono becomes both sides, stereo
    // becomes the mean of its sides, 8-bit keeps the high byte
    std::shared_ptr<TAudioSample> Convert(int format) const;

    std::vector<std::uint8_t> storage;
};

// Tried in turn by LoadAudioSample; each gets the whole file and returns
// null when the bytes are not its kind (or are damaged)
class TAudioSampleLoader {
public:
    virtual ~TAudioSampleLoader() = default;
    virtual std::shared_ptr<TAudioSample> LoadAudioSample(const std::vector<std::uint8_t>& bytes) = 0;
    TAudioSampleLoader* _succ = nullptr;
};

// WAV, Ogg Vorbis and MP3; repeated calls register nothing twice
void RegisterAudioSampleLoaders();
std::shared_ptr<TAudioSample> LoadAudioSample(const std::string& url);
std::shared_ptr<TAudioSample> LoadAudioSampleFromBytes(const std::vector<std::uint8_t>& bytes);
// The WAV loader on its own (also what the music loader for "wav" uses)
std::shared_ptr<TAudioSample> LoadWavSample(const std::vector<std::uint8_t>& bytes);

//---- Channels and sounds

// One voice. The base channel is silent: everything does nothing and
// Playing is 0.
class TChannel {
public:
    virtual ~TChannel() = default;
    virtual void Stop() {}
    virtual void SetPaused(int /*paused*/) {}
    virtual void SetVolume(float /*volume*/) {}
    virtual void SetPan(float /*pan*/) {}       // -1 left .. 1 right
    virtual void SetDepth(float /*depth*/) {}   // -1 behind .. 1 in front
    virtual void SetRate(float /*rate*/) {}     // 1 = the sample's own rate
    virtual int Playing() { return 0; }
};

enum : int { SOUND_LOOP = 1, SOUND_HARDWARE = 2 };

// A loaded sound bound to the driver that made it
class TSound : public std::enable_shared_from_this<TSound> {
public:
    virtual ~TSound() = default;
    // Cues the sound on the channel (a new one when null) and starts it
    virtual std::shared_ptr<TChannel> Play(std::shared_ptr<TChannel> channel = nullptr);
    // Rewinds the sound onto the channel, paused
    virtual std::shared_ptr<TChannel> Cue(std::shared_ptr<TChannel> channel = nullptr);
    // Through the current driver
    static std::shared_ptr<TSound> Load(const std::string& url, int flags);
    static std::shared_ptr<TSound> Load(std::shared_ptr<TAudioSample> sample, int flags);
};

class TMusic;
class TAudioStream;

//---- Drivers

// The base driver is the silent "Null" driver: it starts, and its sounds
// and channels do nothing. Every driver made joins the front of the list.
class TAudioDriver {
public:
    explicit TAudioDriver(std::string name = "Null");
    virtual ~TAudioDriver() = default;
    virtual std::string Name() { return name_; }
    virtual int Startup() { return 1; }
    virtual void Shutdown() {}
    virtual std::shared_ptr<TSound> CreateSound(std::shared_ptr<TAudioSample> sample, int flags);
    virtual std::shared_ptr<TChannel> AllocChannel();
    virtual std::shared_ptr<TSound> LoadSound(const std::string& url, int flags);
    // The music stream for this driver's kind of channel; the Null driver's
    // is silent, and a looping one plays until stopped
    virtual std::shared_ptr<TAudioStream> CreateStream(std::shared_ptr<TMusic> music, int paused);

    TAudioDriver* _succ = nullptr;

private:
    std::string name_;
};

// Registers the drivers the machine offers: "OpenAL", "OpenAL Default",
// one per output device, "DirectSound" (the default device, under the name
// the game asks for), "Mixer", and "Null". Repeated calls do nothing.
void RegisterAudioDrivers();
// Adds a driver made elsewhere (a test's own) to the front of the list
void AddAudioDriver(std::unique_ptr<TAudioDriver> driver);
TAudioDriver* AudioDrivers();   // the front of the list
// The driver in use; "Mixer" (else "Null") is selected on first use
TAudioDriver& CurrentAudioDriver();
// Shuts down the current driver at program exit; "Null" is current after it
void ShutdownAudio();

//---- The operations the game uses

// Case-insensitive; 1 when the driver started. On 0 the "Null" driver is current.
int SetAudioDriver(const std::string& name);
std::shared_ptr<TSound> LoadSound(const std::string& url, int flags);
std::shared_ptr<TChannel> PlaySound(const std::shared_ptr<TSound>& sound, std::shared_ptr<TChannel> channel = nullptr);
int StopChannel(const std::shared_ptr<TChannel>& channel);
int ChannelPlaying(const std::shared_ptr<TChannel>& channel);

//---- Music

enum : int {
    MUSIC_SIZE = 1, MUSIC_POSITION = 2, MUSIC_PLAYSTATUS = 3, MUSIC_FORMAT = 4,
    MUSIC_SAMPLERATE = 5, MUSIC_LOOP = 7,
};
// Stream formats and their bytes per frame
enum : int { STREAM_MONO8 = 200, STREAM_MONO16 = 201, STREAM_STEREO8 = 202, STREAM_STEREO16 = 203 };

// A decoder that hands out PCM bytes on demand: 16-bit stereo
class TMusic {
public:
    virtual ~TMusic() = default;
    void WriteBug(const std::string& line) { DebugData += line + "\n"; }
    virtual void Free() {}
    // Writes up to bytes bytes and returns how many; at the end of the data
    // it starts over when looping, else PlayStatus becomes 0
    virtual int FillBuffer(std::uint8_t* destination, int bytes) = 0;
    virtual void Setf(int /*key*/, float /*value*/) {}
    virtual float Getf(int /*key*/) { return 0; }
    virtual void Seti(int key, int value);
    virtual int Geti(int key);
    virtual std::string GetS() { return DebugData; }

    std::string DebugData;
    std::int32_t PlayStatus = 1;
    std::int32_t SAMPLE_RATE = 44100;
    std::int32_t STREAM_FORMAT = STREAM_STEREO16;
    std::int32_t STREAM_LOOP = 1;
    std::int32_t STREAM_POS = 0;
    std::int32_t STREAM_SIZE = 0;
};

using TMusicLoadFunc = std::shared_ptr<TMusic> (*)(const std::string& url);
struct TMusicLoader {
    std::string Name;   // for file dialogs
    TMusicLoadFunc Func;
    std::string Ext;
};
const std::vector<TMusicLoader>& MusicLoaders();
// Each loader in turn; null when none accepts the url. A file the MP3
// decoder cannot open raises "Unable to open MP3".
std::shared_ptr<TMusic> LoadMusic(const std::string& url);

// A looping or one-shot channel fed by a decoder through buffers kept ahead
// of the play position; refilled on the music timer's ticks
class TAudioStream : public TChannel {
public:
    ~TAudioStream() override = default;
    // Refills what has been played; ends a one-shot tune once all was heard
    virtual void Update() = 0;

    std::shared_ptr<TMusic> Music;
    std::int32_t writepos = 0;   // bytes written into the buffers
    std::int32_t paused = 0;
    std::int32_t samplerate = 44100;
    std::int32_t KeepMusic = 0;  // the caller handed in the decoder and keeps it
};

std::shared_ptr<TChannel> PlayMusic(const std::string& url, int loop, int paused);
std::shared_ptr<TChannel> PlayMusic(std::shared_ptr<TMusic> music, int loop, int paused);

// The music module: sample loaders, drivers, the MP3 decoder (raises
// "Unable to locate ACM" when it cannot start) and the 120 Hz refill timer
// (only once the platform's system driver exists)
void StartAudio();
// Streams answer TimerTick events from this source; a test without a
// platform timer emits its own ticks with it
const void* MusicTickSource();

} // namespace engine
