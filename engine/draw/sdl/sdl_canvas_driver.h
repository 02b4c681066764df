// The second 2D back-end: every primitive and image frame becomes indexed
// triangles for the platform's 2D renderer, with the same results as the
// OpenGL back-end (blend modes, mask test, clamping, clip, read-back).
#pragma once
#include "engine/draw/canvas.h"
#include "engine/platform/platform.h"
#include "engine/platform/renderer2d.h"

namespace engine {

class TSDLCanvasDriver final : public TCanvasDriver {
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

    //---- Used by the frames

    platform::TWindow* Window() const { return window_; }
    int Blend() const { return blend_; }
    // The vertex alpha byte of the current alpha
    int AlphaByte() const { return alpha_; }
    // A local point, transformed, translated and placed in the window's view
    platform::Vertex2D Vertex(float x, float y, float tx, float ty, float u = 0, float v = 0) const;
    // A quad of four vertices in drawing order (two triangles)
    void DrawQuad(platform::TTexture2D* texture, int blend, const platform::Vertex2D quad[4]);
    // The renderer's blend for a mode other than mask
    static int RendererBlend(int mode);
    // False while the clip box holds no pixel
    bool CanDraw() const { return !clippedAway_; }

private:
    // A point of the picture in the window's drawable
    platform::Vertex2D PicturePoint(float x, float y) const;
    void DrawPolygon(const std::vector<platform::Vertex2D>& points);
    void DrawUntextured(const platform::Vertex2D* vertices, int count, const int* indices, int indexCount);
    void MapBox(int x, int y, int w, int h, int box[4]) const;
    void FollowView();

    std::shared_ptr<TCanvasGraphics> current_;
    platform::TWindow* window_ = nullptr;
    int width_ = 0, height_ = 0;   // the picture
    platform::ViewRect view_;
    float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
    int red_ = 255, green_ = 255, blue_ = 255, alpha_ = 255;
    int clsRed_ = 0, clsGreen_ = 0, clsBlue_ = 0;
    int blend_ = 0;                // 0: nothing set on this display yet
    float lineWidth_ = 1.0f;
    bool clipping_ = false, clippedAway_ = false;
    int clip_[4] = {0, 0, 0, 0};
};

// The shared 2D driver over the platform's renderer
TSDLCanvasDriver* SDLCanvasDriver();

} // namespace engine
