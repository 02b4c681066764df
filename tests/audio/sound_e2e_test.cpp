// The real binary under Xvfb with OpenAL's wave writer as its sound device:
// what the game sends to the speakers lands in a file that the test reads.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "scores/save_file.h"
#include "tests/support/process.h"
#include "tests/support/x11_screen.h"

using namespace testsupport;

namespace {

const char* kTitle = "Orvo's Pollux Framework";
constexpr int kHertz = 44100;

class RecordedGame : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = CopyStageFolder();
        ASSERT_FALSE(folder_.empty());
        recording_ = folder_ + "/speakers.wav";
        std::ofstream(folder_ + "/alsoft.conf") << "[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\n"
                                                   "sample-type=int16\n[wave]\nfile=" << recording_ << "\n";
    }
    void TearDown() override
    {
        Kill(game_);
        RemoveFolder(folder_);
    }
    void Start()
    {
        ASSERT_TRUE(Spawn({folder_ + "/varnick-bozzle"}, "/", game_, {"ALSOFT_CONF=" + folder_ + "/alsoft.conf"}));
        window_ = WaitForWindow(kTitle, 10000);
        ASSERT_FALSE(window_.empty()) << game_.stderrText;
        RunCommand("xdotool windowfocus --sync " + window_);
    }
    void Quit() { EXPECT_EQ(QuitWithEscape(game_, window_, 10000), 0) << game_.stderrText; }

    // Left and right values of the recording so far (the writer fills in
    // its sizes only when it closes, so the data runs to the end of the file)
    std::vector<std::int16_t> Recorded() const
    {
        std::ifstream in(recording_, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::int16_t> values;
        std::size_t data = bytes.find("data");
        if (data == std::string::npos) return values;
        std::size_t from = data + 8, count = (bytes.size() - from) / 4 * 2;
        values.resize(count);
        std::memcpy(values.data(), bytes.data() + from, count * 2);
        return values;
    }

    std::string folder_, recording_, window_;
    Child game_;
};

// Of the 10 ms blocks in [from, to) frames, how many hold sound
int LoudBlocks(const std::vector<std::int16_t>& v, std::size_t from, std::size_t to)
{
    int loud = 0;
    const std::size_t block = kHertz / 100;
    for (std::size_t at = from; at + block <= to && 2 * (at + block) <= v.size(); at += block) {
        int peak = 0;
        for (std::size_t i = 2 * at; i < 2 * (at + block); ++i) peak = std::max(peak, std::abs(int(v[i])));
        loud += peak > 1000;
    }
    return loud;
}

void Sleep(int millis) { std::this_thread::sleep_for(std::chrono::milliseconds(millis)); }

TEST_F(RecordedGame, TheTitleSendsItsTuneToTheSpeakers)
{
    Start();
    Sleep(2000);
    std::vector<std::int16_t> heard = Recorded();
    Quit();
    std::size_t frames = heard.size() / 2;
    ASSERT_GT(frames, std::size_t(kHertz)) << "the device was not written for two seconds";
    // The last second: the tune goes on without a break
    EXPECT_GE(LoudBlocks(heard, frames - kHertz, frames), 95);
}

TEST_F(RecordedGame, AClickOnTheSilentTitleAddsTheClickEffect)
{
    scores::PersistentValues values;
    values.musicOn = 0;
    values.playerId = 77;
    scores::WriteSaveFile(values, folder_ + "/system/m013/ironing.hat");
    Start();
    Sleep(1000);
    std::size_t beforeClick = Recorded().size() / 2;
    RunCommand("xdotool mousemove --window " + window_ + " 400 300 click 1");
    Sleep(800);
    std::vector<std::int16_t> heard = Recorded();
    Quit();
    ASSERT_GT(beforeClick, std::size_t(kHertz / 2));
    EXPECT_EQ(LoudBlocks(heard, 0, beforeClick), 0) << "music off: nothing before the click";
    int loud = LoudBlocks(heard, beforeClick, heard.size() / 2);
    // The click is a few hundredths of a second, not a tune
    EXPECT_GE(loud, 1);
    EXPECT_LE(loud, 10);
}

