// The window driver of the second back-end: windows and full-screen displays
// drawn by the platform's 2D renderer. The SDL 2D drawing driver wraps it.
#pragma once
#include "engine/display/graphics.h"
#include "engine/platform/platform.h"

namespace engine {

class TSDLGraphics final : public TGraphics {
public:
    TSDLGraphics(TGraphicsDriver* driver, platform::TWindow* window, const platform::WindowRequest& request);
    ~TSDLGraphics() override;
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

class TSDLGraphicsDriver final : public TGraphicsDriver {
public:
    std::vector<TGraphicsMode> GraphicsModes() override;
    std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) override;
    void SetGraphics(std::shared_ptr<TGraphics> graphics) override;
    void Flip(int sync) override;

    TSDLGraphics* Current() const { return current_.get(); }

private:
    std::shared_ptr<TSDLGraphics> current_;
    int lastSync_ = -1;
};

TSDLGraphicsDriver& SDLGraphicsDriver();

} // namespace engine
