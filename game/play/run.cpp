// The run's reset and the fixed order of its frame.
#include "game/play/run.h"

#include "engine/draw/canvas.h"
#include "engine/input/input.h"
#include "game/play/steps.h"

namespace play {

using namespace engine;

void ResetDrawState()
{
    SetAlpha(1.0f);
    SetRotation(0.0f);
    SetScale(1.0f, 1.0f);
    SetColor(255, 255, 255);
    SetHandle(0.0f, 0.0f);
}

bool DirectionHeld(int direction)
{
    switch (direction) {
    case 0: return KeyIsDown(KEY_W) || KeyIsDown(KEY_UP);
    case 3: return KeyIsDown(KEY_A) || KeyIsDown(KEY_LEFT);
    case 5: return KeyIsDown(KEY_D) || KeyIsDown(KEY_RIGHT);
    case 8: return KeyIsDown(KEY_S) || KeyIsDown(KEY_DOWN);
    default: return false;
    }
}

bool MouseInBox(int x, int y, int w, int h)
{
    int mx = MousePosX(), my = MousePosY();
    return x <= mx && mx <= x + w && y <= my && my <= y + h;
}

void PlaySound(const RunState& run, int slot)
{
    if (run.playSound) run.playSound(slot);
}

void BeginRun(RunState& run)
{
    run.runOver = 0;
    // The click that left the title is not a shot
    TakeMouseHits(MOUSE_LEFT);
    run.objects.Clear();
    run.birds.Clear();
    run.particles.Clear();
    run.playerX = 100;
    run.playerY = 550;
    run.groundY = 550;
    run.spawnInterval = 100.0f;
    run.spawnCountdown = 100;
    run.birdsShot = run.birdsMissed = run.objectsPassed = 0;
}

// The order is the rule: a shot goes to the first target the walks reach,
// objects are written into the layer after they moved, and the player is
// tested last
void StepRun(RunState& run, int& shotPending, int frameCounter)
{
    StepPlayer(run);
    SpawnObjects(run);
    SpawnBirds(run);
    ResetDrawState();
    StepParticles(run);
    ResetDrawState();
    StepBirds(run, shotPending);
    ResetDrawState();
    DrawPlayer(run);
    StepObjects(run, shotPending, frameCounter);
    ResetDrawState();
    DrawCrosshair(run);
    TestPlayerCollision(run);
}

} // namespace play
