#include "engine/draw/sdl/sdl_canvas_driver.h"

#include <algorithm>
#include <cmath>

#include "engine/display/display.h"
#include "engine/display/sdl_graphics_driver.h"

namespace engine {

using platform::Vertex2D;

namespace {

int Clamp255(int value) { return std::clamp(value, 0, 255); }

// NaN and values below 0 give 0, values above 1 give 1
float ClampAlpha(float alpha)
{
    if (!(alpha > 0.0f)) return 0.0f;
    return alpha > 1.0f ? 1.0f : alpha;
}

// The mask test passes a fragment whose alpha is at least 0.5: a vertex
// alpha byte of 128 or more
constexpr int kMaskPassByte = 128;

} // namespace

std::vector<TGraphicsMode> TSDLCanvasDriver::GraphicsModes() { return SDLGraphicsDriver().GraphicsModes(); }

std::shared_ptr<TGraphics> TSDLCanvasDriver::CreateGraphics(int width, int height, int depth, int hertz,
                                                           int flags)
{
    std::shared_ptr<TGraphics> window = SDLGraphicsDriver().CreateGraphics(width, height, depth, hertz, flags);
    if (!window) return nullptr;
    return TCanvasGraphics::Create(window, this);
}

void TSDLCanvasDriver::SetGraphics(std::shared_ptr<TGraphics> graphics)
{
    auto canvas = std::dynamic_pointer_cast<TCanvasGraphics>(graphics);
    auto* window = canvas ? dynamic_cast<TSDLGraphics*>(canvas->_graphics.get()) : nullptr;
    if (!canvas || !window) {
        SDLGraphicsDriver().SetGraphics(nullptr);
        TCanvasGraphics::ClearCurrent();
        current_.reset();
        window_ = nullptr;
        return;
    }
    current_ = canvas;
    SDLGraphicsDriver().SetGraphics(canvas->_graphics);
    window_ = window->Window();
    int depth, hertz, flags;
    current_->GetSettings(width_, height_, depth, hertz, flags);
    view_ = window->View();
    // A new renderer remembers nothing set on the last one
    blend_ = 0;
    clipping_ = clippedAway_ = false;
    platform::SetClip2D(window_, nullptr);
    canvas->MakeCurrent();
}

void TSDLCanvasDriver::Flip(int sync)
{
    SDLGraphicsDriver().Flip(sync);
    FollowView();
}

// The view follows the window: a full-screen window may change size after
// it opens, and the clip must follow the picture
void TSDLCanvasDriver::FollowView()
{
    if (!window_) return;
    platform::ViewRect view = platform::WindowView(window_);
    if (view.x == view_.x && view.y == view_.y && view.w == view_.w && view.h == view_.h) return;
    view_ = view;
    if (current_) SetViewport(current_->viewport_x, current_->viewport_y, current_->viewport_w, current_->viewport_h);
}

Vertex2D TSDLCanvasDriver::PicturePoint(float x, float y) const
{
    float sx = width_ ? float(view_.w) / float(width_) : 1.0f;
    float sy = height_ ? float(view_.h) / float(height_) : 1.0f;
    return Vertex2D{view_.x + x * sx, view_.y + y * sy, std::uint8_t(red_), std::uint8_t(green_), std::uint8_t(blue_), std::uint8_t(alpha_), 0, 0};
}

Vertex2D TSDLCanvasDriver::Vertex(float x, float y, float tx, float ty, float u, float v) const
{
    Vertex2D p = PicturePoint(x * ix_ + y * iy_ + tx, x * jx_ + y * jy_ + ty);
    p.u = u;
    p.v = v;
    return p;
}

// A box of the picture in the window's drawable, top-down
void TSDLCanvasDriver::MapBox(int x, int y, int w, int h, int box[4]) const
{
    double sx = width_ ? double(view_.w) / width_ : 1.0, sy = height_ ? double(view_.h) / height_ : 1.0;
    box[0] = view_.x + int(std::lround(x * sx));
    box[1] = view_.y + int(std::lround(y * sy));
    box[2] = int(std::lround(w * sx));
    box[3] = int(std::lround(h * sy));
}

int TSDLCanvasDriver::RendererBlend(int mode)
{
    switch (mode) {
    case BLEND_ALPHA: return platform::BLEND2D_ALPHA;
    case BLEND_LIGHT: return platform::BLEND2D_ADD;
    case BLEND_SHADE: return platform::BLEND2D_MULTIPLY;
    default: return platform::BLEND2D_NONE;   // mask (after its test), solid and anything unknown
    }
}

void TSDLCanvasDriver::DrawQuad(platform::TTexture2D* texture, int blend, const Vertex2D quad[4])
{
    static const int kQuad[6] = {0, 1, 2, 0, 2, 3};
    if (!CanDraw()) return;
    platform::DrawTriangles2D(window_, texture, blend, quad, 4, kQuad, 6);
}

void TSDLCanvasDriver::DrawUntextured(const Vertex2D* vertices, int count, const int* indices, int indexCount)
{
    if (!CanDraw()) return;
    // Blending off with the alpha test: the colour goes in whole or not at all
    if (blend_ == BLEND_MASK && alpha_ < kMaskPassByte) return;
    platform::DrawTriangles2D(window_, nullptr, RendererBlend(blend_), vertices, count, indices, indexCount);
}

// A convex polygon as a fan of triangles about its first point
void TSDLCanvasDriver::DrawPolygon(const std::vector<Vertex2D>& points)
{
    if (points.size() < 3) return;
    std::vector<int> indices;
    indices.reserve((points.size() - 2) * 3);
    for (int i = 1; i + 1 < int(points.size()); ++i) indices.insert(indices.end(), {0, i, i + 1});
    DrawUntextured(points.data(), int(points.size()), indices.data(), int(indices.size()));
}

// The mode only takes effect per draw: the renderer holds one blend per
// texture, so it is given with every batch of triangles
void TSDLCanvasDriver::SetBlend(int mode)
{
    if (mode == blend_) return;
    blend_ = mode;
}

void TSDLCanvasDriver::SetAlpha(float alpha) { alpha_ = int(ClampAlpha(alpha) * 255.0f); }

void TSDLCanvasDriver::SetColor(int red, int green, int blue)
{
    red_ = Clamp255(red), green_ = Clamp255(green), blue_ = Clamp255(blue);
}

void TSDLCanvasDriver::SetClsColor(int red, int green, int blue)
{
    clsRed_ = Clamp255(red), clsGreen_ = Clamp255(green), clsBlue_ = Clamp255(blue);
}

void TSDLCanvasDriver::SetViewport(int x, int y, int width, int height)
{
    if (x == 0 && y == 0 && width == width_ && height == height_) {
        clipping_ = clippedAway_ = false;
        platform::SetClip2D(window_, nullptr);
        return;
    }
    MapBox(x, y, width, height, clip_);
    clipping_ = true;
    // The renderer reads an empty box as no clipping at all
    clippedAway_ = clip_[2] <= 0 || clip_[3] <= 0;
    if (!clippedAway_) platform::SetClip2D(window_, clip_);
}

void TSDLCanvasDriver::SetTransform(float ix, float iy, float jx, float jy)
{
    ix_ = ix, iy_ = iy, jx_ = jx, jy_ = jy;
}

void TSDLCanvasDriver::SetLineWidth(float width) { lineWidth_ = width; }

// The renderer's clear ignores the clip, so a clipped Cls fills the box
void TSDLCanvasDriver::Cls()
{
    FollowView();
    if (!clipping_) {
        platform::Clear2D(window_, clsRed_, clsGreen_, clsBlue_);
        return;
    }
    float x0 = float(clip_[0]), y0 = float(clip_[1]), x1 = x0 + clip_[2], y1 = y0 + clip_[3];
    auto corner = [this](float x, float y) {
        return Vertex2D{x, y, std::uint8_t(clsRed_), std::uint8_t(clsGreen_), std::uint8_t(clsBlue_), 255, 0, 0};
    };
    const Vertex2D quad[4] = {corner(x0, y0), corner(x1, y0), corner(x1, y1), corner(x0, y1)};
    DrawQuad(nullptr, platform::BLEND2D_NONE, quad);
}

// The pixel a one-pixel point at (x + 0.5, y + 0.5) falls in, as a square
void TSDLCanvasDriver::Plot(float x, float y)
{
    float px = std::floor(x + 0.5f), py = std::floor(y + 0.5f);
    const Vertex2D quad[4] = {PicturePoint(px, py), PicturePoint(px + 1, py), PicturePoint(px + 1, py + 1),
                              PicturePoint(px, py + 1)};
    static const int kQuad[6] = {0, 1, 2, 0, 2, 3};
    DrawUntextured(quad, 4, kQuad, 6);
}

// A line is a quad of the line width about the segment between the mapped
// end points, each moved by half a pixel; it covers the pixels a one-pixel
// line does along its major direction
void TSDLCanvasDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty)
{
    float ax = x0 * ix_ + y0 * iy_ + tx + 0.5f, ay = x0 * jx_ + y0 * jy_ + ty + 0.5f;
    float bx = x1 * ix_ + y1 * iy_ + tx + 0.5f, by = x1 * jx_ + y1 * jy_ + ty + 0.5f;
    float dx = bx - ax, dy = by - ay;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0.0f) return;
    float half = std::max(lineWidth_, 1.0f) * 0.5f;
    float nx = -dy / length * half, ny = dx / length * half;
    const Vertex2D quad[4] = {PicturePoint(ax + nx, ay + ny), PicturePoint(bx + nx, by + ny),
                              PicturePoint(bx - nx, by - ny), PicturePoint(ax - nx, ay - ny)};
    static const int kQuad[6] = {0, 1, 2, 0, 2, 3};
    DrawUntextured(quad, 4, kQuad, 6);
}

void TSDLCanvasDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty)
{
    const Vertex2D quad[4] = {Vertex(x0, y0, tx, ty), Vertex(x1, y0, tx, ty), Vertex(x1, y1, tx, ty),
                              Vertex(x0, y1, tx, ty)};
    static const int kQuad[6] = {0, 1, 2, 0, 2, 3};
    DrawUntextured(quad, 4, kQuad, 6);
}

void TSDLCanvasDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty)
{
    float xr = (x1 - x0) * 0.5f, yr = (y1 - y0) * 0.5f;
    float cx = x0 + xr, cy = y0 + yr;
    int segments = std::max(int(std::fabs(xr) + std::fabs(yr)), 12) & ~3;
    std::vector<Vertex2D> points;
    points.reserve(segments);
    for (int i = 0; i < segments; ++i) {
        double a = i * 2.0 * 3.14159265358979323846 / segments;
        points.push_back(Vertex(cx + xr * float(std::cos(a)), cy - yr * float(std::sin(a)), tx, ty));
    }
    DrawPolygon(points);
}

void TSDLCanvasDriver::DrawPoly(const std::vector<float>& points, float hx, float hy, float tx, float ty)
{
    if (points.size() < 6 || points.size() % 2 != 0) return;
    std::vector<Vertex2D> mapped;
    mapped.reserve(points.size() / 2);
    for (std::size_t i = 0; i < points.size(); i += 2) mapped.push_back(Vertex(points[i] + hx, points[i + 1] + hy, tx, ty));
    DrawPolygon(mapped);
}

