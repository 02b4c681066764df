// The game's whole state in one object, and the stages and screens of the flow.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/audio/audio.h"
#include "engine/draw/font.h"
#include "engine/draw/image.h"
#include "game/play/run.h"
#include "game/play/steps.h"
#include "scores/save_file.h"

namespace game {

// Where the flow goes next; each screen is a loop of frame functions
enum class Stage { SetUpDisplay, EnterTitle, Title, BeginRun, Run, EndOfRun, ScoreTally, Tally, Quit };

// Loaded once, at the first display set-up, and kept for the whole program
struct Resources {
    std::shared_ptr<engine::TImage> playerSheet;
    std::shared_ptr<engine::TImage> gfxSheet;
    std::shared_ptr<engine::TImage> particleSheet;
    std::shared_ptr<engine::TImage> barImage;
    std::shared_ptr<engine::TImageFont> bigFont;     // title words, the tally
    std::shared_ptr<engine::TImageFont> smallFont;   // help lines and captions
    std::shared_ptr<engine::TImageFont> digitFont;   // name and score figures
    // 100 effect slots, 1 to 5 used; made at the first display set-up and
    // refilled at every one, since sounds belong to the driver that loaded them
    std::vector<std::shared_ptr<engine::TSound>> sounds;
};

struct Game {
    // Name, best score, player number, the three settings and the last
    // score board: what the save file keeps
    scores::PersistentValues saved;

    int dataModified = 0;
    int rebuildDisplay = 0;

    // The backdrop and the sun
    int scrollPos = 0;
    int frameCounter = 0;
    float sunScaleX = 1.2f, sunScaleY = 1.2f;
    float sunSpeedX = 0.01f, sunSpeedY = 0.01f;

    // Screen variables
    int escapeLatch = 0;
    int quitRequested = 0;
    int shotPending = 0;
    int boardUpdateAllowed = 0;   // the right button may update the board once per title visit
    int runTotal = 0;
    int tuneStarts = 0;   // times the title tune was started afresh

    // The run: the player, objects, birds, particles, and the counters the
    // tally counts up (run.runOver: 0 while it goes on, 1 hit, 99 Escape)
    play::RunState run;

    // The tally: each count as shown so far (-1 before its line shows)
    int shotShown = -1, missedShown = -1, passedShown = -1;
    int tallyWait = 0;

    Resources res;
    bool displaySetUpOnce = false;

    // The title tune's stream; opened the first time at start-up
    std::shared_ptr<engine::TChannel> tuneChannel;
    bool tuneOpenedOnce = false;
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

// Alpha 1, rotation 0, scale 1 x 1, white, handle 0, 0 (shared with the run)
using play::ResetDrawState;

// Advances and draws the scrolling rows and the sun at the start of every
// title and run frame; takes the frame's left-button hits into shotPending
void StepBackdrop(Game& g);
// Where a backdrop row's middle copy starts left of 0 at a scroll position
int BackdropRowOffset(int scrollPos, int row);

} // namespace game
