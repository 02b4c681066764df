// The steps of a run frame, in the order StepRun takes them, and the small
// helpers they share. Tests call single steps to look at one behaviour.
#pragma once
#include "game/play/run.h"

namespace play {

// Alpha 1, rotation 0, scale 1 x 1, white, handle 0, 0
void ResetDrawState();

// Held while the letter or the arrow key of the direction is down:
// 0 W/Up, 3 A/Left, 5 D/Right, 8 S/Down; any other direction is never held
bool DirectionHeld(int direction);
// All edges inclusive
bool MouseInBox(int x, int y, int w, int h);

void PlaySound(const RunState& run, int slot);

// Which particles a source throws
enum class Spray { Dust, BirdHit, ObjectHit };
// count particles at (x, y), appended to the particle list
void ThrowParticles(RunState& run, Spray spray, int count, int x, int y);

void StepPlayer(RunState& run);
void SpawnObjects(RunState& run);
void SpawnBirds(RunState& run);
void StepParticles(RunState& run);
void StepBirds(RunState& run, int& shotPending);
void DrawPlayer(const RunState& run);
void StepObjects(RunState& run, int& shotPending, int frameCounter);
void DrawCrosshair(const RunState& run);
void TestPlayerCollision(RunState& run);

} // namespace play
