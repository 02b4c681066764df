// Graphics drivers and the displays they make.
#pragma once
#include <memory>
#include <vector>

namespace engine {

struct TGraphicsMode {
    int width = 0, height = 0, depth = 0, hertz = 0;
};

class TGraphicsDriver;

// An open display: a window, or the whole screen
class TGraphics {
public:
    virtual ~TGraphics() = default;
    virtual TGraphicsDriver* Driver() = 0;
    virtual void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) = 0;
    virtual void Close() = 0;
};

class TGraphicsDriver {
public:
    virtual ~TGraphicsDriver() = default;
    virtual std::vector<TGraphicsMode> GraphicsModes() = 0;
    // Null when the display cannot be made
    virtual std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) = 0;
    // Makes the graphics current for drawing; null drops the current one
    virtual void SetGraphics(std::shared_ptr<TGraphics> graphics) = 0;
    // sync 0 presents at once, 1 waits for the vertical retrace
    virtual void Flip(int sync) = 0;
};

// Buffer request bits of the display flags
enum : int {
    GRAPHICS_BACKBUFFER = 2, GRAPHICS_ALPHABUFFER = 4, GRAPHICS_DEPTHBUFFER = 8,
    GRAPHICS_STENCILBUFFER = 16, GRAPHICS_ACCUMBUFFER = 32,
};

} // namespace engine
