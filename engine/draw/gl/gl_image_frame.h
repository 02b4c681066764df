// The texture of one image frame on the OpenGL back-end.
#pragma once
#include <memory>

#include "engine/draw/canvas.h"

namespace engine {

class TGLCanvasDriver;

class TGLImageFrame final : public TImageFrame {
public:
    TGLImageFrame(TGLCanvasDriver& driver, unsigned name, int textureWidth, int textureHeight, float umax,
                  float vmax);
    // The texture went with its context when the display closed
    ~TGLImageFrame() override;
    void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override;

    int TextureWidth() const { return textureWidth_; }
    int TextureHeight() const { return textureHeight_; }
    // The largest texture coordinates the picture uses (the smallest are 0)
    float UMax() const { return umax_; }
    float VMax() const { return vmax_; }
    // Level 0 of the texture as it lies in the back-end, for checking uploads
    std::shared_ptr<TPixmap> ReadTexture();

private:
    TGLCanvasDriver& driver_;
    unsigned name_;
    int textureWidth_, textureHeight_;
    float umax_, vmax_;
    int generation_;
};

} // namespace engine
