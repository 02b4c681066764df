// CPU cost of submitting one frame of 1000 textured, rotated quads through
// the drawing state, on the OpenGL back-end and on the 2D renderer back-end
// (Mesa under Xvfb). The submission is timed alone; a second figure also
// times clearing and presenting, where a back-end may defer its work.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/draw/sdl/sdl_canvas_driver.h"
#include "engine/draw/image.h"
#include "engine/platform/platform.h"
#include "tests/support/xvfb.h"

using namespace engine;

namespace {

// An 8 x 8 mid-handled sprite, like a particle of the game
std::shared_ptr<TImage> MakeSprite()
{
    auto pixels = TPixmap::Create(8, 8, PF_RGBA8888);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pixels->WritePixel(x, y, 0xC0FFFFFF);
    auto sprite = TImage::Create(8, 8, 1, IMAGE_FILTERED, 0, 0, 0);
    sprite->SetPixmap(0, pixels);
    MidHandleImage(*sprite);
    return sprite;
}

void SubmitQuads(TImage& sprite, int count, long frame)
{
    for (int i = 0; i < count; ++i) {
        SetRotation(float(i * 7 + frame));
        SetAlpha(0.8f);
        DrawImage(sprite, float((i * 37) % 800), float((i * 53) % 600));
    }
}

// The display of the back-end under test, opened once per benchmark
bool OpenOn(TCanvasDriver* driver)
{
    SetGraphicsDriver(driver, GRAPHICS_BACKBUFFER);
    if (!OpenGraphics(800, 600, 0, 60, 0)) return false;
    SetBlend(BLEND_ALPHA);
    return true;
}

TCanvasDriver* DriverOf(const benchmark::State& state)
{
    return state.range(0) == 0 ? static_cast<TCanvasDriver*>(GLCanvasDriver()) : SDLCanvasDriver();
}

void BM_ThousandTexturedQuads(benchmark::State& state)
{
    if (!OpenOn(DriverOf(state))) {
        state.SkipWithError("display");
        return;
    }
    state.SetLabel(state.range(0) == 0 ? "OpenGL" : "2D renderer");
    std::shared_ptr<TImage> sprite = MakeSprite();
    long frame = 0;
    for (auto _ : state) {
        SubmitQuads(*sprite, 1000, frame++);
        state.PauseTiming();
        Flip(0);
        Cls();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ThousandTexturedQuads)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

// Submission, clear and present together: the whole CPU cost of the frame
void BM_ThousandTexturedQuadsPresented(benchmark::State& state)
{
    if (!OpenOn(DriverOf(state))) {
        state.SkipWithError("display");
        return;
    }
    state.SetLabel(state.range(0) == 0 ? "OpenGL" : "2D renderer");
    std::shared_ptr<TImage> sprite = MakeSprite();
    long frame = 0;
    for (auto _ : state) {
        SubmitQuads(*sprite, 1000, frame++);
        Flip(0);
        Cls();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ThousandTexturedQuadsPresented)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    CloseGraphics();
    platform::Shutdown();
    testsupport::StopXvfb(server);
    return 0;
}
