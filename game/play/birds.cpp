// Birds: they come in from the left now and then, fly level with a wing beat,
// take the first shot that lands in their box, and fall once shot.
#include "engine/draw/image.h"
#include "engine/input/input.h"
#include "engine/random/random.h"
#include "engine/runtime/text.h"
#include "game/play/steps.h"

namespace play {

using namespace engine;

namespace {

constexpr int kShotFrame = 20;
constexpr int kHitBox = 48;

void FlapOrFall(die& b)
{
    b.frm += 1;
    b.y += 0.25f;
    b.x += 2.0f;
    // One wing beat lifts the bird back by what it sank in 16 frames
    if (b.frm >= 16 && b.frm <= 19) {
        b.frm = 0;
        b.y -= 4.0f;
    }
    if (b.frm > 19) {
        b.frm = kShotFrame;
        b.y += 16.0f;
    }
}

// One bird's frame; true when it is to go. A falling bird can be hit again.
bool StepBird(RunState& r, die& b, int& shotPending)
{
    FlapOrFall(b);
    if (r.art.gfxSheet) DrawImage(*r.art.gfxSheet, b.x, b.y, b.frm / 4 + 40);
    bool remove = false;
    if (b.x > 880.0f) {
        remove = true;
        r.birdsMissed += 1;
    }
    if (b.y > 680.0f) remove = true;
    if (shotPending && MouseInBox(FloatToInt(b.x - 24), FloatToInt(b.y - 24), kHitBox, kHitBox)) {
        b.frm = kShotFrame;
        r.birdsShot += 1;
        PlaySound(r, 3);
        ThrowParticles(r, Spray::BirdHit, 16, MousePosX(), MousePosY());
        shotPending = 0;
    }
    return remove;
}

} // namespace

void SpawnBirds(RunState& r)
{
    if (RandomInt(0, 120) != 1) return;
    die b;
    b.x = -60.0f;
    b.y = float(RandomInt(250, 400));
    b.frm = RandomInt(0, 16);
    r.birds.AddLast(b);
}

void StepBirds(RunState& r, int& shotPending)
{
    r.birds.Walk([&](die& b) { return StepBird(r, b, shotPending); });
}

} // namespace play
