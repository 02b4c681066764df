// SDL events to engine events. Only the close request is wired so far.
#include "engine/input/event.h"
#include "engine/platform/sdl_internal.h"

namespace engine::platform {

void TranslateEvent(const SDL_Event& event)
{
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        TEvent e = TEvent::Create(EVENT_APPTERMINATE);
        e.Emit();
    }
}

} // namespace engine::platform
