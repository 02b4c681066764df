// What a run is worth, and the best score it may become.
#include "game/play/run.h"

namespace play {

int RunTotal(int birdsShot, int birdsMissed, int objectsPassed)
{
    int total = 10 * birdsShot + 10 * objectsPassed - 5 * birdsMissed;
    return total < 0 ? 0 : total;
}

int RunTotal(const RunState& run) { return RunTotal(run.birdsShot, run.birdsMissed, run.objectsPassed); }

bool TakeBestScore(int& bestScore, int& runTotal)
{
    if (runTotal <= bestScore) return false;
    bestScore = runTotal;
    runTotal = 0;
    return true;
}

} // namespace play
