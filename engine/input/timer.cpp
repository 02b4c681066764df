#include "engine/input/timer.h"

#include <map>

#include "engine/input/system_driver.h"

namespace engine {

namespace {

constexpr int kMaxTimers = 16;

// Running timers by serial. A serial is never reused, so a tick posted
// before its timer stopped cannot reach a newer timer.
std::map<int, TTimer*>& Running()
{
    static std::map<int, TTimer*> running;
    return running;
}
int gNextSerial = 1;

} // namespace

std::shared_ptr<TTimer> TTimer::Create(int hertz, std::shared_ptr<TEvent> event)
{
    TSystemDriver* driver = SystemDriver();
    if (!driver || hertz <= 0 || int(Running().size()) >= kMaxTimers) return nullptr;
    auto timer = std::make_shared<TTimer>();
    timer->_serial = gNextSerial++;
    timer->_handle = driver->StartTimer(1000 / hertz, timer->_serial);
    if (timer->_handle == 0) return nullptr;
    timer->_event = std::move(event);
    timer->_cycle = timer;
    Running()[timer->_serial] = timer.get();
    return timer;
}

TTimer::~TTimer() { Stop(); }

void TTimer::Stop()
{
    if (_handle == 0) return;
    if (TSystemDriver* driver = SystemDriver()) driver->StopTimer(_handle);
    Running().erase(_serial);
    _handle = 0;
    _event.reset();
    // Last, since this may be the final reference to the timer
    std::shared_ptr<TTimer> self = std::move(_cycle);
}

void TTimer::Fire()
{
    ++_ticks;
    if (_event) {
        _event->Emit();
        return;
    }
    TEvent tick = TEvent::Create(EVENT_TIMERTICK, this, _ticks);
    tick.Emit();
}

int TTimer::Wait()
{
    while (_ticks == _wticks && _handle != 0) WaitSystem();
    int passed = _ticks - _wticks;
    _wticks = _ticks;
    return passed;
}

void DeliverTimerTick(int serial)
{
    auto it = Running().find(serial);
    if (it != Running().end()) it->second->Fire();
}

} // namespace engine
