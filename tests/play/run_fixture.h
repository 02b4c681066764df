// A run on a real display with the shipped art, stepped frame by frame with
// input emitted through the real hook chain and a fixed seed.
#pragma once
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/collision.h"
#include "engine/draw/image.h"
#include "engine/draw/pixmap_loader.h"
#include "engine/input/event.h"
#include "engine/input/input.h"
#include "engine/random/random.h"
#include "game/play/run.h"
#include "game/play/steps.h"
#include "tests/support/display.h"

namespace playtest {

inline play::RunArt LoadRunArt()
{
    using namespace engine;
    static bool registered = false;
    if (!registered) RegisterPixmapLoaders();
    registered = true;
    SetMaskColor(255, 0, 255);
    play::RunArt art;
    art.playerSheet = LoadAnimImage("system/m013/varnicka.png", 64, 64, 0, 100);
    art.gfxSheet = LoadAnimImage("system/m013/gfx.png", 64, 64, 0, 100);
    art.particleSheet = LoadAnimImage("system/m013/particles.png", 8, 8, 0, 6);
    if (art.playerSheet) MidHandleImage(*art.playerSheet);
    if (art.gfxSheet) MidHandleImage(*art.gfxSheet);
    if (art.particleSheet) MidHandleImage(*art.particleSheet);
    return art;
}

class RunFixture : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(testsupport::OpenTestDisplay(testsupport::DriverKind::GL, 800, 600));
        engine::SetBlend(engine::BLEND_ALPHA);
        art_ = new play::RunArt(LoadRunArt());
        ASSERT_TRUE(art_->playerSheet && art_->gfxSheet && art_->particleSheet);
    }
    static void TearDownTestSuite()
    {
        delete art_;
        art_ = nullptr;
        engine::ResetCollisions(0);
        engine::CloseGraphics();
    }
    void SetUp() override
    {
        // Input comes from the script alone: window-system messages (focus
        // changes on a server without a window manager) stay queued
        engine::gInput.autoPoll = 0;
        engine::FlushInput();
        engine::FlushMouse();
        engine::SeedRandom(20261211);
        run.art = *art_;
        run.playSound = [this](int slot) { sounds.push_back({frame, slot}); };
        Move(0, 0);
        play::BeginRun(run);
    }
    void TearDown() override
    {
        engine::FlushInput();
        engine::FlushMouse();
        engine::gInput.autoPoll = 1;
    }

    static void Emit(int id, int data = 0, int x = 0, int y = 0)
    {
        engine::TEvent::Create(id, engine::gInput.eventSource, data, 0, x, y).Emit();
    }
    static void Hold(int key) { Emit(engine::EVENT_KEYDOWN, key); }
    static void Release(int key) { Emit(engine::EVENT_KEYUP, key); }
    static void Move(int x, int y) { Emit(engine::EVENT_MOUSEMOVE, 0, x, y); }
    static void Click(int x, int y)
    {
        Move(x, y);
        Emit(engine::EVENT_MOUSEDOWN, engine::MOUSE_LEFT, x, y);
        Emit(engine::EVENT_MOUSEUP, engine::MOUSE_LEFT, x, y);
    }

    // The run frame around StepRun, as the game flow has it (the backdrop
    // aside): layers emptied, the frame's clicks taken into the shot
    void Frame()
    {
        engine::ResetCollisions(0);
        play::ResetDrawState();
        shotPending = engine::TakeMouseHits(engine::MOUSE_LEFT);
        if (shotPending) run.playSound(1);
        play::ResetDrawState();
        frameCounter += 1;
        play::StepRun(run, shotPending, frameCounter);
        frame += 1;
    }
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) Frame();
    }
    // Nothing comes along the ground for a long while
    void QuietGround() { run.spawnCountdown = 1000000; }

    // How often a slot played, in every frame so far or in the last one
    int SoundCount(int slot) const
    {
        int n = 0;
        for (const auto& s : sounds) n += s.second == slot;
        return n;
    }
    int SoundsThisFrame(int slot) const
    {
        int n = 0;
        for (const auto& s : sounds) n += s.second == slot && s.first == frame - 1;
        return n;
    }

    static inline play::RunArt* art_ = nullptr;
    play::RunState run;
    int shotPending = 0;
    int frameCounter = 0;
    int frame = 0;   // frames stepped in this test
    std::vector<std::pair<int, int>> sounds;   // frame, slot
};

} // namespace playtest
