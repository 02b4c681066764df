// Objects and birds: spawning, the shots they take, what they count, and
// the player's collision test against layer 1.
#include "engine/runtime/text.h"
#include "tests/play/run_fixture.h"

using namespace engine;

namespace {

using Objects = playtest::RunFixture;

int ParticlesOfFrames(const play::RunState& run, int t0, int t1)
{
    int n = 0;
    for (const play::icle& p : run.particles) n += p.t == t0 || p.t == t1;
    return n;
}

TEST_F(Objects, TheSpawnIntervalShrinksInFloatStepsToItsFloor)
{
    struct Spawn {
        float interval;   // the value the countdown was taken from
        int countdown;    // the countdown it set
        bool pair;
    };
    std::vector<Spawn> spawns;
    int firstSpawnFrame = 0;
    for (int f = 1; spawns.size() < 252; ++f) {
        float interval = run.spawnInterval;
        int before = run.objects.Count();
        play::SpawnObjects(run);
        int added = run.objects.Count() - before;
        if (added == 0) continue;
        if (spawns.empty()) firstSpawnFrame = f;
        spawns.push_back({interval, run.spawnCountdown, added == 2});
        if (spawns.size() == 250) {
            EXPECT_GT(run.spawnInterval, 50.0f);
        }
        if (spawns.size() == 251) {
            EXPECT_EQ(run.spawnInterval, 50.0f);
        }
    }
    const int first[] = {100, 99, 99, 99, 99, 99, 98};
    for (int k = 0; k < 7; ++k) EXPECT_EQ(FloatToInt(spawns[k].interval), first[k]) << "spawn " << k + 1;
    EXPECT_NEAR(spawns[240].interval, 52.0005f, 0.0001f);
    EXPECT_EQ(FloatToInt(spawns[245].interval), 51);
    for (size_t k = 246; k < spawns.size(); ++k) EXPECT_EQ(FloatToInt(spawns[k].interval), 50) << k + 1;
    int shortOnes = 0, pairs = 0;
    for (const Spawn& s : spawns) {
        bool fromInterval = s.countdown == FloatToInt(s.interval);
        EXPECT_TRUE(fromInterval || s.countdown == 50);
        shortOnes += !fromInterval;
        pairs += s.pair;
    }
    // One in five short, half of them pairs (fixed seed; wide bounds)
    EXPECT_GT(shortOnes, 25);
    EXPECT_LT(shortOnes, 75);
    EXPECT_GT(pairs, 95);
    EXPECT_LT(pairs, 157);
    EXPECT_GE(firstSpawnFrame, 50);
    EXPECT_LE(firstSpawnFrame, 150);
}

TEST_F(Objects, SpawnedObjectsAreSinglesOrStackedPairs)
{
    for (int i = 0; i < 20000; ++i) play::SpawnObjects(run);
    int singles[3] = {};
    for (int i = 0; i < run.objects.Count(); ++i) {
        const play::ect& e = run.objects[i];
        EXPECT_EQ(e.x, 860.0f);
        EXPECT_EQ(e.gets, 0);
        if (e.tip == 20) {
            ASSERT_LT(i + 1, run.objects.Count());
            EXPECT_EQ(run.objects[i + 1].tip, 10);
            EXPECT_EQ(e.y, 550.0f);
            EXPECT_EQ(run.objects[i + 1].y, 486.0f);
            ++i;
        } else {
            ASSERT_TRUE(e.tip >= 0 && e.tip <= 2) << e.tip;
            EXPECT_EQ(e.y, 550.0f);
            ++singles[e.tip];
        }
    }
    for (int n : singles) EXPECT_GT(n, 20);
}

TEST_F(Objects, BirdsComeFromTheLeftNowAndThenAndFlyLevel)
{
    int spawned = 0;
    for (int i = 0; i < 12100; ++i) {
        play::SpawnBirds(run);
        if (run.birds.Count() == 0) continue;
        const play::die& b = run.birds[0];
        EXPECT_EQ(b.x, -60.0f);
        EXPECT_TRUE(b.y >= 250 && b.y <= 400 && b.y == int(b.y)) << b.y;
        EXPECT_TRUE(b.frm >= 0 && b.frm <= 16) << b.frm;
        run.birds.Clear();
        ++spawned;
    }
    EXPECT_GT(spawned, 70);
    EXPECT_LT(spawned, 130);
    // A flying bird's height after every whole wing beat is where it began
    QuietGround();
    run.birds.AddLast(play::die{0, 300, 0});
    Frames(16);
    ASSERT_EQ(run.birds.Count(), 1);
    EXPECT_EQ(run.birds[0].y, 300.0f);
    EXPECT_EQ(run.birds[0].x, 32.0f);
}

TEST_F(Objects, APairCountsTwoPassedInOneFrameOnlyOnceBehindThePlayer)
{
    struct Case {
        int playerX;
        int passedAtFrame;   // 0: never
    } cases[] = {{100, 42}, {300, 1}, {-100, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "player at " << c.playerX);
        play::BeginRun(run);
        QuietGround();
        run.playerX = c.playerX;
        run.objects.AddLast(play::ect{200, 550, 20, 0});
        run.objects.AddLast(play::ect{200, 486, 10, 0});
        int passedAt = 0;
        for (int f = 1; f <= 100; ++f) {
            Frame();
            if (run.objectsPassed == 0) continue;
            if (!passedAt) passedAt = f;
            EXPECT_EQ(run.objectsPassed, 2);
        }
        EXPECT_EQ(passedAt, c.passedAtFrame);
        // Walked far left, they leave at -80 before getting behind the player
        EXPECT_EQ(run.objects.Count(), 0);
    }
}

TEST_F(Objects, OneClickHitsOnlyTheFirstTargetTheWalksReach)
{
    QuietGround();
    // A bird and a rolling object both under (300, 545) once they moved
    run.birds.AddLast(play::die{298, 540, 0});
    run.objects.AddLast(play::ect{302, 550, 2, 0});
    Click(300, 545);
    Frame();
    EXPECT_EQ(run.birdsShot, 1);
    EXPECT_EQ(run.birds[0].frm, 20);
    ASSERT_EQ(run.objects.Count(), 1);
    EXPECT_EQ(SoundsThisFrame(3), 1);
    EXPECT_EQ(ParticlesOfFrames(run, 0, 1), 16);
    EXPECT_EQ(ParticlesOfFrames(run, 2, 3), 0);
    EXPECT_EQ(shotPending, 0);

    // Two birds, two clicks in one frame: the older bird takes the one shot
    play::BeginRun(run);
    QuietGround();
    run.birds.AddLast(play::die{200, 300, 0});
    run.birds.AddLast(play::die{201, 301, 0});
    Click(202, 300);
    Click(202, 300);
    Frame();
    EXPECT_EQ(run.birdsShot, 1);
    EXPECT_EQ(run.birds[0].frm, 20);
    EXPECT_EQ(run.birds[1].frm, 1);
    // A falling bird can be hit again
    Frame();
    Click(FloatToInt(run.birds[0].x + 2), FloatToInt(run.birds[0].y + 16.25f));
    Frame();
    EXPECT_EQ(run.birdsShot, 2);
    EXPECT_EQ(SoundsThisFrame(3), 1);
    // A shot that hits nothing is spent: the bird that flies under the
    // mouse in the next frame is not hit
    float x = run.birds[1].x, y = run.birds[1].y;
    Click(FloatToInt(x + 40), FloatToInt(y));
    Frame();
    EXPECT_EQ(shotPending, 1);
    run.birds[1].x = x + 38;
    Frame();
    EXPECT_EQ(shotPending, 0);
    EXPECT_NE(run.birds[1].frm, 20);
    EXPECT_EQ(run.birdsShot, 2);
}

TEST_F(Objects, ABirdShotAsItPasses880CountsShotAndMissed)
{
    QuietGround();
    run.birds.AddLast(play::die{879, 300, 0});
    Click(881, 300);
    Frame();
    EXPECT_EQ(run.birdsShot, 1);
    EXPECT_EQ(run.birdsMissed, 1);
    EXPECT_EQ(run.birds.Count(), 0);
    EXPECT_EQ(play::RunTotal(run), 5);
}

TEST_F(Objects, ARollingObjectsHitBoxIsFourPixelsRightOfWhereItIsDrawn)
{
    // Drawn at x 394 after its frame; its box is 398 +- 24 on the line 550
    struct Case {
        int x, y;
        bool hit;
    } cases[] = {
        {422, 550, true}, {423, 550, false}, {374, 550, true}, {373, 550, false},
        {398, 574, true}, {398, 575, false}, {398, 526, true}, {398, 525, false},
    };
    for (int bounce : {0, 5, 11}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "click " << c.x << ", " << c.y << " frame counter " << bounce);
            play::BeginRun(run);
            QuietGround();
            run.objects.AddLast(play::ect{400, 550, 2, 0});
            frameCounter = bounce;
            Click(c.x, c.y);
            Frame();
            EXPECT_EQ(run.birdsShot, c.hit ? 1 : 0);
            EXPECT_EQ(run.objects.Count(), c.hit ? 0 : 1);
            EXPECT_EQ(ParticlesOfFrames(run, 2, 3), c.hit ? 16 : 0);
            if (!c.hit) {
                EXPECT_EQ(run.objects[0].x, 394.0f);
            }
        }
    }
    // A shot rolling object makes no sound of its own
    EXPECT_EQ(SoundCount(3), 0);
}

