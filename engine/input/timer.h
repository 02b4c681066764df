// Periodic timers whose ticks arrive as events on the main thread, inside Poll.
#pragma once
#include <memory>

#include "engine/input/event.h"

namespace engine {

class TTimer : public std::enable_shared_from_this<TTimer> {
public:
    // At most 16 run at once; a 17th gives null
    static std::shared_ptr<TTimer> Create(int hertz, std::shared_ptr<TEvent> event = nullptr);
    ~TTimer();

    int Ticks() const { return _ticks; }
    void Stop();
    // One tick: count it and emit the timer's event, or a "TimerTick" event
    void Fire();
    // Blocks until a tick arrives; returns the ticks since the previous Wait
    int Wait();

    int _ticks = 0;
    int _wticks = 0;
    std::shared_ptr<TTimer> _cycle;   // keeps a running timer alive
    std::shared_ptr<TEvent> _event;
    int _handle = 0;
    int _serial = 0;
};

// Called by the platform's Poll for each tick message; ticks of a stopped
// or unknown timer are ignored
void DeliverTimerTick(int serial);

} // namespace engine
