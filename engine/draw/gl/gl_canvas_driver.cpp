#include "engine/draw/gl/gl_canvas_driver.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "engine/display/display.h"
#include "engine/display/gl_graphics_driver.h"

namespace engine {

namespace {

int Clamp255(int value) { return std::clamp(value, 0, 255); }

// NaN and values below 0 give 0, values above 1 give 1
float ClampAlpha(float alpha)
{
    if (!(alpha > 0.0f)) return 0.0f;
    return alpha > 1.0f ? 1.0f : alpha;
}

} // namespace

std::vector<TGraphicsMode> TGLCanvasDriver::GraphicsModes() { return GLGraphicsDriver().GraphicsModes(); }

std::shared_ptr<TGraphics> TGLCanvasDriver::CreateGraphics(int width, int height, int depth, int hertz, int flags)
{
    std::shared_ptr<TGraphics> window = GLGraphicsDriver().CreateGraphics(width, height, depth, hertz, flags);
    if (!window) return nullptr;
    return TCanvasGraphics::Create(window, this);
}

void TGLCanvasDriver::SetGraphics(std::shared_ptr<TGraphics> graphics)
{
    auto canvas = std::dynamic_pointer_cast<TCanvasGraphics>(graphics);
    if (!canvas) {
        GLGraphicsDriver().SetGraphics(nullptr);
        TCanvasGraphics::ClearCurrent();
        current_.reset();
        return;
    }
    current_ = canvas;
    GLGraphicsDriver().SetGraphics(canvas->_graphics);
    ForgetState();
    SetProjection();
    canvas->MakeCurrent();
}

void TGLCanvasDriver::Flip(int sync)
{
    GLGraphicsDriver().Flip(sync);
    FollowView();
}

void TGLCanvasDriver::FollowView()
{
    if (!current_) return;
    auto* window = dynamic_cast<TGLGraphics*>(current_->_graphics.get());
    if (!window) return;
    platform::ViewRect view = window->View();
    if (view.x == viewX_ && view.y == viewY_ && view.w == viewW_ && view.h == viewH_ &&
        view.drawableHeight == drawableH_)
        return;
    SetProjection();
    SetViewport(current_->viewport_x, current_->viewport_y, current_->viewport_w, current_->viewport_h);
}

void TGLCanvasDriver::ForgetState()
{
    state_ = GlState{};
    glDisable(GL_TEXTURE_2D);
}

// Y grows downward from the top of the picture; the picture fills the
// window's view rectangle (all of it, but for a letterboxed full screen)
void TGLCanvasDriver::SetProjection()
{
    int depth, hertz, flags;
    current_->GetSettings(width_, height_, depth, hertz, flags);
    auto* window = dynamic_cast<TGLGraphics*>(current_->_graphics.get());
    platform::ViewRect view = window ? window->View() : platform::ViewRect{0, 0, width_, height_, width_, height_};
    viewX_ = view.x, viewY_ = view.y, viewW_ = view.w, viewH_ = view.h, drawableH_ = view.drawableHeight;

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width_, height_, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(viewX_, drawableH_ - viewY_ - viewH_, viewW_, viewH_);
}

// A box of the picture in the back end's bottom-up window coordinates
void TGLCanvasDriver::MapBox(int x, int y, int w, int h, int box[4]) const
{
    double sx = width_ ? double(viewW_) / width_ : 1.0, sy = height_ ? double(viewH_) / height_ : 1.0;
    box[0] = viewX_ + int(std::lround(x * sx));
    box[1] = drawableH_ - viewY_ - int(std::lround((y + h) * sy));
    box[2] = int(std::lround(w * sx));
    box[3] = int(std::lround(h * sy));
}

void TGLCanvasDriver::SetBlend(int mode)
{
    if (mode == state_.blend) return;
    state_.blend = mode;
    if (mode == BLEND_MASK) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GEQUAL, 0.5f);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
    switch (mode) {
    case BLEND_ALPHA: glEnable(GL_BLEND); glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
    case BLEND_LIGHT: glEnable(GL_BLEND); glBlendFunc(GL_SRC_ALPHA, GL_ONE); break;
    case BLEND_SHADE: glEnable(GL_BLEND); glBlendFunc(GL_DST_COLOR, GL_ZERO); break;
    default: glDisable(GL_BLEND); break;   // mask, solid and anything unknown
    }
}

void TGLCanvasDriver::SetAlpha(float alpha)
{
    alpha_ = int(ClampAlpha(alpha) * 255.0f);
    glColor4ub(GLubyte(red_), GLubyte(green_), GLubyte(blue_), GLubyte(alpha_));
}

void TGLCanvasDriver::SetColor(int red, int green, int blue)
{
    red_ = Clamp255(red), green_ = Clamp255(green), blue_ = Clamp255(blue);
    glColor4ub(GLubyte(red_), GLubyte(green_), GLubyte(blue_), GLubyte(alpha_));
}

void TGLCanvasDriver::SetClsColor(int red, int green, int blue)
{
    glClearColor(Clamp255(red) / 255.0f, Clamp255(green) / 255.0f, Clamp255(blue) / 255.0f, 1.0f);
}

void TGLCanvasDriver::SetViewport(int x, int y, int width, int height)
{
    if (x == 0 && y == 0 && width == width_ && height == height_) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    int box[4];
    MapBox(x, y, width, height, box);
    glEnable(GL_SCISSOR_TEST);
    glScissor(box[0], box[1], std::max(0, box[2]), std::max(0, box[3]));
}

