// The particle walk, and what a run is worth.
#include <cmath>

#include "engine/runtime/text.h"
#include "tests/play/run_fixture.h"

using namespace engine;

namespace {

using Particles = playtest::RunFixture;

play::icle Particle(float x, float y, float ang, int s, float rot = 0, float rots = 0)
{
    play::icle p;
    p.x = x, p.y = y, p.ang = ang, p.s = s, p.rot = rot, p.rots = rots, p.t = 0;
    return p;
}

TEST_F(Particles, DirectionsBendTowardsStraightDownAndStayThere)
{
    struct Case {
        float ang;
        float after1, after60;   // direction after 1 and after 60 frames
    } cases[] = {
        {0, 4, 180},     {-1, -5, -181}, {90, 94, 182},  {-70, -74, -182},
        {180, 180, 180}, {-180, -180, -180}, {182, 182, 182}, {-182, -182, -182}, {178, 182, 182},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.ang);
        run.particles.Clear();
        run.particles.AddLast(Particle(400, 100, c.ang, 1));
        play::StepParticles(run);
        EXPECT_EQ(run.particles[0].ang, c.after1);
        for (int i = 1; i < 60; ++i) play::StepParticles(run);
        EXPECT_EQ(run.particles[0].ang, c.after60);
    }
}

TEST_F(Particles, ParticlesFlyAlongTheirDirectionDriftLeftAndSpin)
{
    struct Case {
        float ang;
        int s;
        float rot, rots;
        float dx, dy, rotAfter;
    } cases[] = {
        {180, 8, 350, 16, -3, 8, 6},                         // straight down, spin wraps
        {-180, 4, -350, -16, -3, 4, -6},                     // the remainder keeps the sign
        {90, 10, 10, -16, 7, 0, -6},                         // right, against the drift
        {182, 10, 0, 0, float(SinDeg(182) * 10 - 3), float(-CosDeg(182) * 10), 0},   // a little left of down
        {-182, 10, 0, 0, float(SinDeg(-182) * 10 - 3), float(-CosDeg(-182) * 10), 0},  // a little right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.ang);
        run.particles.Clear();
        run.particles.AddLast(Particle(400, 300, c.ang, c.s, c.rot, c.rots));
        play::StepParticles(run);
        EXPECT_NEAR(run.particles[0].x, 400 + c.dx, 1e-4);
        EXPECT_NEAR(run.particles[0].y, 300 + c.dy, 1e-4);
        EXPECT_FLOAT_EQ(run.particles[0].rot, c.rotAfter);
    }
}

TEST_F(Particles, ParticlesGoAtTheBottomOrTheLeftOnlyInOrder)
{
    run.particles.AddLast(Particle(400, 597, 180, 4));   // below 600 after this frame
    run.particles.AddLast(Particle(900, 100, 180, 4));   // off the right: stays
    run.particles.AddLast(Particle(-18, 300, 180, 4));   // drifts past -20
    run.particles.AddLast(Particle(400, -50, 0, 4));     // off the top, still going up: stays
    run.particles.AddLast(Particle(-17, 300, 180, 4));   // exactly -20: stays
    play::StepParticles(run);
    ASSERT_EQ(run.particles.Count(), 3);
    EXPECT_EQ(run.particles[0].x, 897.0f);
    EXPECT_EQ(run.particles[1].y, -54.0f);
    EXPECT_EQ(run.particles[2].x, -20.0f);
    // Off the right, a particle leaves once it falls below 600
    for (int i = 0; i < 200; ++i) play::StepParticles(run);
    EXPECT_EQ(run.particles.Count(), 0);
}

TEST_F(Particles, AShotBirdSpraysSixteenParticlesFromTheMouse)
{
    QuietGround();
    run.birds.AddLast(play::die{500, 300, 0});
    Click(503, 290);
    Frame();
    ASSERT_EQ(run.particles.Count(), 16);
    for (const play::icle& p : run.particles) {
        EXPECT_TRUE(p.t == 0 || p.t == 1);
        EXPECT_TRUE(p.s >= 4 && p.s <= 16);
        EXPECT_TRUE(p.rots >= -16 && p.rots <= 16 && p.rots == int(p.rots));
        // Made after this frame's particle walk: they fly from the next frame on
        EXPECT_EQ(p.x, 503.0f);
        EXPECT_EQ(p.y, 290.0f);
    }
}

TEST(Scoring, TheTotalIsTenAShotAndAPassLessFiveAMissNeverBelowZero)
{
    struct Case {
        int shot, missed, passed, total;
    } cases[] = {{3, 1, 4, 65}, {0, 3, 0, 0}, {0, 0, 2, 20}, {1, 0, 0, 10}, {2, 1, 0, 15}, {1, 3, 0, 0}};
    for (const Case& c : cases) EXPECT_EQ(play::RunTotal(c.shot, c.missed, c.passed), c.total);
}

TEST(Scoring, OnlyABetterTotalBecomesTheBestAndIsUsedUp)
{
    struct Case {
        int best, total;
        bool taken;
        int bestAfter, totalAfter;
    } cases[] = {{50, 65, true, 65, 0}, {65, 65, false, 65, 65}, {70, 0, false, 70, 0}, {0, 5, true, 5, 0}};
    for (const Case& c : cases) {
        int best = c.best, total = c.total;
        EXPECT_EQ(play::TakeBestScore(best, total), c.taken);
        EXPECT_EQ(best, c.bestAfter);
        EXPECT_EQ(total, c.totalAfter);
    }
}

} // namespace
