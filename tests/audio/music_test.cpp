#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/runtime/error.h"
#include "tests/audio/loopback_fixture.h"
#include "tests/audio/wav_bytes.h"

using namespace engine;
using namespace audiotest;

namespace {

const char* kTune = VB_SOURCE_DIR "/system/m013/Varnick Bozzle - Intro.mp3";

// The whole tune as the decoder gives it, for comparing with what was heard
const std::vector<std::int16_t>& DecodedTune()
{
    static const std::vector<std::int16_t> pcm = [] {
        StartAudio();
        auto sample = LoadAudioSample(kTune);
        std::vector<std::int16_t> out;
        if (!sample || sample->format != SF_STEREO16LE) return out;
        out.resize(std::size_t(sample->length) * 2);
        std::memcpy(out.data(), sample->samples, out.size() * 2);
        return out;
    }();
    return pcm;
}

int MaxDifference(const std::vector<std::int16_t>& heard, std::size_t heardFrom, const std::vector<std::int16_t>& tune,
                  std::size_t tuneFrom, std::size_t frames)
{
    int worst = 0;
    for (std::size_t i = 0; i < 2 * frames; ++i)
        worst = std::max(worst, std::abs(heard[2 * heardFrom + i] - tune[2 * tuneFrom + i]));
    return worst;
}

TEST(TitleTune, IsAWholeNumberOfBeatsLongAndItsEndFlowsIntoItsStart)
{
    const auto& tune = DecodedTune();
    std::size_t frames = tune.size() / 2;
    ASSERT_GT(frames, 0u);
    double seconds = double(frames) / kHertz;
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 90.0);
    // The tune is made of beats of 21000 frames; any encoder delay or
    // padding left in would show as a remainder
    EXPECT_EQ(frames % 21000, 0u) << frames << " frames";
    // No click at the seam: the step from the last frame to the first is no
    // bigger than the steps the tune takes anyway
    int largestStep = 0;
    for (std::size_t i = 2; i < tune.size(); ++i) largestStep = std::max(largestStep, std::abs(tune[i] - tune[i - 2]));
    for (int side = 0; side < 2; ++side) {
        int seamStep = std::abs(tune[std::size_t(side)] - tune[tune.size() - 2 + std::size_t(side)]);
        EXPECT_LT(seamStep, largestStep / 4) << "side " << side;
    }
}

using MusicTest = Loopback;

TEST_F(MusicTest, TheLoopingTuneGoesRoundWithoutAGapAndKeepsPlaying)
{
    const auto& tune = DecodedTune();
    std::size_t frames = tune.size() / 2;
    ASSERT_GT(frames, 0u);
    auto channel = PlayMusic(kTune, 1, 0);
    ASSERT_TRUE(channel);
    std::vector<std::int16_t> heard = Render(int(frames) + kHertz);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    EXPECT_LE(MaxDifference(heard, 0, tune, 0, kHertz), 1) << "the start";
    EXPECT_LE(MaxDifference(heard, frames - kHertz / 2, tune, frames - kHertz / 2, kHertz / 2), 1) << "before the seam";
    EXPECT_LE(MaxDifference(heard, frames, tune, 0, kHertz), 1) << "after the seam: the start again";

    // A second time round and more, the refills keep up
    std::vector<std::int16_t> later = Render(int(frames));
    EXPECT_EQ(ChannelPlaying(channel), 1);
    EXPECT_LE(MaxDifference(later, frames - kHertz, tune, 0, kHertz), 1);

    StopChannel(channel);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    std::vector<std::int16_t> after = Render(kHertz / 10);
    EXPECT_EQ(Peak(after, 0, 512), 0) << "silence once stopped";
}

TEST_F(MusicTest, ANewPlayStartsFromTheBeginning)
{
    const auto& tune = DecodedTune();
    auto first = PlayMusic(kTune, 1, 0);
    Render(3 * kHertz);
    StopChannel(first);
    Render(512);
    auto second = PlayMusic(kTune, 1, 0);
    ASSERT_TRUE(second);
    std::vector<std::int16_t> heard = Render(kHertz);
    EXPECT_LE(MaxDifference(heard, 0, tune, 0, kHertz), 1);
}

TEST_F(MusicTest, AOneShotTuneStopsOnceAllOfItWasHeard)
{
    std::string path = testing::TempDir() + "short_tune.wav";
    const int frames = kHertz / 2;
    Bytes mono = Sine16(330, kHertz, frames, 9000), stereo;
    for (std::size_t i = 0; i < mono.size(); i += 2) stereo.insert(stereo.end(), {mono[i], mono[i + 1], mono[i], mono[i + 1]});
    ASSERT_TRUE(WriteFile(path, Wav(2, kHertz, 16, stereo)));
    auto channel = PlayMusic(path, 0, 0);
    unlink(path.c_str());
    ASSERT_TRUE(channel);
    std::vector<std::int16_t> heard = Render(frames - 2000);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    EXPECT_NEAR(Peak(heard, 0), 9000, 2);
    std::vector<std::int16_t> rest = Render(kHertz / 2);
    EXPECT_EQ(ChannelPlaying(channel), 0);
    EXPECT_GT(Peak(rest, 0), 8000) << "the last part was heard before it stopped";
    EXPECT_EQ(Peak(rest, 0, 4000), 0);
}

TEST_F(MusicTest, APausedStartIsSilentUntilResumed)
{
    auto channel = PlayMusic(kTune, 1, 1);
    ASSERT_TRUE(channel);
    EXPECT_EQ(Peak(Render(kHertz / 4), 0), 0);
    EXPECT_EQ(ChannelPlaying(channel), 1);
    channel->SetPaused(0);
    EXPECT_GT(Peak(Render(kHertz / 4), 0), 1000);
}

TEST_F(MusicTest, AMissingTuneIsAnErrorAndAFileNoLoaderTakesGivesNothing)
{
    try {
        PlayMusic(VB_SOURCE_DIR "/system/m013/no such tune.mp3", 1, 0);
        ADD_FAILURE() << "no error";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "Unable to open MP3");
    }
    EXPECT_FALSE(PlayMusic(VB_SOURCE_DIR "/README.md", 1, 0));
}

} // namespace
