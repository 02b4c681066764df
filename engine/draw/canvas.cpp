#include "engine/draw/canvas.h"

#include <cmath>

#include "engine/draw/font.h"

namespace engine {

namespace {

TCanvasGraphics* gCurrent = nullptr;
TransformListener gTransformListener = nullptr;

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

void SendTransform(TCanvasGraphics& c)
{
    double r = c.tform_rot * kDegToRad;
    float sn = float(std::sin(r)), cs = float(std::cos(r));
    c.tform_ix = cs * c.tform_scale_x;
    c.tform_iy = -sn * c.tform_scale_y;
    c.tform_jx = sn * c.tform_scale_x;
    c.tform_jy = cs * c.tform_scale_y;
    c._driver->SetTransform(c.tform_ix, c.tform_iy, c.tform_jx, c.tform_jy);
    if (gTransformListener) gTransformListener(c.tform_ix, c.tform_iy, c.tform_jx, c.tform_jy);
}

} // namespace

std::shared_ptr<TCanvasGraphics> TCanvasGraphics::Create(std::shared_ptr<TGraphics> graphics, TCanvasDriver* driver)
{
    auto canvas = std::make_shared<TCanvasGraphics>();
    int depth, hertz, flags;
    graphics->GetSettings(canvas->viewport_w, canvas->viewport_h, depth, hertz, flags);
    canvas->_graphics = std::move(graphics);
    canvas->_driver = driver;
    // Every display starts with the one built-in font, made on the first opening
    canvas->image_font = DefaultImageFont();
    return canvas;
}

void TCanvasGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags)
{
    if (_graphics) _graphics->GetSettings(width, height, depth, hertz, flags);
    else width = height = depth = hertz = flags = 0;
}

void TCanvasGraphics::Close()
{
    if (gCurrent == this) ClearCurrent();
    if (_graphics) _graphics->Close();
}

void TCanvasGraphics::Validate()
{
    _driver->SetBlend(blend_mode);
    _driver->SetColor(color_red, color_green, color_blue);
    _driver->SetAlpha(color_alpha);
    _driver->SetClsColor(clscolor_red, clscolor_green, clscolor_blue);
    _driver->SetLineWidth(line_width);
    SendTransform(*this);
    _driver->SetViewport(viewport_x, viewport_y, viewport_w, viewport_h);
    // Origin, handle and font live in this state alone; the primitives read them
}

void TCanvasGraphics::MakeCurrent()
{
    gCurrent = this;
    Validate();
    if (_setup) return;
    // Both buffers start in the Cls colour
    _driver->Cls();
    _driver->Flip(0);
    _driver->Cls();
    _driver->Flip(0);
    _setup = 1;
}

void TCanvasGraphics::ClearCurrent() { gCurrent = nullptr; }
TCanvasGraphics* TCanvasGraphics::Current() { return gCurrent; }

TCanvasGraphics* CurrentCanvas() { return gCurrent; }
TCanvasDriver* CurrentCanvasDriver() { return gCurrent ? gCurrent->_driver : nullptr; }
void SetTransformListener(TransformListener listener) { gTransformListener = listener; }

void Cls()
{
    if (gCurrent) gCurrent->_driver->Cls();
}

void SetColor(int red, int green, int blue)
{
    if (!gCurrent) return;
    gCurrent->color_red = red;
    gCurrent->color_green = green;
    gCurrent->color_blue = blue;
    gCurrent->_driver->SetColor(red, green, blue);
}

void SetAlpha(float alpha)
{
    if (!gCurrent) return;
    gCurrent->color_alpha = alpha;
    gCurrent->_driver->SetAlpha(alpha);
}

void SetBlend(int mode)
{
    if (!gCurrent) return;
    gCurrent->blend_mode = mode;
    gCurrent->_driver->SetBlend(mode);
}

void SetRotation(float angle)
{
    if (!gCurrent) return;
    gCurrent->tform_rot = angle;
    SendTransform(*gCurrent);
}

void SetScale(float scaleX, float scaleY)
{
    if (!gCurrent) return;
    gCurrent->tform_scale_x = scaleX;
    gCurrent->tform_scale_y = scaleY;
    SendTransform(*gCurrent);
}

void SetHandle(float x, float y)
{
    if (!gCurrent) return;
    gCurrent->handle_x = -x;
    gCurrent->handle_y = -y;
}

void SetOrigin(float x, float y)
{
    if (!gCurrent) return;
    gCurrent->origin_x = x;
    gCurrent->origin_y = y;
}

void SetClsColor(int red, int green, int blue)
{
    if (!gCurrent) return;
    gCurrent->clscolor_red = red;
    gCurrent->clscolor_green = green;
    gCurrent->clscolor_blue = blue;
    gCurrent->_driver->SetClsColor(red, green, blue);
}

void SetViewport(int x, int y, int width, int height)
{
    if (!gCurrent) return;
    gCurrent->viewport_x = x;
    gCurrent->viewport_y = y;
    gCurrent->viewport_w = width;
    gCurrent->viewport_h = height;
    gCurrent->_driver->SetViewport(x, y, width, height);
}

void SetLineWidth(float width)
{
    if (!gCurrent) return;
    gCurrent->line_width = width;
    gCurrent->_driver->SetLineWidth(width);
}

void Plot(float x, float y)
{
    if (gCurrent) gCurrent->_driver->Plot(x + gCurrent->origin_x, y + gCurrent->origin_y);
}

void DrawRect(float x, float y, float width, float height)
{
    if (!gCurrent) return;
    const TCanvasGraphics& c = *gCurrent;
    c._driver->DrawRect(c.handle_x, c.handle_y, c.handle_x + width, c.handle_y + height, x + c.origin_x,
                        y + c.origin_y);
}

void DrawOval(float x, float y, float width, float height)
{
    if (!gCurrent) return;
    const TCanvasGraphics& c = *gCurrent;
    c._driver->DrawOval(c.handle_x, c.handle_y, c.handle_x + width, c.handle_y + height, x + c.origin_x,
                        y + c.origin_y);
}

void DrawLine(float x, float y, float x2, float y2, bool drawLastPixel)
{
    if (!gCurrent) return;
    const TCanvasGraphics& c = *gCurrent;
    float lx = c.handle_x + x2 - x, ly = c.handle_y + y2 - y;
    float tx = x + c.origin_x, ty = y + c.origin_y;
    c._driver->DrawLine(c.handle_x, c.handle_y, lx, ly, tx, ty);
    if (!drawLastPixel) return;
    // The end point, through the same transform as the line
    float px = lx * c.tform_ix + ly * c.tform_iy + tx;
    float py = lx * c.tform_jx + ly * c.tform_jy + ty;
    c._driver->Plot(px, py);
}

void DrawPoly(const std::vector<float>& points, float x, float y)
{
    if (!gCurrent) return;
    const TCanvasGraphics& c = *gCurrent;
    c._driver->DrawPoly(points, c.handle_x, c.handle_y, x + c.origin_x, y + c.origin_y);
}

void DrawPixmap(const TPixmap& pixmap, int x, int y)
{
    if (gCurrent) gCurrent->_driver->DrawPixmap(pixmap, x, y);
}

std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height)
{
    return gCurrent ? gCurrent->_driver->GrabPixmap(x, y, width, height) : nullptr;
}

} // namespace engine
