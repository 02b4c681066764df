// The game's whole state in one object, and the stages and screens of the flow.
#pragma once
#include <string>

#include "scores/save_file.h"

namespace game {

// Where the flow goes next; each screen is a loop of frame functions
enum class Stage { SetUpDisplay, EnterTitle, Title, Quit };

struct Game {
    // Name, best score, player number, the three settings and the last
    // score board: what the save file keeps
    scores::PersistentValues saved;

    int dataModified = 0;
    int rebuildDisplay = 0;

    // Screen variables
    int escapeLatch = 0;
    int quitRequested = 0;

    bool displaySetUpOnce = false;
};

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;
inline constexpr int kHertz = 60;
inline constexpr const char* kAppTitle = "Orvo's Pollux Framework";

// Engine and game start-up up to the first stage
Stage Startup(Game& g);
Stage SetUpDisplay(Game& g);
Stage EnterTitle(Game& g);
Stage TitleFrame(Game& g);
// Runs one stage or one frame of the current screen
Stage Step(Game& g, Stage stage);
// Start-up, then the stages until the quit sequence
void RunGame(Game& g);
void QuitSequence(Game& g);

// Alpha 1, rotation 0, scale 1 x 1, white, handle 0, 0
void ResetDrawState();

} // namespace game
