// Tests that listen: the real OpenAL mixer on a loopback device, which needs
// no sound card, rendered a refill tick at a time as the game would run.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/audio/audio.h"
#include "engine/audio/loopback.h"
#include "engine/input/event.h"

namespace audiotest {

inline constexpr int kHertz = 44100;

class Loopback : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static const bool ready = [] {
            engine::StartAudio();
            engine::AddLoopbackAudioDriver("Loopback", kHertz);
            return true;
        }();
        (void)ready;
    }
    // A fresh device for each test: nothing of the previous one sounds on
    void SetUp() override { ASSERT_EQ(engine::SetAudioDriver("loopback"), 1); }
    void TearDown() override { engine::SetAudioDriver("Null"); }

    // Mixes frames of output, with a refill tick after every 1/120 s
    static std::vector<std::int16_t> Render(int frames)
    {
        std::vector<std::int16_t> out(std::size_t(frames) * 2);
        const int slice = kHertz / 120;
        for (int done = 0; done < frames; done += slice) {
            int n = std::min(slice, frames - done);
            EXPECT_TRUE(engine::RenderLoopback(out.data() + 2 * done, n));
            Tick();
        }
        return out;
    }
    static void Tick() { engine::TEvent::Create(engine::EVENT_TIMERTICK, engine::MusicTickSource()).Emit(); }
};

} // namespace audiotest
