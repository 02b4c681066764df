// The few things SDL does not tell about an X11 window: its real size, and
// whether a window manager is there to honour a full-screen request. Other
// video back-ends answer "don't know", and the callers keep SDL's word.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "engine/platform/sdl_internal.h"

namespace engine::platform {

static bool X11Handles(SDL_Window* window, Display*& display, ::Window& xwindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    display = info.info.x11.display;
    xwindow = info.info.x11.window;
    return display != nullptr;
}

bool NativeWindowSize(SDL_Window* window, int& width, int& height)
{
    Display* display;
    ::Window xwindow;
    if (!X11Handles(window, display, xwindow)) return false;
    XSync(display, False);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, xwindow, &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

// A window manager that follows the desktop conventions names its check
// window on the root, and the check window names itself
static ::Window CheckWindow(Display* display, ::Window of, Atom check)
{
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    ::Window found = 0;
    if (XGetWindowProperty(display, of, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
            Success && data) {
        if (count == 1 && format == 32) found = *reinterpret_cast<::Window*>(data);
        XFree(data);
    }
    return found;
}

bool WindowManagerRunning(SDL_Window* window)
{
    Display* display;
    ::Window xwindow;
    // Not X11: the desktop's compositor always manages the window
    if (!X11Handles(window, display, xwindow)) return true;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    ::Window manager = CheckWindow(display, DefaultRootWindow(display), check);
    return manager != 0 && CheckWindow(display, manager, check) == manager;
}

void CoverScreen(SDL_Window* window, const SDL_Rect& bounds)
{
    Display* display;
    ::Window xwindow;
    if (!X11Handles(window, display, xwindow)) return;
    XMoveResizeWindow(display, xwindow, bounds.x, bounds.y, unsigned(bounds.w), unsigned(bounds.h));
    XRaiseWindow(display, xwindow);
    XSync(display, False);
}

bool ConfiguredSize(const SDL_SysWMmsg* message, SDL_Window* window, int& width, int& height)
{
    if (!message || message->subsystem != SDL_SYSWM_X11) return false;
    const XEvent& event = message->msg.x11.event;
    if (event.type != ConfigureNotify) return false;
    Display* display;
    ::Window xwindow;
    if (!X11Handles(window, display, xwindow) || event.xconfigure.window != xwindow) return false;
    width = event.xconfigure.width;
    height = event.xconfigure.height;
    return true;
}

} // namespace engine::platform
