// run_pictures OUTDIR: pictures of a run for judging by eye (mid-jump,
// mid-duck, a bird hit with its spray), drawn on the OpenGL back-end under
// a private Xvfb with the shipped art. The backdrop belongs to the screens;
// here a plain sky stands behind the run.
#include <png.h>

#include <cstdio>
#include <string>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/collision.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/draw/image.h"
#include "engine/draw/pixmap_loader.h"
#include "engine/input/event.h"
#include "engine/input/input.h"
#include "engine/platform/platform.h"
#include "engine/random/random.h"
#include "game/play/run.h"
#include "game/play/steps.h"
#include "tests/support/xvfb.h"

using namespace engine;

namespace {

bool WritePng(const std::string& path, const TPixmap& picture)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < picture.height; ++y) png_write_row(png, picture.PixelPtr(0, y));
        png_write_end(png, info);
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

void Emit(int id, int data = 0, int x = 0, int y = 0)
{
    TEvent::Create(id, gInput.eventSource, data, 0, x, y).Emit();
}

struct Scene {
    play::RunState run;
    int shotPending = 0, frameCounter = 0;

    void Frame()
    {
        Cls();
        ResetCollisions(0);
        play::ResetDrawState();
        shotPending = TakeMouseHits(MOUSE_LEFT);
        play::ResetDrawState();
        play::StepRun(run, shotPending, ++frameCounter);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i) Frame();
    }
};

std::shared_ptr<TImage> Sheet(const char* file, int cell, int count)
{
    std::shared_ptr<TImage> image = LoadAnimImage(std::string(VB_SOURCE_DIR) + "/system/m013/" + file, cell, cell, 0, count);
    if (image) MidHandleImage(*image);
    return image;
}

bool Save(const std::string& dir, const char* name)
{
    std::shared_ptr<TPixmap> picture = GrabPixmap(0, 0, 800, 600);
    std::string path = dir + "/" + name;
    bool ok = picture && WritePng(path, *picture);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: run_pictures OUTDIR\n");
        return 2;
    }
    testsupport::XServer server;
    std::string error;
    if (!testsupport::StartXvfb(1024, 768, 24, server, error) || !platform::Startup(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    RegisterPixmapLoaders();
    SetGraphicsDriver(GLCanvasDriver(), GRAPHICS_BACKBUFFER);
    if (!OpenGraphics(800, 600, 0, 60, 0)) return 1;
    SetBlend(BLEND_ALPHA);
    SetMaskColor(255, 0, 255);
    SetClsColor(110, 150, 230);
    gInput.autoPoll = 0;
    SeedRandom(7);
    play::RunArt art{Sheet("varnicka.png", 64, 100), Sheet("gfx.png", 64, 100), Sheet("particles.png", 8, 6)};
    if (!art.playerSheet || !art.gfxSheet || !art.particleSheet) return 1;
    bool ok = true;

    // Mid-jump over a cactus, the player turned by the spin
    Scene jump;
    jump.run.art = art;
    play::BeginRun(jump.run);
    jump.run.spawnCountdown = 1000000;
    jump.Frame();
    jump.run.objects.AddLast(play::ect{220, 550, 0, 0});
    Emit(EVENT_MOUSEMOVE, 0, 600, 200);
    Emit(EVENT_KEYDOWN, KEY_W);
    jump.Frames(12);
    Emit(EVENT_KEYUP, KEY_W);
    ok &= Save(argv[1], "run_mid_jump.png");

    // Mid-duck under a pair, dust at the feet
    Scene duck;
    duck.run.art = art;
    play::BeginRun(duck.run);
    duck.run.spawnCountdown = 1000000;
    duck.Frame();
    duck.run.objects.AddLast(play::ect{200, 550, 20, 0});
    duck.run.objects.AddLast(play::ect{200, 486, 10, 0});
    Emit(EVENT_KEYDOWN, KEY_S);
    duck.Frames(22);
    Emit(EVENT_KEYUP, KEY_S);
    ok &= Save(argv[1], "run_mid_duck.png");

    // A bird hit a few frames ago, falling, its spray flying; a second bird flies on
    Scene hit;
    hit.run.art = art;
    play::BeginRun(hit.run);
    hit.run.spawnCountdown = 1000000;
    hit.run.birds.AddLast(play::die{400, 300, 0});
    hit.run.birds.AddLast(play::die{250, 360, 5});
    hit.run.objects.AddLast(play::ect{600, 550, 2, 0});
    hit.Frame();
    Emit(EVENT_MOUSEMOVE, 0, 404, 300);
    Emit(EVENT_MOUSEDOWN, MOUSE_LEFT, 404, 300);
    Emit(EVENT_MOUSEUP, MOUSE_LEFT, 404, 300);
    hit.Frames(4);
    ok &= Save(argv[1], "run_bird_hit.png");

    gInput.autoPoll = 1;
    CloseGraphics();
    platform::Shutdown();
    testsupport::StopXvfb(server);
    return ok ? 0 : 1;
}
