// Windows drawn by the platform's own 2D renderer instead of an OpenGL
// context: the few calls the second drawing back-end needs, in plain types.
// Coordinates are pixels of the window's drawable, y downward.
#pragma once
#include <cstdint>
#include <string>

#include "engine/platform/platform.h"

namespace engine::platform {

//---- The window

// Opens the window (same client size, position and full-screen rules as
// OpenGLWindow) with a 2D renderer on it. Null with a reason when it cannot
// be made; the full-screen failure throws as OpenGLWindow does.
// CloseWindow closes it, and WindowView and FullscreenMatch work on it.
TWindow* OpenRendererWindow(const WindowRequest& request, std::string& error);
// What draws for it ("opengl", "software", ...); empty for a GL window
std::string RendererName(const TWindow* window);
// The largest texture side the renderer takes (0 when it sets no limit)
int MaxTextureSize(const TWindow* window);

//---- Textures (RGBA bytes, R first in memory)

struct TTexture2D;

enum : int { SCALE2D_NEAREST = 0, SCALE2D_LINEAR = 1, SCALE2D_BEST = 2 };

// Null with the renderer's reason when it cannot be made
TTexture2D* CreateTexture2D(TWindow* window, int width, int height, int scaleMode, std::string& error);
void UpdateTexture2D(TTexture2D* texture, const void* pixels, int pitch);
// Safe after its window has closed (the window took the pixels with it)
void DestroyTexture2D(TTexture2D* texture);

//---- Drawing

enum : int {
    BLEND2D_NONE = 0,      // the source replaces the destination
    BLEND2D_ALPHA = 1,     // source·a + destination·(1 - a)
    BLEND2D_ADD = 2,       // source·a + destination
    BLEND2D_MULTIPLY = 3,  // source·destination
};

struct Vertex2D {
    float x, y;
    std::uint8_t r, g, b, a;
    float u, v;   // 0..1 over the texture; ignored without one
};

// Triangles given by indices into the vertices, the colour multiplying the
// texture when there is one
void DrawTriangles2D(TWindow* window, TTexture2D* texture, int blend, const Vertex2D* vertices, int vertexCount,
                     const int* indices, int indexCount);
// Drawing is clipped to the box; a null box turns clipping off
void SetClip2D(TWindow* window, const int* box);
// The whole drawable, whatever the clip
void Clear2D(TWindow* window, int red, int green, int blue);
// RGBA rows top-down; false when the renderer cannot read back
bool ReadPixels2D(TWindow* window, int x, int y, int width, int height, void* pixels, int pitch);
void Present2D(TWindow* window);
// False when the renderer cannot change it
bool SetVSync2D(TWindow* window, int interval);

} // namespace engine::platform
