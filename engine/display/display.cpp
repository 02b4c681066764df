#include "engine/display/display.h"

#include <cstdlib>
#include <exception>

#include "engine/input/hook.h"
#include "engine/input/input.h"
#include "engine/input/system_driver.h"
#include "engine/platform/platform.h"
#include "engine/runtime/error.h"

namespace engine {

namespace {

struct TSettings {
    int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
};

struct TDisplayState {
    TGraphicsDriver* driver = nullptr;
    int defaultFlags = 0;
    std::shared_ptr<TGraphics> current;
    TSettings settings;
    std::shared_ptr<TGraphics> opened;
    int generation = 1;
    int softSync = 0;
    TFrameTimer frameTimer;
    bool closeAtExit = false;
    std::string error;
};

TDisplayState gDisplay;
TDisplayClock gClock{platform::SystemMillis, platform::SleepMillis};

void RaiseGeneration()
{
    ++gDisplay.generation;
    if (gDisplay.generation == 0) gDisplay.generation = 1;
}

void ForgetCurrent()
{
    gDisplay.current.reset();
    gDisplay.settings = TSettings{};
}

void CloseOpened()
{
    if (!gDisplay.opened) return;
    RaiseGeneration();
    RemoveInputHook();
    std::shared_ptr<TGraphics> opened = std::move(gDisplay.opened);
    if (opened == gDisplay.current) SetGraphics(nullptr);
    opened->Close();
}

// In full screen, trust the retrace only when it really runs at the asked
// rate: three flips in a row within a millisecond of the frame time
int MeasureSoftSync(int hertz)
{
    const int frame = 1000 / hertz;
    const std::uint32_t start = gClock.millis();
    int inRow = 0;
    while (gClock.millis() - start < 1000) {
        std::uint32_t t = gClock.millis();
        gDisplay.driver->Flip(1);
        int d = int(gClock.millis() - t) - frame;
        inRow = (d >= -1 && d <= 1) ? inRow + 1 : 0;
        if (inRow == 3) return 0;
    }
    return 1;
}

std::shared_ptr<TGraphics> CreateWithDriver(int width, int height, int depth, int hertz, int flags)
{
    try {
        return gDisplay.driver->CreateGraphics(width, height, depth, hertz, flags);
    } catch (const TRuntimeError&) {
        throw;   // a full-screen mode that cannot be shown is fatal, as designed
    } catch (const std::exception& e) {
        gDisplay.error = e.what();
        return nullptr;
    }
}

} // namespace

void SetGraphicsDriver(TGraphicsDriver* driver, int defaultFlags)
{
    if (driver != gDisplay.driver) {
        if (gDisplay.driver && gDisplay.current) gDisplay.driver->SetGraphics(nullptr);
        gDisplay.driver = driver;
    }
    gDisplay.defaultFlags = defaultFlags;
    ForgetCurrent();
}

TGraphicsDriver* GetGraphicsDriver() { return gDisplay.driver; }

void SetGraphics(std::shared_ptr<TGraphics> graphics)
{
    if (!graphics) {
        if (gDisplay.driver) gDisplay.driver->SetGraphics(nullptr);
        ForgetCurrent();
        return;
    }
    gDisplay.driver = graphics->Driver();
    TSettings& s = gDisplay.settings;
    graphics->GetSettings(s.width, s.height, s.depth, s.hertz, s.flags);
    gDisplay.current = graphics;
    gDisplay.driver->SetGraphics(graphics);
}

std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth, int hertz, int flags)
{
    CloseOpened();
    if (!gDisplay.driver) {
        gDisplay.error = "no graphics driver selected";
        return nullptr;
    }
    gDisplay.error.clear();
    std::shared_ptr<TGraphics> graphics =
        CreateWithDriver(width, height, depth, hertz, flags | gDisplay.defaultFlags);
    if (!graphics) return nullptr;

    RaiseGeneration();
    SetGraphics(graphics);
    gDisplay.softSync = 1;
    if (hertz == 0) gDisplay.softSync = 0;
    else if (depth != 0) gDisplay.softSync = MeasureSoftSync(hertz);
    StartFrameTimer(gDisplay.frameTimer, hertz, gClock.millis());
    gDisplay.opened = graphics;

    if (depth != 0) MoveMouse(width / 2, height / 2);
    InstallInputHook(nullptr);
    if (!gDisplay.closeAtExit) {
        std::atexit(CloseGraphics);
        gDisplay.closeAtExit = true;
    }
    return graphics;
}

