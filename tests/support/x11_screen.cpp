#include "tests/support/x11_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace testsupport {

Rgb ScreenShot::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    std::uint32_t p = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    return {int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
}

bool GrabScreen(ScreenShot& shot)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                              AllPlanes, ZPixmap);
    bool ok = image != nullptr;
    if (ok) {
        shot.width = attributes.width;
        shot.height = attributes.height;
        shot.pixels.resize(std::size_t(shot.width) * std::size_t(shot.height));
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                shot.pixels[std::size_t(y) * std::size_t(shot.width) + std::size_t(x)] =
                    std::uint32_t(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return ok;
}

bool SaveScreenShot(const ScreenShot& shot, const std::string& path)
{
    std::string command = "convert -size " + std::to_string(shot.width) + "x" + std::to_string(shot.height) +
                          " -depth 8 rgb:- '" + path + "'";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) return false;
    for (std::uint32_t p : shot.pixels) {
        unsigned char rgb[3] = {(unsigned char)(p >> 16), (unsigned char)(p >> 8), (unsigned char)p};
        std::fwrite(rgb, 1, 3, pipe);
    }
    return pclose(pipe) == 0;
}

bool WindowOnScreen(const std::string& windowId, WindowGeometry& geometry)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Window window = Window(std::strtoul(windowId.c_str(), nullptr, 0));
    XWindowAttributes attributes;
    Window child;
    bool ok = XGetWindowAttributes(display, window, &attributes) != 0 &&
              XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &geometry.x, &geometry.y,
                                    &child) != 0;
    geometry.width = attributes.width;
    geometry.height = attributes.height;
    XCloseDisplay(display);
    return ok;
}

static bool ManagerRunning()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    bool found = false;
    if (check != None) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success && data) {
            found = count == 1;
            XFree(data);
        }
    }
    XCloseDisplay(display);
    return found;
}

bool StartWindowManager(Child& wm)
{
    if (!Spawn({"/usr/bin/openbox"}, "/", wm)) return false;
    for (int i = 0; i < 200; ++i) {
        if (ManagerRunning()) return true;
        usleep(25000);
    }
    return false;
}

} // namespace testsupport
