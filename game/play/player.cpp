// The player: sideways steps, the running cycle, the jump arc with its spin,
// the duck with its dust, and the crosshair the shots are aimed with.
#include "engine/draw/canvas.h"
#include "engine/draw/image.h"
#include "engine/input/input.h"
#include "game/play/steps.h"

namespace play {

using namespace engine;

namespace {

constexpr int kDirUp = 0, kDirLeft = 3, kDirRight = 5, kDirDown = 8;
constexpr int kDuckFrames = 40;
constexpr int kDuckPose = 40;       // animCounter of the ducking frame 20
constexpr int kJumpTopSpin = 350;   // where the spin stops and the jump ends

void StepRunningCycle(RunState& r)
{
    if (r.jumpTimer != 0) return;
    r.animCounter += 1;
    if (r.animCounter > 9) r.animCounter = 0;
}

// onGround is still the previous frame's here, so a jump started this frame
// already has jumpTimer 1 and keeps the duck from beginning
void StepDuck(RunState& r, bool down)
{
    if (!down) r.duckTimer = 0;
    if (r.onGround == 1 && r.jumpTimer == 0 && down && r.duckTimer > -1) {
        r.duckTimer += 1;
        r.animCounter = kDuckPose;
    }
    if (r.duckTimer == 1) PlaySound(r, 4);
    if (r.duckTimer > 0) ThrowParticles(r, Spray::Dust, 4, r.playerX, r.playerY + 32);
    if (r.duckTimer >= kDuckFrames) r.duckTimer = -1;
}

// The arc is fixed: three frames crouched, then 6 up a frame with 16 degrees
// of spin a frame until the spin passes 350; gravity brings the player down
void StepJumpArc(RunState& r)
{
    r.onGround = 0;
    r.spin = 0;
    if (r.jumpTimer > 0) {
        r.animCounter = r.jumpTimer + 20;
        r.jumpTimer += 1;
        r.onGround = 1;
    }
    if (r.jumpTimer > 4) {
        r.playerY -= 6;
        r.animCounter = r.jumpTimer / 4 + 24;
        r.spin = (r.jumpTimer - 2) * 16;
        if (r.animCounter > 31) r.animCounter = 31;
    }
    if (r.spin > kJumpTopSpin) {
        r.spin = kJumpTopSpin;
        r.jumpTimer = 0;
        r.onGround = 0;
    }
}

// On flat ground this pushes the player 8 down and back every frame, which
// is what tells a running player it stands on the ground
void StepGravity(RunState& r)
{
    if (r.playerY <= r.groundY && r.onGround == 0) r.playerY += 8;
    if (r.playerY > r.groundY) {
        r.playerY = r.groundY;
        r.onGround = 1;
    }
}

} // namespace

void StepPlayer(RunState& r)
{
    bool up = DirectionHeld(kDirUp), down = DirectionHeld(kDirDown);
    if (DirectionHeld(kDirRight)) r.playerX += 2;
    if (DirectionHeld(kDirLeft)) r.playerX -= 2;
    StepRunningCycle(r);
    if (up && r.jumpTimer == 0 && r.onGround == 1) {
        r.jumpTimer = 1;
        PlaySound(r, 5);
    }
    StepDuck(r, down);
    StepJumpArc(r);
    StepGravity(r);
}

void DrawPlayer(const RunState& r)
{
    if (!r.art.playerSheet) return;
    SetRotation(float(r.spin));
    DrawImage(*r.art.playerSheet, float(r.playerX), float(r.playerY), r.animCounter / 2);
}

void DrawCrosshair(const RunState& r)
{
    if (!r.art.gfxSheet) return;
    DrawImage(*r.art.gfxSheet, float(MousePosX()), float(MousePosY()), 50);
}

} // namespace play
