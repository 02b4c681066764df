// Objects on the ground: spawning on the shrinking countdown, the walk that
// moves, shoots, draws, counts and writes them into collision layer 1, and
// the player's test against that layer.
#include <cmath>

#include "engine/draw/canvas.h"
#include "engine/draw/collision.h"
#include "engine/draw/image.h"
#include "engine/input/input.h"
#include "engine/random/random.h"
#include "engine/runtime/text.h"
#include "game/play/steps.h"

namespace play {

using namespace engine;

namespace {

constexpr float kSpawnX = 860.0f;
constexpr float kLeaveX = -80.0f;
constexpr float kIntervalStep = 0.2f;
constexpr float kIntervalFloor = 50.0f;
constexpr int kShortCountdown = 50;
constexpr int kRolling = 2, kPairLower = 20, kPairUpper = 10;
constexpr int kObjectLayer = 1;
constexpr int kHitBox = 48;

void AddObject(RunState& r, float y, int tip) { r.objects.AddLast(ect{kSpawnX, y, tip, 0}); }

bool IsPairLower(int tip) { return tip >= 20 && tip <= 29; }

// The rolling object turns, bounces and can be shot; true when it was shot.
// Its hit box sits on its line, not on the bounce, and where it was before
// the common move, so it lies 4 pixels right of where it is drawn.
bool StepRolling(RunState& r, ect& e, int& yDraw, int& shotPending, int frameCounter)
{
    SetRotation(float(-2 * frameCounter));
    e.x -= 2.0f;
    yDraw = FloatToInt(e.y + std::fabs(CosDeg(frameCounter * 8) * 16.0));
    if (!shotPending) return false;
    if (!MouseInBox(FloatToInt(e.x - 24), FloatToInt(e.y - 24), kHitBox, kHitBox)) return false;
    shotPending = 0;
    ThrowParticles(r, Spray::ObjectHit, 16, MousePosX(), MousePosY());
    r.birdsShot += 1;
    return true;
}

// One object's frame; true when it is to go
bool StepObject(RunState& r, ect& e, int& shotPending, int frameCounter)
{
    ResetDrawState();
    int yDraw = FloatToInt(e.y);
    bool remove = false;
    if (e.tip == kRolling) remove = StepRolling(r, e, yDraw, shotPending, frameCounter);
    e.x -= 4.0f;
    if (r.art.gfxSheet) DrawImage(*r.art.gfxSheet, e.x, float(yDraw), e.tip);
    if (e.x < float(r.playerX - 64) && e.gets == 0) {
        r.objectsPassed += 1;
        e.gets = 1;
    }
    if (e.x < kLeaveX) remove = true;
    // Ducking lets the lower part of a pair pass through; a shot rolling
    // object is still written, so it can end the run in the frame it is shot
    bool passesThrough = IsPairLower(e.tip) && r.duckTimer > 0;
    if (!passesThrough && r.art.gfxSheet)
        CollideImage(*r.art.gfxSheet, FloatToInt(e.x), yDraw, e.tip, 0, 1 << kObjectLayer);
    return remove;
}

} // namespace

void SpawnObjects(RunState& r)
{
    r.spawnCountdown -= RandomInt(0, 2);
    if (r.spawnCountdown > 0) return;
    r.spawnCountdown = FloatToInt(r.spawnInterval);
    // In 32-bit floats, as the countdown values depend on its rounding
    r.spawnInterval -= kIntervalStep;
    if (r.spawnInterval < kIntervalFloor) r.spawnInterval = kIntervalFloor;
    if (RandomInt(0, 4) == 1) r.spawnCountdown = kShortCountdown;
    if (RandomInt(0, 1) == 0) {
        AddObject(r, float(r.groundY), RandomInt(0, 2));
    } else {
        AddObject(r, float(r.groundY), kPairLower);
        AddObject(r, float(r.groundY - 64), kPairUpper);
    }
}

void StepObjects(RunState& r, int& shotPending, int frameCounter)
{
    r.objects.Walk([&](ect& e) { return StepObject(r, e, shotPending, frameCounter); });
}

// The same image, frame, position and rotation the player is drawn with
void TestPlayerCollision(RunState& r)
{
    if (!r.art.playerSheet) return;
    SetRotation(float(r.spin));
    if (CollideImage(*r.art.playerSheet, r.playerX, r.playerY, r.animCounter / 2, 1 << kObjectLayer, 0).empty())
        return;
    r.runOver = 1;
    PlaySound(r, 2);
}

} // namespace play