void TGLCanvasDriver::SetTransform(float ix, float iy, float jx, float jy)
{
    ix_ = ix, iy_ = iy, jx_ = jx, jy_ = jy;
}

void TGLCanvasDriver::SetLineWidth(float width) { glLineWidth(width); }

void TGLCanvasDriver::Cls() { glClear(GL_COLOR_BUFFER_BIT); }

void TGLCanvasDriver::Vertex(float x, float y, float tx, float ty) const
{
    glVertex2f(x * ix_ + y * iy_ + tx, x * jx_ + y * jy_ + ty);
}

void TGLCanvasDriver::Plot(float x, float y)
{
    DisableTexturing();
    glBegin(GL_POINTS);
    glVertex2f(x + 0.5f, y + 0.5f);
    glEnd();
}

void TGLCanvasDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty)
{
    DisableTexturing();
    glBegin(GL_LINES);
    Vertex(x0, y0, tx + 0.5f, ty + 0.5f);
    Vertex(x1, y1, tx + 0.5f, ty + 0.5f);
    glEnd();
}

void TGLCanvasDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty)
{
    DisableTexturing();
    glBegin(GL_QUADS);
    Vertex(x0, y0, tx, ty);
    Vertex(x1, y0, tx, ty);
    Vertex(x1, y1, tx, ty);
    Vertex(x0, y1, tx, ty);
    glEnd();
}

void TGLCanvasDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty)
{
    float xr = (x1 - x0) * 0.5f, yr = (y1 - y0) * 0.5f;
    float cx = x0 + xr, cy = y0 + yr;
    int segments = std::max(int(std::fabs(xr) + std::fabs(yr)), 12) & ~3;
    DisableTexturing();
    glBegin(GL_POLYGON);
    for (int i = 0; i < segments; ++i) {
        double a = i * 2.0 * 3.14159265358979323846 / segments;
        Vertex(cx + xr * float(std::cos(a)), cy - yr * float(std::sin(a)), tx, ty);
    }
    glEnd();
}

void TGLCanvasDriver::DrawPoly(const std::vector<float>& points, float hx, float hy, float tx, float ty)
{
    if (points.size() < 6 || points.size() % 2 != 0) return;
    DisableTexturing();
    glBegin(GL_POLYGON);
    for (std::size_t i = 0; i < points.size(); i += 2) Vertex(points[i] + hx, points[i + 1] + hy, tx, ty);
    glEnd();
}

void TGLCanvasDriver::DrawPixmap(const TPixmap& pixmap, int x, int y)
{
    std::shared_ptr<TPixmap> rgba = pixmap.format == PF_RGBA8888 ? nullptr : pixmap.Convert(PF_RGBA8888);
    const TPixmap& p = rgba ? *rgba : pixmap;
    int previous = state_.blend;
    SetBlend(BLEND_SOLID);
    DisableTexturing();
    double sx = double(viewW_) / width_, sy = double(viewH_) / height_;
    // A raster position inside the view, then moved without clipping
    glRasterPos2f(0.0f, 0.0f);
    glBitmap(0, 0, 0, 0, float(x * sx), float(-y * sy), nullptr);
    glPixelZoom(float(sx), float(-sy));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, p.pitch / 4);
    glDrawPixels(p.width, p.height, GL_RGBA, GL_UNSIGNED_BYTE, p.pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelZoom(1.0f, 1.0f);
    SetBlend(previous);
}

std::shared_ptr<TPixmap> TGLCanvasDriver::GrabPixmap(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    int previous = state_.blend;
    SetBlend(BLEND_SOLID);
    int box[4];
    MapBox(x, y, width, height, box);
    auto grabbed = TPixmap::Create(std::max(1, box[2]), std::max(1, box[3]), PF_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, grabbed->pitch / 4);
    glReadPixels(box[0], box[1], grabbed->width, grabbed->height, GL_RGBA, GL_UNSIGNED_BYTE, grabbed->pixels);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    SetBlend(previous);
    // The back end reads bottom-up
    auto upright = TPixmap::Create(grabbed->width, grabbed->height, PF_RGBA8888);
    for (int row = 0; row < grabbed->height; ++row)
        std::copy_n(grabbed->PixelPtr(0, grabbed->height - 1 - row), grabbed->width * 4, upright->PixelPtr(0, row));
    if (upright->width == width && upright->height == height) return upright;
    return ResizePixmap(*upright, width, height);
}

void TGLCanvasDriver::BindTexture(unsigned name)
{
    if (!state_.texturing) {
        glEnable(GL_TEXTURE_2D);
        state_.texturing = true;
    }
    if (state_.texture != name) {
        glBindTexture(GL_TEXTURE_2D, name);
        state_.texture = name;
    }
}

void TGLCanvasDriver::DisableTexturing()
{
    if (!state_.texturing) return;
    glDisable(GL_TEXTURE_2D);
    state_.texturing = false;
}

void TGLCanvasDriver::ForgetTexture(unsigned name)
{
    if (state_.texture == name) state_.texture = 0;
}

TGLCanvasDriver* GLCanvasDriver()
{
    static TGLCanvasDriver driver;
    return &driver;
}

} // namespace engine