// Copied, not blended, not tinted and not transformed: the pixels land as
// they are at (x, y), through a texture made for the one copy
void TSDLCanvasDriver::DrawPixmap(const TPixmap& pixmap, int x, int y)
{
    if (!window_ || pixmap.width <= 0 || pixmap.height <= 0) return;
    std::shared_ptr<TPixmap> rgba = pixmap.format == PF_RGBA8888 ? nullptr : pixmap.Convert(PF_RGBA8888);
    const TPixmap& p = rgba ? *rgba : pixmap;
    std::string error;
    platform::TTexture2D* texture =
        platform::CreateTexture2D(window_, p.width, p.height, platform::SCALE2D_NEAREST, error);
    if (!texture) return;
    platform::UpdateTexture2D(texture, p.pixels, p.pitch);
    float x0 = float(x), y0 = float(y), x1 = x0 + p.width, y1 = y0 + p.height;
    auto corner = [this](float px, float py, float u, float v) {
        Vertex2D c = PicturePoint(px, py);
        c.r = c.g = c.b = c.a = 255;
        c.u = u, c.v = v;
        return c;
    };
    const Vertex2D quad[4] = {corner(x0, y0, 0, 0), corner(x1, y0, 1, 0), corner(x1, y1, 1, 1), corner(x0, y1, 0, 1)};
    DrawQuad(texture, platform::BLEND2D_NONE, quad);
    platform::DestroyTexture2D(texture);
}

std::shared_ptr<TPixmap> TSDLCanvasDriver::GrabPixmap(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0 || !window_) return nullptr;
    FollowView();
    int box[4];
    MapBox(x, y, width, height, box);
    auto grabbed = TPixmap::Create(std::max(1, box[2]), std::max(1, box[3]), PF_RGBA8888);
    platform::ReadPixels2D(window_, box[0], box[1], grabbed->width, grabbed->height, grabbed->pixels, grabbed->pitch);
    if (grabbed->width == width && grabbed->height == height) return grabbed;
    return ResizePixmap(*grabbed, width, height);
}

TSDLCanvasDriver* SDLCanvasDriver()
{
    static TSDLCanvasDriver driver;
    return &driver;
}

} // namespace engine
