// A run as the flow sees it: its start, its frames and the pause after it.
// What happens inside a run is the gameplay's; StepRun is where it goes.
#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/image.h"
#include "engine/input/input.h"
#include "engine/platform/platform.h"
#include "game/flow/game.h"
#include "game/flow/screens.h"
#include "game/flow/sounds.h"

namespace game {

using namespace engine;

namespace {

constexpr int kEndOfRunPauseMillis = 500;

// The run's content. Until the gameplay is wired in, a run is the
// backdrop and the crosshair, ended by Escape
void StepRun(Game& g)
{
    DrawImage(*g.res.gfxSheet, float(MousePosX()), float(MousePosY()), 50);
}

} // namespace

Stage BeginRun(Game& g)
{
    g.runOver = 0;
    // The click that left the title fires no shot
    TakeMouseHits(MOUSE_LEFT);
    g.birdsShot = g.birdsMissed = g.objectsPassed = 0;
    return Stage::Run;
}

Stage RunFrame(Game& g)
{
    Cls();
    ResetDrawState();
    StepBackdrop(g);
    if (g.shotPending) PlaySlot(g, 1);
    ResetDrawState();
    StepRun(g);
    Flip(-1);
    if (KeyIsDown(KEY_ESCAPE)) g.runOver = 99;
    return g.runOver ? Stage::EndOfRun : Stage::Run;
}

Stage EndOfRun(Game&)
{
    platform::SleepMillis(kEndOfRunPauseMillis);
    return Stage::ScoreTally;
}

} // namespace game
