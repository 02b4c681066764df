// The player's step: the fixed jump, the timed duck with its dust, and what
// carries from one run into the next.
#include <cmath>

#include "engine/runtime/text.h"
#include "tests/play/run_fixture.h"

using namespace engine;

namespace {

class Player : public playtest::RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        QuietGround();
        // The first frame of the program's first run lands the player
        Frame();
        ASSERT_EQ(run.onGround, 1);
        ASSERT_EQ(run.playerY, 550);
    }

    // Dust made this frame: the last particles of the list, one step away
    // from the player's feet (a dust direction bends by -4 in its first step).
    // The feet are where the player stood before this frame's jump arc.
    int FreshDust(int feetY) const
    {
        int n = 0;
        for (int i = run.particles.Count() - 1; i >= 0; --i) {
            const play::icle& p = run.particles[i];
            double ang = p.ang + 4;
            double x0 = p.x + 3 - SinDeg(ang) * p.s, y0 = p.y + CosDeg(ang) * p.s;
            bool fresh = (p.t == 4 || p.t == 5) && ang >= -70 && ang <= -1 && p.s >= 4 && p.s <= 16 &&
                         std::fabs(x0 - run.playerX) < 0.01 && std::fabs(y0 - feetY) < 0.01;
            if (!fresh) break;
            ++n;
        }
        return n;
    }
};

// The jump, counted from the frame in which up was pressed (frame 0)
struct JumpRow {
    int first, last;
    int y, dy;
    int spin, dspin;
    int playerFrame;   // -1: the running cycle, from frame 0 on
};
const JumpRow kJump[] = {
    {0, 0, 550, 0, 0, 0, 10},        {1, 2, 550, 0, 0, 0, 11},       {3, 5, 544, -6, 48, 16, 12},
    {6, 13, 526, -6, 96, 16, 13},    {14, 21, 478, -6, 224, 16, 14}, {22, 22, 438, 0, 350, 0, 15},
    {23, 36, 446, 8, 0, 0, -1},      {37, 37, 550, 0, 0, 0, -1},
};

// Checks jump frame f (0 to 37) of a jump against the table
void ExpectJumpFrame(const play::RunState& run, int f)
{
    for (const JumpRow& row : kJump) {
        if (f < row.first || f > row.last) continue;
        SCOPED_TRACE(testing::Message() << "jump frame " << f);
        int k = f - row.first;
        EXPECT_EQ(run.playerY, row.y + k * row.dy);
        EXPECT_EQ(run.spin, row.spin + k * row.dspin);
        int expectedAnim = row.playerFrame >= 0 ? row.playerFrame * 2 : (f - 23) % 10;
        EXPECT_EQ(row.playerFrame >= 0 ? run.animCounter / 2 * 2 : run.animCounter, expectedAnim);
        EXPECT_EQ(run.jumpTimer, f <= 21 ? f + 2 : 0);
        EXPECT_EQ(run.onGround, (f <= 21 || f == 37) ? 1 : 0);
    }
}

TEST_F(Player, HoldingUpJumpsTheFixedArcAgainEvery38Frames)
{
    Hold(KEY_W);
    for (int jump = 0; jump < 3; ++jump) {
        for (int f = 0; f < 38; ++f) {
            Frame();
            ExpectJumpFrame(run, f);
            EXPECT_EQ(SoundsThisFrame(5), f == 0 ? 1 : 0) << "jump " << jump << " frame " << f;
        }
    }
    EXPECT_EQ(SoundCount(5), 3);
    EXPECT_EQ(run.playerX, 100);
    Release(KEY_W);
}

TEST_F(Player, UpArrowJumpsLikeW)
{
    Hold(KEY_UP);
    Frame();
    Release(KEY_UP);
    for (int f = 1; f < 38; ++f) {
        Frame();
        ExpectJumpFrame(run, f);
    }
}

