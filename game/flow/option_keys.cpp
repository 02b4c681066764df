// F1, F2 and F3 on the title screen: full screen, the tune, the renderer.
#include "engine/input/input.h"
#include "game/flow/game.h"
#include "game/flow/screens.h"
#include "game/flow/sounds.h"

namespace game {

using namespace engine;

namespace {

void StopTuneIfPlaying(Game& g)
{
    if (TunePlaying(g)) StopTune(g);
}

} // namespace

void OptionKeys(Game& g)
{
    scores::PersistentValues& s = g.saved;
    // Switching the tune back on is left to the title frame, which starts
    // it afresh when it finds it silent
    if (TakeKeyHits(KEY_F2)) {
        s.musicOn = 1 - s.musicOn;
        if (s.musicOn == 0) StopTuneIfPlaying(g);
    }
    if (TakeKeyHits(KEY_F3)) {
        s.rendererChoice += 1;
        if (s.rendererChoice == 2) s.rendererChoice = 0;
        StopTuneIfPlaying(g);
        g.rebuildDisplay = 1;
    }
    // F1 by its held state: the rebuild clears it, and key repeats do not
    // set it again, so one press switches once
    if (KeyIsDown(KEY_F1)) {
        s.screenDepth = 32 - s.screenDepth;
        StopTuneIfPlaying(g);
        g.rebuildDisplay = 1;
    }
    DrawScreenTexts(OptionLabels(g));
}

// What each key would do now; a setting outside its two values shows no line
std::vector<ScreenText> OptionLabels(const Game& g)
{
    const scores::PersistentValues& s = g.saved;
    std::vector<ScreenText> labels;
    if (s.screenDepth == 0) labels.push_back({nullptr, u"(F1) Switch to Fullscreen", 0, 0, 0});
    if (s.screenDepth == 32) labels.push_back({nullptr, u"(F1) Switch to Windowed", 0, 0, 0});
    if (s.musicOn == 0) labels.push_back({nullptr, u"(F2) Switch Music On", 0, 10, 0});
    if (s.musicOn == 1) labels.push_back({nullptr, u"(F2) Switch Music Off", 0, 10, 0});
    if (s.rendererChoice == 0) labels.push_back({nullptr, u"(F3) Switch to DirectX", 0, 20, 0});
    if (s.rendererChoice == 1) labels.push_back({nullptr, u"(F3) Switch to OpenGL", 0, 20, 0});
    return labels;
}

} // namespace game
