// The system driver: how the input layer reaches the platform's message pump.
#pragma once

namespace engine {

class TSystemDriver {
public:
    virtual ~TSystemDriver() = default;
    // Takes every pending platform message and emits the events they make
    virtual void Poll() = 0;
    // Blocks until a message is pending, then polls
    virtual void Wait() = 0;
    virtual void MoveMouse(int x, int y) = 0;
    virtual void SetMouseVisible(int visible) = 0;
    // Periodic platform timer on a thread of its own; each expiry must only
    // post a message that a later Poll turns into DeliverTimerTick(serial).
    // Returns a handle, or 0 when no timer could be made.
    virtual int StartTimer(int periodMillis, int serial) = 0;
    virtual void StopTimer(int handle) = 0;
};

// Null until the platform layer starts: polling then does nothing, which is
// what unit tests that emit their own events want
void SetSystemDriver(TSystemDriver* driver);
TSystemDriver* SystemDriver();

// Guarded against re-entry: a poll asked for while one runs does nothing
void PollSystem();
void WaitSystem();
void MoveMouse(int x, int y);
void SetMouseVisible(int visible);

} // namespace engine
