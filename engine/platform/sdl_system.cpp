// The system driver over SDL: the message pump, periodic timers and the pointer.
#include "engine/input/timer.h"
#include "engine/platform/platform.h"
#include "engine/platform/sdl_internal.h"

namespace engine::platform {

namespace {

Uint32 gTimerEventType = 0;

// Runs on SDL's timer thread: it may only post, never touch game state
Uint32 PostTick(Uint32 interval, void* param)
{
    SDL_Event event{};
    event.type = gTimerEventType;
    event.user.code = int(reinterpret_cast<intptr_t>(param));
    SDL_PushEvent(&event);
    return interval;
}

void Dispatch(const SDL_Event& event)
{
    if (gTimerEventType != 0 && event.type == gTimerEventType) {
        DeliverTimerTick(event.user.code);
        return;
    }
    if (event.type == SDL_SYSWMEVENT) {
        HandleSystemMessage(event.syswm.msg);
        return;
    }
    if (event.type == SDL_WINDOWEVENT) HandleWindowEvent(event.window);
    TranslateEvent(event);
}

class TSdlSystemDriver final : public TSystemDriver {
public:
    void Poll() override
    {
        SDL_Event event;
        while (SDL_PollEvent(&event)) Dispatch(event);
    }

    void Wait() override
    {
        SDL_Event event;
        if (SDL_WaitEvent(&event)) Dispatch(event);
        Poll();
    }

    void MoveMouse(int x, int y) override
    {
        SDL_Window* window = nullptr;
        MapPictureToWindow(window, x, y);
        if (window) SDL_WarpMouseInWindow(window, x, y);
    }

    void SetMouseVisible(int visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    int StartTimer(int periodMillis, int serial) override
    {
        if (gTimerEventType == 0) gTimerEventType = SDL_RegisterEvents(1);
        if (gTimerEventType == Uint32(-1)) return 0;
        SDL_TimerID id = SDL_AddTimer(Uint32(periodMillis > 0 ? periodMillis : 1), PostTick,
                                      reinterpret_cast<void*>(intptr_t(serial)));
        return int(id);
    }

    void StopTimer(int handle) override
    {
        if (handle != 0) SDL_RemoveTimer(SDL_TimerID(handle));
    }
};

} // namespace

TSystemDriver& SdlSystemDriver()
{
    static TSdlSystemDriver driver;
    return driver;
}

} // namespace engine::platform
