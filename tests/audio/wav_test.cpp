#include <gtest/gtest.h>

#include "engine/audio/audio.h"
#include "tests/audio/wav_bytes.h"

using namespace engine;
using namespace audiotest;

namespace {

TEST(WavLoader, TheFourLayoutsLoadWithTheirRateAndLength)
{
    const struct { int channels, bits, format; } cases[] = {
        {1, 8, SF_MONO8}, {2, 8, SF_STEREO8}, {1, 16, SF_MONO16LE}, {2, 16, SF_STEREO16LE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.bits << " bits");
        Bytes data;
        for (int i = 0; i < 7 * c.channels * c.bits / 8; ++i) data.push_back(std::uint8_t(i * 37));
        auto sample = LoadWavSample(Wav(c.channels, 22050, c.bits, data));
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->format, c.format);
        EXPECT_EQ(sample->hertz, 22050);
        EXPECT_EQ(sample->length, 7);
        EXPECT_EQ(Bytes(sample->samples, sample->samples + data.size()), data);
    }
}

TEST(WavLoader, ExtraFmtBytesAndOtherChunksAreSkipped)
{
    Bytes data = {1, 2, 3, 4, 5, 6};
    Bytes wav = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16, 2)), Chunk("LIST", Bytes(10, 'x')),
                      Chunk("fact", Bytes(4, 0)), Chunk("data", data)});
    auto sample = LoadWavSample(wav);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->length, 3);
    EXPECT_EQ(sample->samples[0], 1);
    EXPECT_EQ(sample->samples[5], 6);
}

TEST(WavLoader, FilesOutsideTheRulesFail)
{
    Bytes data(16, 0x40);
    Bytes fmt = Chunk("fmt ", FmtBody(1, 1, 8000, 16));
    const struct { const char* what; Bytes wav; } cases[] = {
        {"fmt chunk not first", Riff({Chunk("LIST", Bytes(4, 0)), fmt, Chunk("data", data)})},
        {"not PCM", Riff({Chunk("fmt ", FmtBody(3, 1, 8000, 32)), Chunk("data", data)})},
        {"24-bit", Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 24)), Chunk("data", data)})},
        {"three channels", Riff({Chunk("fmt ", FmtBody(1, 3, 8000, 16)), Chunk("data", data)})},
        {"fmt chunk too short", Riff({Chunk("fmt ", Bytes(12, 1)), Chunk("data", data)})},
        {"no data chunk", Riff({fmt, Chunk("LIST", Bytes(8, 0))})},
        {"data longer than the file", Riff({fmt, Chunk("data", data, 18)})},
        {"data length near 4 GiB", Riff({fmt, Chunk("data", data, 0xfffffff0u)})},
        {"a skipped chunk longer than the file", Riff({fmt, Chunk("LIST", Bytes(4, 0), 0xffffffffu), Chunk("data", data)})},
        {"fmt length past the end", Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16), 0x7fffffffu)})},
        {"not RIFF", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"empty", Bytes{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(LoadWavSample(c.wav));
        EXPECT_FALSE(LoadAudioSampleFromBytes(c.wav)) << "another loader took it";
    }
}

TEST(WavLoader, EveryTruncationOfAGoodFileFails)
{
    Bytes wav = Riff({Chunk("fmt ", FmtBody(1, 2, 44100, 16, 2)), Chunk("LIST", Bytes(6, 'i')),
                      Chunk("data", Sine16(440, 44100, 20, 9000))});
    ASSERT_TRUE(LoadWavSample(wav));
    // The data chunk's last frame ends the file, so any cut loses part of it
    for (std::size_t n = 0; n < wav.size(); ++n) {
        Bytes cut(wav.begin(), wav.begin() + std::ptrdiff_t(n));
        EXPECT_FALSE(LoadWavSample(cut)) << "cut at " << n;
    }
}

std::vector<int> Values(const TAudioSample& s)
{
    std::vector<int> out;
    int frame = BytesPerSampleFrame(s.format);
    for (int i = 0; i < s.length * frame; ++i) out.push_back(s.samples[i]);
    return out;
}

TEST(AudioSample, ConvertChangesLayoutsAndKeepsTheSound)
{
    std::uint8_t stereoLE[] = {0x00, 0x10, 0x00, 0x30,    // 4096, 12288
                               0x00, 0xf0, 0x00, 0xd0};   // -4096, -12288
    auto source = TAudioSample::CreateStatic(stereoLE, 2, 11025, SF_STEREO16LE);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->capacity, 0);

    auto be = source->Convert(SF_STEREO16BE);
    EXPECT_EQ(Values(*be), (std::vector<int>{0x10, 0x00, 0x30, 0x00, 0xf0, 0x00, 0xd0, 0x00}));
    auto mono = source->Convert(SF_MONO16LE);   // the mean of the sides
    EXPECT_EQ(Values(*mono), (std::vector<int>{0x00, 0x20, 0x00, 0xe0}));
    auto mono8 = source->Convert(SF_MONO8);     // high byte, offset to unsigned
    EXPECT_EQ(Values(*mono8), (std::vector<int>{0xa0, 0x60}));
    auto back = mono8->Convert(SF_STEREO16LE);  // both sides from the one
    EXPECT_EQ(Values(*back), (std::vector<int>{0x00, 0x20, 0x00, 0x20, 0x00, 0xe0, 0x00, 0xe0}));
    EXPECT_EQ(back->hertz, 11025);
    EXPECT_EQ(back->length, 2);
    EXPECT_FALSE(source->Convert(7));

    auto copy = source->Copy();
    stereoLE[1] = 0x7f;
    EXPECT_EQ(copy->samples[1], 0x10) << "a copy owns its bytes";
    EXPECT_EQ(copy->capacity, 8);
}

TEST(SampleLoaders, OggVorbisAndMp3FilesDecodeToTheirTone)
{
    // Made with sox and lame: 0.5 s of 440 Hz
    const struct { const char* file; int hertz, channels; } cases[] = {
        {VB_SOURCE_DIR "/tests/audio/fixtures/tone440.ogg", 22050, 1},
        {VB_SOURCE_DIR "/tests/audio/fixtures/tone440.mp3", 44100, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto sample = LoadAudioSample(c.file);
        ASSERT_TRUE(sample);
        EXPECT_EQ(sample->hertz, c.hertz);
        EXPECT_EQ(ChannelsOf(sample->format), c.channels);
        EXPECT_NEAR(sample->length, c.hertz / 2, c.hertz / 50);
        auto stereo = sample->Convert(SF_STEREO16LE);
        std::vector<std::int16_t> values(std::size_t(stereo->length) * 2);
        std::memcpy(values.data(), stereo->samples, values.size() * 2);
        EXPECT_NEAR(MeasuredFrequency(values, 0, c.hertz), 440.0, 2.0);
    }
    EXPECT_FALSE(LoadAudioSample(VB_SOURCE_DIR "/tests/audio/fixtures/missing.wav"));
}

} // namespace
