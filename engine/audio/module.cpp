// The music module's start: loaders, drivers, the MP3 decoder and the
// refill timer.
#include <cstdlib>

#include "engine/audio/audio_internal.h"
#include "engine/input/timer.h"

namespace engine {

namespace {

std::shared_ptr<TTimer> gMusicTimer;
int gTickSentinel = 0;
bool gDriversRegistered = false;

} // namespace

void RegisterAudioDrivers()
{
    if (gDriversRegistered) return;
    gDriversRegistered = true;
    RegisterOpenALDrivers();
}

void StartAudio()
{
    RegisterAudioSampleLoaders();
    StartMp3Decoder();
    if (!gDriversRegistered) std::atexit(ShutdownAudio);
    RegisterAudioDrivers();
    // The timer's thread only posts; the refills run inside the main
    // thread's Poll. Without a platform (a unit test) there is no timer.
    if (!gMusicTimer) gMusicTimer = TTimer::Create(120);
}

const void* MusicTickSource() { return gMusicTimer ? static_cast<const void*>(gMusicTimer.get()) : &gTickSentinel; }

} // namespace engine
