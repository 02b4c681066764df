// CPU cost of the gameplay of one heavy run frame (40 objects, 20 birds and
// 2000 particles, drawn through the OpenGL back-end on Mesa under Xvfb and
// written into the collision layer), and of the pixel test between two
// rotated 64 x 64 frames. Restoring the scene, presenting and clearing
// happen with the timer paused.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/collision.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/draw/image.h"
#include "engine/draw/pixmap_loader.h"
#include "engine/platform/platform.h"
#include "engine/random/random.h"
#include "game/play/run.h"
#include "game/play/steps.h"
#include "tests/support/xvfb.h"

using namespace engine;

namespace {

play::RunArt gArt;

std::shared_ptr<TImage> Sheet(const char* file, int cell, int count)
{
    std::string path = std::string(VB_SOURCE_DIR) + "/system/m013/" + file;
    std::shared_ptr<TImage> image = LoadAnimImage(path, cell, cell, 0, count);
    if (!image) {
        std::fprintf(stderr, "Unable to load %s\n", path.c_str());
        std::exit(1);
    }
    MidHandleImage(*image);
    return image;
}

// Objects spread along the ground (a third of them rolling, a third pairs),
// birds across the sky, particles all over the screen in every direction
play::RunState HeavyScene()
{
    play::RunState run;
    run.art = gArt;
    run.spawnCountdown = 1000000;
    run.playerX = 100, run.playerY = 550, run.onGround = 1;
    for (int i = 0; i < 40; i += 2) {
        float x = 180.0f + float(i) * 16.0f;
        if (i % 6 == 4) {
            run.objects.AddLast(play::ect{x, 550, 20, 0});
            run.objects.AddLast(play::ect{x, 486, 10, 0});
        } else {
            run.objects.AddLast(play::ect{x, 550, i % 6 == 0 ? 2 : 0, 0});
            run.objects.AddLast(play::ect{x + 16, 550, 1, 0});
        }
    }
    for (int i = 0; i < 20; ++i) run.birds.AddLast(play::die{float(i * 40), float(250 + i * 7), i % 16});
    for (int i = 0; i < 2000; ++i) {
        play::icle p;
        p.x = float((i * 37) % 800), p.y = float((i * 53) % 580);
        p.ang = float(i % 360 - 180), p.rot = float(i % 360), p.rots = float(i % 33 - 16);
        p.t = i % 6, p.s = 4 + i % 13;
        run.particles.AddLast(p);
    }
    return run;
}

enum class Drawn { Everything, AllButParticles, Nothing };

void HeavyRunFrame(benchmark::State& state, Drawn drawn)
{
    play::RunState scene = HeavyScene();
    if (drawn != Drawn::Everything) scene.art.particleSheet = nullptr;
    // Without sheets nothing is drawn or written into the layer: the walks alone
    if (drawn == Drawn::Nothing) scene.art = {};
    play::RunState run = scene;
    int frameCounter = 0;
    for (auto _ : state) {
        ResetCollisions(0);
        play::ResetDrawState();
        int shotPending = 0;
        play::StepRun(run, shotPending, ++frameCounter);
        state.PauseTiming();
        Flip(0);
        Cls();
        run = scene;
        state.ResumeTiming();
    }
    state.counters["objects"] = double(scene.objects.Count());
    state.counters["birds"] = double(scene.birds.Count());
    state.counters["particles"] = double(scene.particles.Count());
}
void BM_HeavyRunFrame(benchmark::State& state) { HeavyRunFrame(state, Drawn::Everything); }
// Where the time goes: the same frame with the particles left undrawn, and
// with nothing drawn or written at all (the walks and the input polls)
void BM_HeavyRunFrameUndrawnParticles(benchmark::State& state) { HeavyRunFrame(state, Drawn::AllButParticles); }
void BM_HeavyRunFrameNothingDrawn(benchmark::State& state) { HeavyRunFrame(state, Drawn::Nothing); }
BENCHMARK(BM_HeavyRunFrame)->Unit(benchmark::kMicrosecond)->MinTime(3.0);
BENCHMARK(BM_HeavyRunFrameUndrawnParticles)->Unit(benchmark::kMicrosecond)->MinTime(3.0);
BENCHMARK(BM_HeavyRunFrameNothingDrawn)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

// A solid diamond in a 64 x 64 frame: the corners of its box are empty
std::shared_ptr<TImage> Diamond()
{
    std::shared_ptr<TImage> image = CreateImage(64, 64, 1, IMAGE_MASKED);
    std::shared_ptr<TPixmap> p = image->Lock(0, 1, 1);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            p->WritePixel(x, y, std::fabs(x - 31.5) + std::fabs(y - 31.5) <= 32.0 ? 0xFFFFFFFFu : 0u);
    MidHandleImage(*image);
    return image;
}

// The player's running frame turned 40 degrees against a cactus turned 20,
// overlapping: the test stops at the first shared solid pixel
void BM_PixelTestRotatedOverlap(benchmark::State& state)
{
    ResetCollisions(0);
    SetRotation(20);
    CollideImage(*gArt.gfxSheet, 400, 300, 0, 0, 2);
    SetRotation(40);
    bool hit = false;
    for (auto _ : state) {
        hit = !CollideImage(*gArt.playerSheet, 410, 300, 0, 2, 0).empty();
        benchmark::DoNotOptimize(hit);
    }
    SetRotation(0);
    ResetCollisions(0);
    if (!hit) state.SkipWithError("the frames were meant to overlap");
}
BENCHMARK(BM_PixelTestRotatedOverlap)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Two rotated diamonds whose boxes overlap widely but whose solid parts do
// not meet: every shared scan line is walked
void BM_PixelTestRotatedNearMiss(benchmark::State& state)
{
    std::shared_ptr<TImage> diamond = Diamond();
    ResetCollisions(0);
    SetRotation(10);
    CollideImage(*diamond, 400, 300, 0, 0, 2);
    bool hit = true;
    for (auto _ : state) {
        hit = !CollideImage(*diamond, 447, 347, 0, 2, 0).empty();
        benchmark::DoNotOptimize(hit);
    }
    SetRotation(0);
    ResetCollisions(0);
    if (hit) state.SkipWithError("the frames were meant to miss");
}
BENCHMARK(BM_PixelTestRotatedNearMiss)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    testsupport::XServer server;
    std::string error;
    if (!testsupport::StartXvfb(1024, 768, 24, server, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!platform::Startup(error)) return 1;
    RegisterPixmapLoaders();
    SetGraphicsDriver(GLCanvasDriver(), GRAPHICS_BACKBUFFER);
    if (!OpenGraphics(800, 600, 0, 60, 0)) return 1;
    SetBlend(BLEND_ALPHA);
    SetMaskColor(255, 0, 255);
    gArt = {Sheet("varnicka.png", 64, 100), Sheet("gfx.png", 64, 100), Sheet("particles.png", 8, 6)};
    engine::SeedRandom(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    gArt = {};
    CloseGraphics();
    platform::Shutdown();
    testsupport::StopXvfb(server);
    return 0;
}
