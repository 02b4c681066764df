#include "tests/support/x11_close.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace testsupport {

bool SendCloseRequest(const std::string& windowId)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Window window = Window(std::strtoul(windowId.c_str(), nullptr, 0));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent != 0;
}

} // namespace testsupport
