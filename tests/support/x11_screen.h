// What a player sees on the X screen, and a window manager for the tests
// that must run under one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace testsupport {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct ScreenShot {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;   // 0xRRGGBB, rows top down
    Rgb At(int x, int y) const;
};

// The whole root window of $DISPLAY; false when it cannot be read
bool GrabScreen(ScreenShot& shot);
// Writes it as a PNG (through ImageMagick) for a person to look at
bool SaveScreenShot(const ScreenShot& shot, const std::string& path);

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};
// Where a window (an id as xdotool prints it) lies on the screen
bool WindowOnScreen(const std::string& windowId, WindowGeometry& geometry);

// Starts openbox on $DISPLAY and waits until it manages the screen
bool StartWindowManager(Child& wm);

} // namespace testsupport
