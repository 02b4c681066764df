// The texture of one image frame on the 2D renderer back-end.
#pragma once
#include <memory>

#include "engine/draw/canvas.h"
#include "engine/platform/renderer2d.h"

namespace engine {

class TSDLCanvasDriver;

class TSDLImageFrame final : public TImageFrame {
public:
    // picture: the power-of-two pixmap uploaded into texture
    TSDLImageFrame(TSDLCanvasDriver& driver, platform::TTexture2D* texture, std::shared_ptr<TPixmap> picture,
                   int scaleMode, float umax, float vmax);
    ~TSDLImageFrame() override;
    void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override;

    int TextureWidth() const { return picture_->width; }
    int TextureHeight() const { return picture_->height; }
    float UMax() const { return umax_; }
    float VMax() const { return vmax_; }
    // The whole texture as the renderer draws it, copied 1:1 to the top-left
    // of the back buffer and read back, for checking uploads
    std::shared_ptr<TPixmap> ReadTexture();

private:
    platform::TTexture2D* MaskTexture(int alphaByte);

    TSDLCanvasDriver& driver_;
    platform::TTexture2D* texture_;
    std::shared_ptr<TPixmap> picture_;
    int scaleMode_;
    float umax_, vmax_;
    // The renderer has no alpha test: mask mode draws a copy whose alpha is
    // already tested against the vertex alpha it was made for
    platform::TTexture2D* maskTexture_ = nullptr;
    int maskAlpha_ = -1;
};

} // namespace engine
