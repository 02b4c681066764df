// The OpenGL window driver: windows and full-screen displays with an OpenGL
// context, made by the platform layer. The 2D drawing driver wraps it.
#pragma once
#include "engine/display/graphics.h"
#include "engine/platform/platform.h"

namespace engine {

class TGLGraphics final : public TGraphics {
public:
    TGLGraphics(TGraphicsDriver* driver, platform::TWindow* window, const platform::WindowRequest& request);
    ~TGLGraphics() override;
    TGraphicsDriver* Driver() override { return driver_; }
    void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
    void Close() override;

    platform::TWindow* Window() const { return window_; }
    platform::ViewRect View() const { return platform::WindowView(window_); }

private:
    TGraphicsDriver* driver_;
    platform::TWindow* window_;
    platform::WindowRequest request_;
};

class TGLGraphicsDriver final : public TGraphicsDriver {
public:
    std::vector<TGraphicsMode> GraphicsModes() override;
    std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) override;
    void SetGraphics(std::shared_ptr<TGraphics> graphics) override;
    void Flip(int sync) override;

    TGLGraphics* Current() const { return current_.get(); }

private:
    std::shared_ptr<TGLGraphics> current_;
    int lastSync_ = -1;
};

TGLGraphicsDriver& GLGraphicsDriver();

} // namespace engine
