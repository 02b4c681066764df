// The score tally after a run: the three counts go up one step a frame, a
// line at a time, into a total that is never below 0.
#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/input/input.h"
#include "engine/runtime/text.h"
#include "game/flow/game.h"
#include "game/flow/screens.h"
#include "game/flow/sounds.h"

namespace game {

using namespace engine;

namespace {

// A line waits 61 frames after the previous one finished
constexpr int kLineGap = -60;
// The screen ends 180 frames after the last line...
constexpr int kTallyEnd = 120;
// ...or once the left button is held 121 frames after it
constexpr int kEarlyEndAfter = 60;

// Counts shown up by one when the wait is over; a finished line clicks
void CountStep(Game& g, int& shown, int count)
{
    if (count <= shown || g.tallyWait <= 0) return;
    shown += 1;
    g.tallyWait = 0;
    if (shown == count) {
        g.tallyWait = kLineGap;
        PlaySlot(g, 1);
    }
}

// Birds shot first, then birds missed, then objects passed: each starts
// once the one before has finished
void CountSteps(Game& g)
{
    bool shotDone = g.shotShown == g.run.birdsShot;
    bool missedDone = g.missedShown == g.run.birdsMissed;
    if (shotDone && missedDone && g.passedShown <= g.run.objectsPassed) CountStep(g, g.passedShown, g.run.objectsPassed);
    if (shotDone && g.missedShown <= g.run.birdsMissed) CountStep(g, g.missedShown, g.run.birdsMissed);
    if (g.shotShown <= g.run.birdsShot) CountStep(g, g.shotShown, g.run.birdsShot);
}

std::u16string CountLine(int shown, std::u16string_view times, int points)
{
    return IntToText(shown) + std::u16string(times) + IntToText(shown * points);
}

} // namespace

int ShownTotal(const Game& g)
{
    int t = 0;
    if (g.shotShown > 0) t = g.shotShown * 10;
    if (g.passedShown > 0) t += g.passedShown * 10;
    if (g.missedShown > 0) t -= g.missedShown * 5;
    return t < 0 ? 0 : t;
}

std::vector<ScreenText> TallyTexts(const Game& g)
{
    const auto& font = g.res.bigFont;
    std::vector<ScreenText> texts;
    if (g.passedShown > -1) {
        texts.push_back({font, u"+ Objects passed", 400, 400, 1});
        texts.push_back({font, CountLine(g.passedShown, u" x 10 = ", 10), 400, 450, 1});
    }
    if (g.missedShown > -1) {
        texts.push_back({font, u"- Birds Missed", 400, 250, 1});
        texts.push_back({font, CountLine(g.missedShown, u" x 5 = ", 5), 400, 300, 1});
    }
    texts.push_back({font, u"Score", 400, 30, 1});
    if (g.shotShown > -1) {
        texts.push_back({font, u"Birds Shot", 400, 100, 1});
        texts.push_back({font, CountLine(g.shotShown, u" x 10 = ", 10), 400, 150, 1});
    }
    texts.push_back({font, u"Total", 400, 520, 1});
    texts.push_back({font, PadLeft(u"00000000", IntToText(ShownTotal(g))), 400, 570, 1});
    return texts;
}

Stage ScoreTally(Game& g)
{
    g.shotShown = g.missedShown = g.passedShown = -1;
    g.tallyWait = kLineGap;
    return Stage::Tally;
}

Stage TallyFrame(Game& g)
{
    Cls();
    ResetDrawState();
    g.tallyWait += 1;
    CountSteps(g);
    g.runTotal = ShownTotal(g);
    DrawScreenTexts(TallyTexts(g));
    Flip(-1);
    if (MouseIsDown(MOUSE_LEFT) && g.tallyWait > kEarlyEndAfter) g.tallyWait = 500;
    return g.tallyWait < kTallyEnd ? Stage::Tally : Stage::EnterTitle;
}

} // namespace game
