// The 2D drawing state of the open display and the back-end interface it
// draws through. Everything the game puts on screen goes through here.
#pragma once
#include <memory>
#include <vector>

#include "engine/display/graphics.h"
#include "engine/draw/pixmap.h"

namespace engine {

class TImageFont;

enum : int { BLEND_MASK = 1, BLEND_SOLID = 2, BLEND_ALPHA = 3, BLEND_LIGHT = 4, BLEND_SHADE = 5 };

// One uploaded frame of an image
class TImageFrame {
public:
    virtual ~TImageFrame() = default;
    // The frame stretched over the local rectangle, translated by (tx, ty),
    // through the current transform
    virtual void Draw(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
};

// A 2D back-end. Primitives take local coordinates and a translation; a
// local point (x, y) lands at (x·ix + y·iy + tx, x·jx + y·jy + ty).
class TCanvasDriver : public TGraphicsDriver {
public:
    virtual std::shared_ptr<TImageFrame> CreateFrameFromPixmap(std::shared_ptr<TPixmap> pixmap, int flags) = 0;
    virtual void SetBlend(int mode) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void SetColor(int red, int green, int blue) = 0;
    virtual void SetClsColor(int red, int green, int blue) = 0;
    virtual void SetViewport(int x, int y, int width, int height) = 0;
    virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
    virtual void SetLineWidth(float width) = 0;
    virtual void Cls() = 0;
    virtual void Plot(float x, float y) = 0;
    virtual void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
    virtual void DrawPoly(const std::vector<float>& points, float hx, float hy, float tx, float ty) = 0;
    virtual void DrawPixmap(const TPixmap& pixmap, int x, int y) = 0;
    // An RGBA pixmap of the back buffer, right way up
    virtual std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) = 0;
};

// The drawing state of one open display
class TCanvasGraphics final : public TGraphics {
public:
    int color_red = 255, color_green = 255, color_blue = 255;
    float color_alpha = 1.0f;
    int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
    float line_width = 1.0f;
    float tform_rot = 0.0f;
    float tform_scale_x = 1.0f, tform_scale_y = 1.0f;
    float tform_ix = 1.0f, tform_iy = 0.0f, tform_jx = 0.0f, tform_jy = 1.0f;
    int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0.0f, origin_y = 0.0f;
    float handle_x = 0.0f, handle_y = 0.0f;   // stored negated
    std::shared_ptr<TImageFont> image_font;   // the built-in font until one is set
    int blend_mode = BLEND_MASK;
    std::shared_ptr<TGraphics> _graphics;
    TCanvasDriver* _driver = nullptr;
    int _setup = 0;

    static std::shared_ptr<TCanvasGraphics> Create(std::shared_ptr<TGraphics> graphics, TCanvasDriver* driver);

    TGraphicsDriver* Driver() override { return _driver; }
    void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
    void Close() override;

    // Sends the whole state to the driver
    void Validate();
    // Becomes the state the global operations act on; on first use both
    // buffers are cleared to the Cls colour
    void MakeCurrent();
    static void ClearCurrent();
    static TCanvasGraphics* Current();
};

//---- Global operations on the current drawing state

void Cls();
void SetColor(int red, int green, int blue);
void SetAlpha(float alpha);
void SetBlend(int mode);
void SetRotation(float angle);
void SetScale(float scaleX, float scaleY);
void SetHandle(float x, float y);
void SetOrigin(float x, float y);
void SetClsColor(int red, int green, int blue);
void SetViewport(int x, int y, int width, int height);
void SetLineWidth(float width);

void Plot(float x, float y);
void DrawRect(float x, float y, float width, float height);
void DrawOval(float x, float y, float width, float height);
void DrawLine(float x, float y, float x2, float y2, bool drawLastPixel = true);
// Pairs of x, y relative to the position
void DrawPoly(const std::vector<float>& points, float x = 0, float y = 0);
void DrawPixmap(const TPixmap& pixmap, int x, int y);
std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height);

// The current state and its driver; null while no display is open
TCanvasGraphics* CurrentCanvas();
TCanvasDriver* CurrentCanvasDriver();

// Told of every new transform (the collision layers keep a copy)
using TransformListener = void (*)(float ix, float iy, float jx, float jy);
void SetTransformListener(TransformListener listener);

} // namespace engine
