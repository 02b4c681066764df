// Particles: dust from the player's feet and the sprays of a hit. Each flies
// at its speed along a direction that bends towards straight down, drifts
// left with the world and spins, until it leaves at the bottom or the left.
#include "engine/draw/canvas.h"
#include "engine/draw/image.h"
#include "engine/random/random.h"
#include "engine/runtime/text.h"
#include "game/play/steps.h"

namespace play {

using namespace engine;

namespace {

struct SprayKind {
    int angMin, angMax;
    int tMin, tMax;
};

SprayKind KindOf(Spray spray)
{
    switch (spray) {
    case Spray::Dust: return {-70, -1, 4, 5};
    case Spray::BirdHit: return {-180, 180, 0, 1};
    case Spray::ObjectHit: return {-180, 180, 2, 3};
    }
    return {-180, 180, 0, 1};
}

// A direction that has reached straight down (180 or -180) stays there
void BendDown(icle& p)
{
    if (p.ang < 0 && p.ang > -180) p.ang -= 4;
    if (p.ang >= 0 && p.ang < 180) p.ang += 4;
}

// One particle's frame; true when it is to go
bool StepParticle(const RunState& r, icle& p)
{
    p.x = float(double(p.x) + SinDeg(p.ang) * p.s);
    p.x -= 3.0f;
    p.y = float(double(p.y) - CosDeg(p.ang) * p.s);
    p.rot = float(FloatMod(double(p.rot) + double(p.rots), 360.0));
    BendDown(p);
    bool gone = p.x < -20.0f || p.y > 600.0f;
    SetRotation(p.rot);
    if (r.art.particleSheet) DrawImage(*r.art.particleSheet, p.x, p.y, p.t);
    return gone;
}

} // namespace

void ThrowParticles(RunState& r, Spray spray, int count, int x, int y)
{
    SprayKind kind = KindOf(spray);
    for (int i = 0; i < count; ++i) {
        icle p;
        p.x = float(x);
        p.y = float(y);
        p.ang = float(RandomInt(kind.angMin, kind.angMax));
        p.s = RandomInt(4, 16);
        p.rot = float(RandomInt(0, 360));
        p.rots = float(RandomInt(-16, 16));
        p.t = RandomInt(kind.tMin, kind.tMax);
        r.particles.AddLast(p);
    }
}

void StepParticles(RunState& r)
{
    r.particles.Walk([&](icle& p) { return StepParticle(r, p); });
}

} // namespace play