TEST_F(Player, AHeldDuckGivesFortyPoseFramesWithDustAndOneDuckSound)
{
    Hold(KEY_S);
    for (int f = 0; f < 40; ++f) {
        Frame();
        SCOPED_TRACE(testing::Message() << "duck frame " << f);
        EXPECT_EQ(run.animCounter / 2, 20);
        EXPECT_EQ(FreshDust(582), 4);
        EXPECT_EQ(run.duckTimer, f == 39 ? -1 : f + 1);
    }
    EXPECT_EQ(SoundCount(4), 1);
    EXPECT_EQ(sounds.front().first, 1);   // the first duck frame
    // Locked: running again, though down is still held
    for (int f = 40; f < 60; ++f) {
        Frame();
        EXPECT_LT(run.animCounter, 10) << "frame " << f;
        EXPECT_EQ(FreshDust(582), 0) << "frame " << f;
    }
    // Let go and pressed again: a new duck
    Release(KEY_S);
    Frame();
    EXPECT_EQ(run.duckTimer, 0);
    Hold(KEY_S);
    Frame();
    EXPECT_EQ(run.duckTimer, 1);
    EXPECT_EQ(SoundCount(4), 2);
    Release(KEY_S);
}

TEST_F(Player, UpInTheSecondDuckFrameJumpsWithDustAndTheDuckSoundThroughout)
{
    Hold(KEY_DOWN);
    Frame();
    ASSERT_EQ(run.duckTimer, 1);
    Hold(KEY_UP);
    for (int f = 0; f < 38; ++f) {
        int feetY = run.playerY + 32;
        Frame();
        if (f == 2) Release(KEY_UP);
        ExpectJumpFrame(run, f);
        EXPECT_EQ(FreshDust(feetY), 4) << "jump frame " << f;
        EXPECT_EQ(SoundsThisFrame(4), 1) << "jump frame " << f;
        EXPECT_EQ(run.duckTimer, 1);
    }
    // Landed with down held: the duck count resumes where it stood
    Frame();
    EXPECT_EQ(run.duckTimer, 2);
    EXPECT_EQ(run.animCounter / 2, 20);
    EXPECT_EQ(SoundsThisFrame(4), 0);
    EXPECT_EQ(SoundCount(5), 1);
    Release(KEY_DOWN);
}

TEST_F(Player, SidewaysKeysWalkWithoutBoundsAndCancelEachOther)
{
    Hold(KEY_D);
    Frames(100);
    EXPECT_EQ(run.playerX, 300);
    Hold(KEY_LEFT);
    Frames(10);
    EXPECT_EQ(run.playerX, 300);
    Release(KEY_D);
    Frames(300);
    EXPECT_EQ(run.playerX, -300);
    Release(KEY_LEFT);
}

TEST_F(Player, ARunEndedMidJumpCarriesTheJumpIntoTheNextRun)
{
    Hold(KEY_W);
    Frames(10);
    Release(KEY_W);
    Hold(KEY_D);
    Frames(2);
    Release(KEY_D);
    play::RunState before = run;
    run.runOver = 1;
    run.birdsShot = 3;
    run.objects.AddLast(play::ect{300, 550, 0, 0});
    play::BeginRun(run);
    EXPECT_EQ(run.runOver, 0);
    EXPECT_EQ(run.jumpTimer, before.jumpTimer);
    EXPECT_EQ(run.onGround, before.onGround);
    EXPECT_EQ(run.animCounter, before.animCounter);
    EXPECT_EQ(run.duckTimer, before.duckTimer);
    EXPECT_EQ(run.playerX, 100);
    EXPECT_EQ(run.playerY, 550);
    EXPECT_EQ(run.spawnCountdown, 100);
    EXPECT_EQ(run.spawnInterval, 100.0f);
    EXPECT_EQ(run.birdsShot + run.birdsMissed + run.objectsPassed, 0);
    EXPECT_EQ(run.objects.Count() + run.birds.Count() + run.particles.Count(), 0);
    // The jump goes on from the ground line of the new run
    Frame();
    EXPECT_EQ(run.jumpTimer, before.jumpTimer + 1);
    EXPECT_EQ(run.playerY, 544);
    EXPECT_EQ(run.spin, (before.jumpTimer + 1 - 2) * 16);
}

} // namespace