TEST_F(Objects, TheClickThatStartsARunFiresNoShot)
{
    Click(300, 300);
    play::BeginRun(run);
    QuietGround();
    run.birds.AddLast(play::die{298, 300, 0});
    Frame();
    EXPECT_EQ(shotPending, 0);
    EXPECT_EQ(run.birdsShot, 0);
    EXPECT_EQ(SoundCount(1), 0);
}

TEST_F(Objects, ARunWithNoInputEndsByACollisionWithTheHitSound)
{
    int f = 0;
    while (run.runOver == 0 && f < 1200) {
        Frame();
        ++f;
    }
    EXPECT_EQ(run.runOver, 1);
    // The first object comes about 100 frames in and reaches the player
    // some 170 frames later
    EXPECT_LT(f, 600);
    EXPECT_EQ(SoundCount(2), 1);
    EXPECT_EQ(SoundsThisFrame(2), 1);
    EXPECT_EQ(run.objectsPassed, 0);
}

TEST_F(Objects, DuckingLetsTheLowerPartOfAPairPassAndJumpingClearsASingle)
{
    // The lower part alone, ducked under in time or not
    for (bool duck : {true, false}) {
        SCOPED_TRACE(duck ? "ducking" : "standing");
        play::BeginRun(run);
        QuietGround();
        run.objects.AddLast(play::ect{200, 550, 20, 0});
        for (int f = 1; f <= 60; ++f) {
            if (duck && f == 5) Hold(KEY_S);
            Frame();
        }
        Release(KEY_S);
        EXPECT_EQ(run.runOver, duck ? 0 : 1);
        EXPECT_EQ(run.objectsPassed, 1);
    }
    // Whatever the frames look like: while ducking, the lower part of a pair
    // is not written into the layer; in the last pose frame it is again
    play::BeginRun(run);
    QuietGround();
    run.objects.AddLast(play::ect{700, 550, 20, 0});
    run.objects.AddLast(play::ect{700, 486, 10, 0});
    Frame();
    EXPECT_EQ(LayerQuadCount(1), 2);
    Hold(KEY_S);
    for (int f = 0; f < 40; ++f) {
        Frame();
        EXPECT_EQ(LayerQuadCount(1), f < 39 ? 1 : 2) << "duck frame " << f;
    }
    Release(KEY_S);
    // A single object: some moment to jump clears it, standing does not
    int cleared = -1;
    for (int wait = 0; wait <= 90 && cleared < 0; ++wait) {
        play::BeginRun(run);
        QuietGround();
        Frames(40);   // land any earlier jump
        run.objects.AddLast(play::ect{400, 550, 0, 0});
        run.runOver = 0;
        for (int f = 0; f < 120; ++f) {
            if (f == wait) Hold(KEY_W);
            if (f == wait + 1) Release(KEY_W);
            Frame();
            if (run.runOver) break;
        }
        if (run.runOver == 0 && run.objectsPassed == 1) cleared = wait;
    }
    EXPECT_GE(cleared, 0);
    play::BeginRun(run);
    QuietGround();
    run.objects.AddLast(play::ect{400, 550, 0, 0});
    Frames(120);
    EXPECT_EQ(run.runOver, 1);
}

} // namespace