void CloseGraphics() { CloseOpened(); }

std::shared_ptr<TGraphics> CurrentGraphics() { return gDisplay.current; }
int GraphicsWidth() { return gDisplay.settings.width; }
int GraphicsHeight() { return gDisplay.settings.height; }
int GraphicsDepth() { return gDisplay.settings.depth; }
int GraphicsHertz() { return gDisplay.settings.hertz; }
int GraphicsGeneration() { return gDisplay.generation; }
int SoftSync() { return gDisplay.softSync; }

const std::string& GraphicsError() { return gDisplay.error; }
void SetGraphicsError(const std::string& reason) { gDisplay.error = reason; }

int CountGraphicsModes() { return gDisplay.driver ? int(gDisplay.driver->GraphicsModes().size()) : 0; }

bool GetGraphicsMode(int index, int& width, int& height, int& depth, int& hertz)
{
    if (!gDisplay.driver) return false;
    std::vector<TGraphicsMode> modes = gDisplay.driver->GraphicsModes();
    if (index < 0 || index >= int(modes.size())) return false;
    const TGraphicsMode& m = modes[index];
    width = m.width, height = m.height, depth = m.depth, hertz = m.hertz;
    return true;
}

bool GraphicsModeExists(int width, int height, int depth, int hertz)
{
    if (!gDisplay.driver) return false;
    for (const TGraphicsMode& m : gDisplay.driver->GraphicsModes()) {
        if ((width == 0 || m.width == width) && (height == 0 || m.height == height) &&
            (depth == 0 || m.depth == depth) && (hertz == 0 || m.hertz == hertz))
            return true;
    }
    return false;
}

void Flip(int sync)
{
    RunHooks(FlipHook(), nullptr);
    if (!gDisplay.driver) return;
    if (sync != -1) {
        gDisplay.driver->Flip(sync);
        return;
    }
    if (gDisplay.current != gDisplay.opened || !gDisplay.softSync) {
        gDisplay.driver->Flip(gDisplay.settings.hertz != 0 ? 1 : 0);
        return;
    }
    int delay = NextFrameDelay(gDisplay.frameTimer, gClock.millis());
    if (delay > 0) gClock.sleep(delay);
    gDisplay.driver->Flip(0);
}

void StartFrameTimer(TFrameTimer& timer, int hertz, std::uint32_t now)
{
    timer.hertz = hertz;
    timer.millisPerFrame = hertz > 0 ? 1000 / hertz : 0;
    timer.remainder = hertz > 0 ? 1000 - timer.millisPerFrame * hertz : 0;
    timer.accumulator = 0;
    timer.nextFlip = now;
}

int NextFrameDelay(TFrameTimer& timer, std::uint32_t now)
{
    timer.nextFlip += timer.millisPerFrame;
    timer.accumulator += timer.remainder;
    if (timer.hertz > 0 && timer.accumulator >= timer.hertz) {
        timer.accumulator -= timer.hertz;
        timer.nextFlip += 1;
    }
    int wait = int(timer.nextFlip - now);
    if (wait > 0) return wait;
    // Late: start the schedule again from now rather than rush to catch up
    timer.nextFlip -= wait;
    return 0;
}

void SetDisplayClock(const TDisplayClock& clock) { gClock = clock; }
void ResetDisplayClock() { gClock = TDisplayClock{platform::SystemMillis, platform::SleepMillis}; }

} // namespace engine
