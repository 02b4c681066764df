#include "engine/display/gl_graphics_driver.h"

#include "engine/display/display.h"

namespace engine {

TGLGraphics::TGLGraphics(TGraphicsDriver* driver, platform::TWindow* window,
                         const platform::WindowRequest& request)
    : driver_(driver), window_(window), request_(request)
{
}

TGLGraphics::~TGLGraphics() { Close(); }

void TGLGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags)
{
    width = request_.width;
    height = request_.height;
    depth = request_.depth;
    hertz = request_.hertz;
    flags = request_.flags;
}

void TGLGraphics::Close()
{
    platform::CloseWindow(window_);
    window_ = nullptr;
}

std::vector<TGraphicsMode> TGLGraphicsDriver::GraphicsModes()
{
    std::vector<TGraphicsMode> modes;
    for (const platform::DisplayMode& m : platform::DisplayModes())
        if (m.depth >= 16) modes.push_back({m.width, m.height, m.depth, m.hertz});
    return modes;
}

std::shared_ptr<TGraphics> TGLGraphicsDriver::CreateGraphics(int width, int height, int depth, int hertz,
                                                            int flags)
{
    platform::WindowRequest request{width, height, depth, hertz, flags};
    std::string error;
    platform::TWindow* window = platform::OpenGLWindow(request, error);
    if (!window) {
        SetGraphicsError(error);
        return nullptr;
    }
    // The new context is current; the next flip sets its swap interval
    lastSync_ = -1;
    return std::make_shared<TGLGraphics>(this, window, request);
}

void TGLGraphicsDriver::SetGraphics(std::shared_ptr<TGraphics> graphics)
{
    current_ = std::dynamic_pointer_cast<TGLGraphics>(graphics);
    if (current_) platform::MakeContextCurrent(current_->Window());
}

void TGLGraphicsDriver::Flip(int sync)
{
    if (!current_ || !current_->Window()) return;
    int interval = sync ? 1 : 0;
    if (interval != lastSync_) {
        platform::SetSwapInterval(current_->Window(), interval);
        lastSync_ = interval;
    }
    platform::SwapBuffers(current_->Window());
}

TGLGraphicsDriver& GLGraphicsDriver()
{
    static TGLGraphicsDriver driver;
    return driver;
}

} // namespace engine
