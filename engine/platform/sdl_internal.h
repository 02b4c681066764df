// Shared between the platform layer's own files; the only place SDL is seen.
#pragma once
#include <SDL.h>

#include "engine/input/system_driver.h"

namespace engine::platform {

// The window layer's part of the message pump: focus changes of a
// full-screen window, the screen saver block
void HandleWindowEvent(const SDL_WindowEvent& event);
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
