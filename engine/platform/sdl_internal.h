// Shared between the platform layer's own files; the only place SDL is seen.
#pragma once
#include <SDL.h>

#include "engine/input/system_driver.h"

namespace engine::platform {

// The window layer's part of the message pump: focus changes of a
// full-screen window, the screen saver block
void HandleWindowEvent(const SDL_WindowEvent& event);
// A message of the window system (SDL passes them on): the real size of a
// window once a window manager or the game itself has resized it
void HandleSystemMessage(const SDL_SysWMmsg* message);

// What SDL does not tell about an X11 window (x11_window.cpp). Elsewhere the
// size is unknown (false) and a window manager is taken to be there.
bool NativeWindowSize(SDL_Window* window, int& width, int& height);
bool WindowManagerRunning(SDL_Window* window);
// Places the window over the bounds itself, for screens without a manager
void CoverScreen(SDL_Window* window, const SDL_Rect& bounds);
// The new size when the message says the window was resized
bool ConfiguredSize(const SDL_SysWMmsg* message, SDL_Window* window, int& width, int& height);

// Window coordinates to picture coordinates (undoes the letterbox)
void MapMouseToPicture(Uint32 windowId, int& x, int& y);
bool IsFullscreenWindow(Uint32 windowId);

// The SDL system driver (event pump, timers, pointer)
TSystemDriver& SdlSystemDriver();

} // namespace engine::platform

namespace engine::platform {
// Picture coordinates to window coordinates, for warping the pointer
void MapPictureToWindow(SDL_Window*& window, int& x, int& y);
} // namespace engine::platform

namespace engine::platform {
// Turns one SDL event into the engine's events and emits them (keys, text,
// buttons, motion, wheel, focus, close request)
void TranslateEvent(const SDL_Event& event);
} // namespace engine::platform

namespace engine::platform {
struct TWindow;
// The 2D renderer of a window opened by OpenRendererWindow, else null
SDL_Renderer* RendererOf(const TWindow* window);
// Marks the window's textures as gone: its renderer frees them as it closes
void ForgetTexturesOf(const TWindow* window);
} // namespace engine::platform
