// The OpenGL 1.x 2D back-end: immediate-mode quads with a small state cache.
#pragma once
#include "engine/draw/canvas.h"

namespace engine {

class TGLCanvasDriver final : public TCanvasDriver {
public:
    std::vector<TGraphicsMode> GraphicsModes() override;
    std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) override;
    void SetGraphics(std::shared_ptr<TGraphics> graphics) override;
    void Flip(int sync) override;

    std::shared_ptr<TImageFrame> CreateFrameFromPixmap(std::shared_ptr<TPixmap> pixmap, int flags) override;
    void SetBlend(int mode) override;
    void SetAlpha(float alpha) override;
    void SetColor(int red, int green, int blue) override;
    void SetClsColor(int red, int green, int blue) override;
    void SetViewport(int x, int y, int width, int height) override;
    void SetTransform(float ix, float iy, float jx, float jy) override;
    void SetLineWidth(float width) override;
    void Cls() override;
    void Plot(float x, float y) override;
    void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
    void DrawPoly(const std::vector<float>& points, float hx, float hy, float tx, float ty) override;
    void DrawPixmap(const TPixmap& pixmap, int x, int y) override;
    std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) override;

    // Used by the frames: enable texturing and bind only when it changes
    void BindTexture(unsigned name);
    void DisableTexturing();
    void ForgetTexture(unsigned name);
    // Where a local point lands on the screen
    void Vertex(float x, float y, float tx, float ty) const;

private:
    struct GlState {
        int blend = 0;            // 0: nothing sent yet on this context
        unsigned texture = 0;
        bool texturing = false;
    };
    // A new context remembers nothing, so neither may the cache
    void ForgetState();
    void SetProjection();
    // Sets the projection again when the window's view has moved (a window
    // manager resizes a full-screen window some time after it opened)
    void FollowView();
    void MapBox(int x, int y, int w, int h, int box[4]) const;

    GlState state_;
    std::shared_ptr<TCanvasGraphics> current_;
    int width_ = 0, height_ = 0;            // the picture
    int viewX_ = 0, viewY_ = 0, viewW_ = 0, viewH_ = 0, drawableH_ = 0;
    float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
    int red_ = 255, green_ = 255, blue_ = 255, alpha_ = 255;
};

// The shared OpenGL 2D driver
TGLCanvasDriver* GLCanvasDriver();

} // namespace engine
