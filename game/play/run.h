// A run: the player, the objects on the ground, the birds and the particles,
// and the counters the tally scores.
//
// How the game flow drives it (the run state is one member of the Game
// object, e.g. `play::RunState run;`):
//
//   once, after the art is loaded and whenever it is reloaded:
//       g.run.art = {g.res.playerSheet, g.res.gfxSheet, g.res.particleSheet};
//       g.run.playSound = [&g](int slot) { PlaySlot(g, slot); };
//   the click on the title that starts a run (after its sound slot 1):
//       play::BeginRun(g.run);           // also discards that click's hits
//   each run frame:
//       Cls(); engine::ResetCollisions(0); ResetDrawState();
//       StepBackdrop(g);                 // takes the hits into g.shotPending
//       if (g.shotPending) PlaySlot(g, 1);
//       ResetDrawState();
//       play::StepRun(g.run, g.shotPending, g.frameCounter);
//       Flip(-1);
//       if (KeyIsDown(KEY_ESCAPE)) g.run.runOver = 99;
//   the run goes on while g.run.runOver is 0 (1: hit, 99: Escape).
//   the tally reads g.run.birdsShot, g.run.birdsMissed, g.run.objectsPassed
//   and scores them with play::RunTotal; the title screen then applies
//   play::TakeBestScore(bestScore, runTotal) and writes the save file when
//   it returns true.
//
// shotPending stays the game flow's: StepRun takes it by reference, and the
// target that takes the shot sets it to 0.
#pragma once
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine/draw/image.h"

namespace play {

//---- Records

// An object on the ground; tip is its kind and the gfxSheet frame drawn
struct ect {
    float x = 0, y = 0;
    int tip = 0;
    int gets = 0;   // 1 once counted as passed
};

// A bird; frm is the wing-beat phase 0 to 15, 20 once shot
struct die {
    float x = 0, y = 0;
    int frm = 0;
};

// A particle: ang is its direction (0 up, 90 right, 180 down), rot the
// rotation it is drawn with and rots what is added to rot each frame
struct icle {
    float x = 0, y = 0;
    float ang = 0, rot = 0, rots = 0;
    int t = 0;   // particleSheet frame
    int s = 0;   // speed in pixels per frame
};

// Records in the order they were added. A walk visits them front to back;
// the record being visited may be removed by its visit. A visit must not
// add to the list it walks.
template <typename T>
class TList {
public:
    void AddLast(const T& record) { records_.push_back(record); }
    void Clear() { records_.clear(); }
    int Count() const { return int(records_.size()); }
    const T& operator[](int index) const { return records_[size_t(index)]; }
    T& operator[](int index) { return records_[size_t(index)]; }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

    // visit(record) returns true when the record is to go
    template <typename Visit>
    void Walk(Visit&& visit)
    {
        size_t kept = 0;
        for (size_t i = 0; i < records_.size(); ++i) {
            if (visit(records_[i])) continue;
            if (kept != i) records_[kept] = std::move(records_[i]);
            ++kept;
        }
        records_.resize(kept);
    }

private:
    std::vector<T> records_;
};

//---- The run

// The sheets a run draws with (their handles at the centre)
struct RunArt {
    std::shared_ptr<engine::TImage> playerSheet;     // 64 x 64 cells
    std::shared_ptr<engine::TImage> gfxSheet;        // 64 x 64 cells
    std::shared_ptr<engine::TImage> particleSheet;   // 8 x 8 cells
};

// Plays a sound slot (1 shot, 2 hit, 3 bird shot, 4 duck, 5 jump)
using SoundPlayer = std::function<void(int slot)>;

struct RunState {
    int playerX = 100, playerY = 550;
    int groundY = 550;
    int spawnCountdown = 100;
    float spawnInterval = 100.0f;
    int birdsShot = 0, birdsMissed = 0, objectsPassed = 0;
    int runOver = 0;   // 1 hit, 99 Escape

    // Kept from one run to the next: a run ended mid-jump lands in the next
    int jumpTimer = 0;     // frames since the jump began plus 2; 0 when none
    int duckTimer = 0;     // 1 to 40 ducking, -1 locked until down is let go
    int animCounter = 0;   // the player's frame times two
    int onGround = 0;
    int spin = 0;          // the player's rotation this frame

    TList<ect> objects;
    TList<die> birds;
    TList<icle> particles;

    RunArt art;
    SoundPlayer playSound;   // may be empty: silent
};

// The reset at the start of a run: lists emptied, position, spawn timing
// and counters back to their start; the jump, duck and animation carry on
void BeginRun(RunState& run);
// One run frame's gameplay, drawn into the current display and written
// into collision layer 1; frameCounter turns and bounces the rolling object
void StepRun(RunState& run, int& shotPending, int frameCounter);

//---- Scoring

// 10 a bird shot, 10 an object passed, -5 a bird missed; never below 0
int RunTotal(int birdsShot, int birdsMissed, int objectsPassed);
int RunTotal(const RunState& run);
// A total above the best becomes the best and is used up; true when the
// best changed and so must be saved
bool TakeBestScore(int& bestScore, int& runTotal);

} // namespace play
