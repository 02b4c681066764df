#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/runtime/error.h"
#include "tests/audio/loopback_fixture.h"
#include "tests/audio/wav_bytes.h"

using namespace engine;
using namespace audiotest;

namespace {

std::shared_ptr<TSound> SineSound(double frequency, int frames, double amplitude)
{
    Bytes wav = Wav(1, kHertz, 16, Sine16(frequency, kHertz, frames, amplitude));
    return TSound::Load(LoadWavSample(wav), 0);
}

using SoundTest = Loopback;

TEST_F(SoundTest, ThreePlaysInOneFrameAreThreeOverlappingVoices)
{
    auto sound = SineSound(500, kHertz / 4, 6000);
    ASSERT_TRUE(sound);
    PlaySound(sound);
    std::vector<std::int16_t> one = Render(kHertz / 8);

    ASSERT_EQ(SetAudioDriver("loopback"), 1);
    sound = SineSound(500, kHertz / 4, 6000);
    std::shared_ptr<TChannel> a = PlaySound(sound), b = PlaySound(sound), c = PlaySound(sound);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    std::vector<std::int16_t> three = Render(kHertz / 8);

    ASSERT_GT(Peak(one, 0), 3000);
    for (std::size_t i = 0; i < one.size(); ++i) ASSERT_NEAR(three[i], 3 * one[i], 3) << "at " << i;
}

TEST_F(SoundTest, AnEffectWhoseChannelWasDroppedPlaysToItsEnd)
{
    auto sound = SineSound(500, kHertz / 2, 6000);
    PlaySound(sound);   // the channel is dropped at once, as the game does
    auto other = PlaySound(SineSound(700, 100, 1));   // a later play reaps finished voices only
    std::vector<std::int16_t> out = Render(kHertz);
    int lastLoud = 0;
    for (int i = 0; i < kHertz; ++i)
        if (std::abs(out[2 * i]) > 200) lastLoud = i;
    EXPECT_NEAR(lastLoud, kHertz / 2, 100);
}

TEST_F(SoundTest, A22050HzMono8BitWavPlaysAtItsOwnPitchAndLength)
{
    std::string path = testing::TempDir() + "tone22050.wav";
    ASSERT_TRUE(WriteFile(path, Wav(1, 22050, 8, Sine8(1000, 22050, 22050 / 2, 100))));
    auto sound = LoadSound(path, 0);
    unlink(path.c_str());
    ASSERT_TRUE(sound);
    auto channel = PlaySound(sound);
    std::vector<std::int16_t> out = Render(kHertz / 4);
    EXPECT_NEAR(MeasuredFrequency(out, 0, kHertz), 1000.0, 3.0);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    Render(kHertz / 4 + kHertz / 20);
    EXPECT_EQ(ChannelPlaying(channel), 0) << "half a second of sample lasts half a second";
}

TEST_F(SoundTest, VolumeScalesTheAmplitudeAndPanMovesItToOneSide)
{
    auto sound = SineSound(600, kHertz / 4, 8000);
    PlaySound(sound);
    std::vector<std::int16_t> full = Render(kHertz / 8);
    const struct { float volume, pan; double left, right; } cases[] = {
        {0.5f, 0.0f, 0.5, 0.5}, {1.0f, -1.0f, 1.0, 0.0}, {1.0f, 1.0f, 0.0, 1.0}, {0.5f, -1.0f, 0.5, 0.0}};
    // A centred voice is shared between the sides; one at a side has it all
    const double fullSide = 8000.0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << ", pan " << c.pan);
        ASSERT_EQ(SetAudioDriver("loopback"), 1);
        auto again = SineSound(600, kHertz / 4, 8000);
        auto channel = CurrentAudioDriver().AllocChannel();
        channel->SetVolume(c.volume);
        channel->SetPan(c.pan);
        PlaySound(again, channel);
        std::vector<std::int16_t> out = Render(kHertz / 8);
        double centre = Peak(full, 0);
        double expectLeft = c.pan == 0 ? centre * c.volume : fullSide * c.left;
        double expectRight = c.pan == 0 ? centre * c.volume : fullSide * c.right;
        EXPECT_NEAR(Peak(out, 0), expectLeft, 40);
        EXPECT_NEAR(Peak(out, 1), expectRight, 40);
    }
}

TEST_F(SoundTest, DriverNamesIgnoreCaseAndAnUnknownOneLeavesTheSilentDriver)
{
    EXPECT_EQ(SetAudioDriver("LOOPBACK"), 1);
    EXPECT_EQ(CurrentAudioDriver().Name(), "Loopback");
    EXPECT_EQ(SetAudioDriver("no such driver"), 0);
    EXPECT_EQ(CurrentAudioDriver().Name(), "Null");

    std::vector<std::string> names;
    for (TAudioDriver* d = AudioDrivers(); d; d = d->_succ) names.push_back(d->Name());
    for (const char* name : {"DirectSound", "OpenAL", "OpenAL Default", "Mixer", "Null"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(SoundTest, ADriverShutDownSilencesWhatItMade)
{
    auto sound = SineSound(500, kHertz, 6000);
    auto channel = PlaySound(sound);
    auto tune = PlayMusic(VB_SOURCE_DIR "/system/m013/Varnick Bozzle - Intro.mp3", 1, 0);
    Render(1000);
    ASSERT_EQ(ChannelPlaying(channel), 1);
    ASSERT_EQ(ChannelPlaying(tune), 1);
    ASSERT_EQ(SetAudioDriver("loopback"), 1);   // shuts the old device down first
    EXPECT_EQ(ChannelPlaying(channel), 0);
    EXPECT_EQ(ChannelPlaying(tune), 0);
    EXPECT_EQ(ChannelPlaying(PlaySound(sound)), 0) << "a sound of the old driver plays nothing";
    std::vector<std::int16_t> out = Render(2000);
    EXPECT_EQ(Peak(out, 0), 0);
    StopChannel(tune);
}

// No sound card here: the environment gives OpenAL only a back-end that
// cannot open (see CMakeLists.txt)
TEST(NoSoundDevice, TheGameDriverFallsBackToSilence)
{
    StartAudio();
    EXPECT_EQ(SetAudioDriver("directsound"), 0);
    EXPECT_EQ(CurrentAudioDriver().Name(), "Null");
    auto sound = LoadSound(VB_SOURCE_DIR "/system/m013/001.wav", 0);
    ASSERT_TRUE(sound) << "effects still load";
    EXPECT_EQ(ChannelPlaying(PlaySound(sound)), 0);
    EXPECT_FALSE(LoadSound(VB_SOURCE_DIR "/system/m013/none.wav", 0));
    // The tune streams silently: looping, it plays until stopped; once through, it is done
    auto tune = PlayMusic(VB_SOURCE_DIR "/system/m013/Varnick Bozzle - Intro.mp3", 1, 0);
    EXPECT_EQ(ChannelPlaying(tune), 1);
    StopChannel(tune);
    EXPECT_EQ(ChannelPlaying(tune), 0);
    EXPECT_EQ(ChannelPlaying(PlayMusic(VB_SOURCE_DIR "/system/m013/Varnick Bozzle - Intro.mp3", 0, 0)), 0);
    EXPECT_THROW(PlayMusic(VB_SOURCE_DIR "/system/m013/none.mp3", 1, 0), TRuntimeError);
}

} // namespace