// The tally has no backdrop: the picture's right edge turns black. The
// window of a bare X server sits at 32, 32
bool TallyShown()
{
    ScreenShot shot;
    if (!GrabScreen(shot)) return false;
    for (int y : {150, 300, 450}) {
        Rgb p = shot.At(32 + 780, 32 + y);
        if (p.r > 8 || p.g > 8 || p.b > 8) return false;
    }
    return true;
}

// Waits up to timeoutMillis for the tally; the milliseconds it took, or -1
int WaitForTally(int timeoutMillis)
{
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        int waited = int(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        if (TallyShown()) return waited;
        if (waited > timeoutMillis) return -1;
        Sleep(50);
    }
}

// How wide the tally's objects-passed count ("N x 10 = M", centred on
// 400, 450) is drawn, once its lines are all shown: more objects, more digits
int PassedLineWidth()
{
    Sleep(4500);
    ScreenShot shot;
    if (!GrabScreen(shot)) return -1;
    int left = 800, right = -1;
    for (int y = 428; y < 472; ++y)
        for (int x = 0; x < 800; ++x) {
            Rgb p = shot.At(32 + x, 32 + y);
            if (p.r > 200 && p.g > 200 && p.b > 200) left = std::min(left, x), right = std::max(right, x);
        }
    return right - left;
}

// The left button ends the tally after its first second; back on the title
void EndTally(const std::string& window)
{
    RunCommand("xdotool mousemove --window " + window + " 400 150 click 1");
    Sleep(1500);
}

TEST_F(RecordedGame, ARunEndsByAHitWithItsSoundAndJumpingOrDuckingInTimePassesObjects)
{
    scores::PersistentValues values;
    values.musicOn = 0;
    values.playerId = 77;
    scores::WriteSaveFile(values, folder_ + "/system/m013/ironing.hat");
    Start();
    Sleep(1000);

    // No input: the first object hits the player
    RunCommand("xdotool mousemove --window " + window_ + " 400 150 click 1");
    std::size_t atClick = Recorded().size() / 2;
    int tookMillis = WaitForTally(15000);
    std::vector<std::int16_t> heard = Recorded();
    ASSERT_GE(tookMillis, 0) << "the run did not end";
    EXPECT_LT(tookMillis, 10000);
    // The click is over within half a second; what sounds after it, before
    // the tally counts, is the player being hit
    EXPECT_GE(LoudBlocks(heard, atClick + kHertz / 2, heard.size() / 2), 3);
    const int nonePassed = PassedLineWidth();   // "0 x 10 = 0"
    ASSERT_GT(nonePassed, 0);
    EndTally(window_);

#ifdef __SANITIZE_ADDRESS__
    // Timing a person's key presses against the game needs its optimised
    // build: the sanitized one runs slower than 60 frames a second here
    Quit();
    GTEST_SKIP() << "passing objects is timed against the optimised build";
#endif
    // Keep jumping (or keep ducking): what comes first is cleared about
    // every other run, and "1 x 10 = 10" is wider than "0 x 10 = 0"
    int runs = 0, width = nonePassed;
    for (; runs < 12 && width <= nonePassed; ++runs) {
        RunCommand("xdotool mousemove --window " + window_ + " 400 150 click 1");
        const char* key = runs % 2 ? "Down" : "Up";
        // Held keys, pressed again now and then: a duck ends by itself after 40 frames
        for (int i = 0; i < 24 && !TallyShown(); ++i)
            RunCommand(std::string("xdotool keydown ") + key + " && sleep 0.25 && xdotool keyup " + key);
        // Still alive after six seconds: Escape ends the run with the same tally
        if (!TallyShown()) RunCommand("xdotool keydown Escape && sleep 0.15 && xdotool keyup Escape");
        ASSERT_GE(WaitForTally(5000), 0) << "run " << runs << " did not end";
        width = PassedLineWidth();
        EndTally(window_);
    }
    std::printf("runs until an object was passed: %d (count line %d px wide, %d with none)\n", runs, width,
                nonePassed);
    EXPECT_GT(width, nonePassed) << "no object passed in " << runs << " runs";
    Quit();
}

} // namespace
