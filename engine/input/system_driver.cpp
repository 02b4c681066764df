#include "engine/input/system_driver.h"

namespace engine {

static TSystemDriver* gDriver = nullptr;
static bool gPolling = false;

// Clears the flag however the pump is left (a fatal error may throw through it)
struct PollGuard {
    PollGuard() { gPolling = true; }
    ~PollGuard() { gPolling = false; }
};

void SetSystemDriver(TSystemDriver* driver) { gDriver = driver; }
TSystemDriver* SystemDriver() { return gDriver; }

void PollSystem()
{
    // An event handler that asks for input must not re-enter the pump
    if (!gDriver || gPolling) return;
    PollGuard guard;
    gDriver->Poll();
}

void WaitSystem()
{
    if (!gDriver || gPolling) return;
    PollGuard guard;
    gDriver->Wait();
}

void MoveMouse(int x, int y)
{
    if (gDriver) gDriver->MoveMouse(x, y);
}

void SetMouseVisible(int visible)
{
    if (gDriver) gDriver->SetMouseVisible(visible);
}

} // namespace engine
