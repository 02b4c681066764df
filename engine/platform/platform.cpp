#include "engine/platform/platform.h"

#include <cstdlib>
#include <dlfcn.h>

#include "engine/platform/sdl_internal.h"
#include "engine/runtime/error.h"

namespace engine::platform {

static bool gStarted = false;
static std::string gTitle;

bool Startup(std::string& error)
{
    if (gStarted) return true;
    // The window's close button must not end the program, and neither
    // should SDL turn SIGINT or SIGTERM into a close request the game ignores
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Only the desktop's own video services: without them the game must
    // stop with a clear line, not open an invisible off-screen display
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
        error = SDL_GetError();
        return false;
    }
    gStarted = true;
    // A full-screen window's real size comes only in the window system's own
    // messages when SDL already believed the size it asked for
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
#ifdef __SANITIZE_ADDRESS__
    // SDL unloads the desktop bus library when it quits, which leaves the
    // leak checker unable to name (and so to pass over) that library's own
    // never-freed buffers; one more reference keeps it loaded until exit
    dlopen("libdbus-1.so.3", RTLD_NOW | RTLD_NOLOAD);
#endif
    SetSystemDriver(&SdlSystemDriver());
    SetFatalPresenter(ShowErrorBox);
    return true;
}

void Shutdown()
{
    if (!gStarted) return;
    SetSystemDriver(nullptr);
    SetFatalPresenter(nullptr);
    SDL_Quit();
    gStarted = false;
}

bool Started() { return gStarted; }

void SetAppTitle(const std::string& title) { gTitle = title; }
const std::string& AppTitle() { return gTitle; }

} // namespace engine::platform
