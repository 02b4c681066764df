// The game's side of sound on the staged folder: the slot table, the files
// that must be there, and the tune channel on a machine without a device.
#include <unistd.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "engine/audio/audio.h"
#include "game/flow/game.h"
#include "game/flow/sounds.h"
#include "tests/support/process.h"

using namespace testsupport;

namespace {

class StagedFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = CopyStageFolder();
        ASSERT_FALSE(folder_.empty());
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        engine::StartAudio();
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir("/"), 0);
        RemoveFolder(folder_);
    }
    std::string folder_;
};

TEST_F(StagedFolder, TheFiveEffectsFillSlotsOneToFiveOfAHundred)
{
    game::Game g;
    game::LoadSoundSlots(g);
    ASSERT_EQ(g.res.sounds.size(), 100u);
    for (std::size_t slot = 0; slot < 100; ++slot)
        EXPECT_EQ(g.res.sounds[slot] != nullptr, slot >= 1 && slot <= 5) << "slot " << slot;
    // Every set-up loads them again, for the driver it selected
    auto first = g.res.sounds[1];
    game::LoadSoundSlots(g);
    EXPECT_NE(g.res.sounds[1], first);
    game::PlaySlot(g, 0);     // empty slots and slots off the table play nothing
    game::PlaySlot(g, 100);
    game::PlaySlot(g, -1);
}

// The environment leaves OpenAL no device (see CMakeLists.txt)
TEST_F(StagedFolder, WithoutASoundDeviceTheTuneIsSilentAndTheGameGoesOn)
{
    game::Game g;
    game::LoadSoundSlots(g);
    EXPECT_EQ(engine::CurrentAudioDriver().Name(), "Null");
    // Silent, but playing like a tune on a sound card: the title does not
    // start it again every frame
    game::StartTune(g);
    EXPECT_TRUE(game::TunePlaying(g));
    game::StopTune(g);
    EXPECT_FALSE(game::TunePlaying(g));
}

TEST_F(StagedFolder, AMissingEffectOrTuneStopsTheGameWithALineNamingIt)
{
    std::remove("system/m013/003.wav");
    EXPECT_EXIT({ game::Game g; game::LoadSoundSlots(g); }, testing::ExitedWithCode(1),
                "^varnick-bozzle: Unable to load system/m013/003.wav\n$");
    std::remove(game::kTunePath);
    EXPECT_EXIT({ game::Game g; game::StartTune(g); }, testing::ExitedWithCode(1),
                "^varnick-bozzle: Unable to open MP3: system/m013/Varnick Bozzle - Intro.mp3\n$");
}

} // namespace
