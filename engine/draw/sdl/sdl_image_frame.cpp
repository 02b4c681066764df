// Textures made from image frames on the 2D renderer: the same power-of-two
// picture with the same edge smear as the OpenGL frames.
#include "engine/draw/sdl/sdl_image_frame.h"

#include <algorithm>

#include "engine/draw/image.h"
#include "engine/draw/sdl/sdl_canvas_driver.h"
#include "engine/runtime/error.h"

namespace engine {

namespace {

int NextPow2(int n)
{
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

// The renderer keeps no mip chain. A mipmapped filtered image asks for the
// renderer's best filtering (anisotropic where it has it, else linear), the
// nearest equivalent; a mipmapped unfiltered one samples nearest, as the
// nearest-mipmap-nearest sampling does at its own level
int ScaleModeFor(int flags)
{
    if (!(flags & IMAGE_FILTERED)) return platform::SCALE2D_NEAREST;
    return (flags & IMAGE_MIPMAPPED) ? platform::SCALE2D_BEST : platform::SCALE2D_LINEAR;
}

// Halves every side above 1 until the renderer takes the texture
platform::TTexture2D* CreateTexture(platform::TWindow* window, int& tw, int& th, int scaleMode)
{
    int limit = platform::MaxTextureSize(window);
    for (;;) {
        std::string error;
        if (limit <= 0 || (tw <= limit && th <= limit))
            if (platform::TTexture2D* t = platform::CreateTexture2D(window, tw, th, scaleMode, error)) return t;
        if (tw == 1 && th == 1) ThrowRuntimeError("Unable to calculate tex size");
        if (tw > 1) tw /= 2;
        if (th > 1) th /= 2;
    }
}

// The fragment alpha texel·vertex passes the mask test at 0.5 or more
bool PassesMask(int texelAlpha, int vertexAlpha) { return texelAlpha * vertexAlpha * 2 >= 255 * 255; }

} // namespace

TSDLImageFrame::TSDLImageFrame(TSDLCanvasDriver& driver, platform::TTexture2D* texture,
                               std::shared_ptr<TPixmap> picture, int scaleMode, float umax, float vmax)
    : driver_(driver), texture_(texture), picture_(std::move(picture)), scaleMode_(scaleMode), umax_(umax),
      vmax_(vmax)
{
}

TSDLImageFrame::~TSDLImageFrame()
{
    platform::DestroyTexture2D(texture_);
    platform::DestroyTexture2D(maskTexture_);
}

void TSDLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty)
{
    platform::Vertex2D quad[4] = {driver_.Vertex(x0, y0, tx, ty, 0, 0), driver_.Vertex(x1, y0, tx, ty, umax_, 0),
                                  driver_.Vertex(x1, y1, tx, ty, umax_, vmax_),
                                  driver_.Vertex(x0, y1, tx, ty, 0, vmax_)};
    if (driver_.Blend() != BLEND_MASK) {
        driver_.DrawQuad(texture_, TSDLCanvasDriver::RendererBlend(driver_.Blend()), quad);
        return;
    }
    // Even a fully opaque texel fails below vertex alpha 0.5
    if (!PassesMask(255, driver_.AlphaByte())) return;
    platform::TTexture2D* masked = MaskTexture(driver_.AlphaByte());
    if (!masked) return;
    // Passing texels are opaque in the copy, the others clear: blending
    // then writes the one and keeps the background under the other
    for (platform::Vertex2D& v : quad) v.a = 255;
    driver_.DrawQuad(masked, platform::BLEND2D_ALPHA, quad);
}

platform::TTexture2D* TSDLImageFrame::MaskTexture(int alphaByte)
{
    if (maskTexture_ && maskAlpha_ == alphaByte) return maskTexture_;
    platform::DestroyTexture2D(maskTexture_);
    maskTexture_ = nullptr;
    auto tested = picture_->Copy();
    for (int y = 0; y < tested->height; ++y) {
        std::uint8_t* row = tested->PixelPtr(0, y);
        for (int x = 0; x < tested->width; ++x) row[x * 4 + 3] = PassesMask(row[x * 4 + 3], alphaByte) ? 255 : 0;
    }
    std::string error;
    maskTexture_ = platform::CreateTexture2D(driver_.Window(), tested->width, tested->height, scaleMode_, error);
    if (!maskTexture_) return nullptr;
    platform::UpdateTexture2D(maskTexture_, tested->pixels, tested->pitch);
    maskAlpha_ = alphaByte;
    return maskTexture_;
}

std::shared_ptr<TPixmap> TSDLImageFrame::ReadTexture()
{
    float w = float(picture_->width), h = float(picture_->height);
    auto corner = [this](float x, float y, float u, float v) {
        platform::Vertex2D c = driver_.Vertex(x, y, 0, 0, u, v);
        c.r = c.g = c.b = c.a = 255;
        return c;
    };
    const platform::Vertex2D quad[4] = {corner(0, 0, 0, 0), corner(w, 0, 1, 0), corner(w, h, 1, 1),
                                        corner(0, h, 0, 1)};
    driver_.DrawQuad(texture_, platform::BLEND2D_NONE, quad);
    return driver_.GrabPixmap(0, 0, picture_->width, picture_->height);
}

std::shared_ptr<TImageFrame> TSDLCanvasDriver::CreateFrameFromPixmap(std::shared_ptr<TPixmap> pixmap, int flags)
{
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0 || !Window()) return nullptr;
    int tw = NextPow2(pixmap->width), th = NextPow2(pixmap->height);
    int scaleMode = ScaleModeFor(flags);
    platform::TTexture2D* texture = CreateTexture(Window(), tw, th, scaleMode);
    int w = std::min(pixmap->width, tw), h = std::min(pixmap->height, th);
    std::shared_ptr<TPixmap> picture = pixmap;
    if (pixmap->width > w || pixmap->height > h) picture = ResizePixmap(*pixmap, w, h);
    if (w < tw || h < th) picture = PadToTexture(*picture, tw, th);
    else if (picture->format != PF_RGBA8888) picture = picture->Convert(PF_RGBA8888);
    platform::UpdateTexture2D(texture, picture->pixels, picture->pitch);
    return std::make_shared<TSDLImageFrame>(*this, texture, picture, scaleMode, float(w) / tw, float(h) / th);
}

} // namespace engine
