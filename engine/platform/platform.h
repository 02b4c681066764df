// The platform layer: window, OpenGL context, clock and the system driver.
// Nothing above engine/platform sees SDL.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace engine::platform {

//---- Start-up

// Starts the video and timer services and makes the SDL system driver the
// engine's system driver. False with a reason when no display can be reached.
bool Startup(std::string& error);
void Shutdown();
bool Started();

// The application title, which every window shows
void SetAppTitle(const std::string& title);
const std::string& AppTitle();

//---- Windows with an OpenGL context

struct WindowRequest {
    int width = 0, height = 0;
    int depth = 0;    // 0 = a window, else a full-screen mode of that depth
    int hertz = 0;
    int flags = 0;    // 2 back buffer, 4 alpha, 8 depth, 16 stencil, 32 accumulation
};

// Where the width x height picture lies in the window's drawable: the whole
// of it, except on a desktop full-screen window that letterboxes the picture
struct ViewRect {
    int x = 0, y = 0, w = 0, h = 0;
    int drawableWidth = 0, drawableHeight = 0;
};

struct TWindow;

// Opens the window shown at once with its context current. Null with a
// reason when it cannot be made. A full-screen mode that even the desktop
// fallback cannot show throws "GLGraphicsDriver failed to set display mode".
TWindow* OpenGLWindow(const WindowRequest& request, std::string& error);
void CloseWindow(TWindow* window);
void MakeContextCurrent(TWindow* window);
void SwapBuffers(TWindow* window);
// False when the platform offers no swap-interval control
bool SetSwapInterval(TWindow* window, int interval);
ViewRect WindowView(const TWindow* window);
// How the full-screen request was met: 2 the mode at the asked rate,
// 1 the mode at another rate, 0 the desktop fallback (or a window)
int FullscreenMatch(const TWindow* window);
// The window that input events are currently coming from, or null
TWindow* ActiveWindow();

struct DisplayMode {
    int width, height, depth, hertz;
};
std::vector<DisplayMode> DisplayModes();

//---- Clock

// Milliseconds of a monotonic clock, wrapping at 2^32
std::uint32_t SystemMillis();
// A negative or zero value returns at once
void SleepMillis(int millis);
// Local date "%d %b %Y" and time "%H:%M:%S"
std::string DateString();
std::string TimeString();

//---- Errors

// A message box over the display when one is open; nothing otherwise
void ShowErrorBox(const std::string& message);

} // namespace engine::platform
