// A run as the flow sees it: its start, its frames and the pause after it.
// What happens inside a run is the gameplay's (game/play).
#include "engine/display/display.h"
#include "engine/draw/collision.h"
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
} // namespace

Stage BeginRun(Game& g)
{
    // Also takes the click that left the title, which fires no shot
    play::BeginRun(g.run);
    return Stage::Run;
}

Stage RunFrame(Game& g)
{
    Cls();
    ResetCollisions(0);
    ResetDrawState();
    StepBackdrop(g);
    if (g.shotPending) PlaySlot(g, 1);
    ResetDrawState();
    play::StepRun(g.run, g.shotPending, g.frameCounter);
    Flip(-1);
    if (KeyIsDown(KEY_ESCAPE)) g.run.runOver = 99;
    return g.run.runOver ? Stage::EndOfRun : Stage::Run;
}

Stage EndOfRun(Game&)
{
    platform::SleepMillis(kEndOfRunPauseMillis);
    return Stage::ScoreTally;
}

} // namespace game
