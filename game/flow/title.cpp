#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/input/input.h"
#include "engine/runtime/text.h"
#include "game/flow/game.h"
#include "scores/exchange.h"
#include "game/flow/sounds.h"

namespace game {

using namespace engine;

Stage EnterTitle(Game& g)
{
    g.escapeLatch = 1;
    g.frameCounter = 0;
    g.sunScaleX = g.sunScaleY = 1.2f;
    g.sunSpeedX = g.sunSpeedY = 0.01f;
    g.rebuildDisplay = 0;
    if (g.saved.musicOn == 1) StartTune(g);
    FlushInput();
    g.boardUpdateAllowed = 1;
    if (g.dataModified) {
        g.saved.bestScore = 0;
        g.saved.playerName = u"Dag Nabbit";
    }
    scores::WriteSaveFile(g.saved);
    return Stage::Title;
}

Stage TitleFrame(Game& g)
{
    Cls();
    ResetDrawState();
    StepBackdrop(g);
    ResetDrawState();
    // One exchange per title visit; the screen stands still while it runs
    if (MouseIsDown(2) && g.boardUpdateAllowed) {
        g.saved.scoreBoardText = scores::ExchangeScores(g.saved.playerName + u"|" + IntToText(g.saved.playerId) +
                                                        u"|" + IntToText(g.saved.bestScore) + u"|");
        scores::WriteSaveFile(g.saved);
        g.boardUpdateAllowed = 0;
    }
    // A click on the title is answered with the click effect
    if (g.shotPending) PlaySlot(g, 1);
    Flip(-1);
    // Escape still held from before the title was entered must not quit
    if (!KeyIsDown(KEY_ESCAPE)) g.escapeLatch = 0;
    else if (g.escapeLatch == 0) g.quitRequested = 1;
    return g.quitRequested ? Stage::Quit : Stage::Title;
}

} // namespace game
