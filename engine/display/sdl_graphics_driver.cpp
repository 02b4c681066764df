#include "engine/display/sdl_graphics_driver.h"

#include "engine/display/display.h"
#include "engine/platform/renderer2d.h"

namespace engine {

TSDLGraphics::TSDLGraphics(TGraphicsDriver* driver, platform::TWindow* window,
                           const platform::WindowRequest& request)
    : driver_(driver), window_(window), request_(request)
{
}

TSDLGraphics::~TSDLGraphics() { Close(); }

void TSDLGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags)
{
    width = request_.width;
    height = request_.height;
    depth = request_.depth;
    hertz = request_.hertz;
    flags = request_.flags;
}

void TSDLGraphics::Close()
{
    platform::CloseWindow(window_);
    window_ = nullptr;
}

std::vector<TGraphicsMode> TSDLGraphicsDriver::GraphicsModes()
{
    std::vector<TGraphicsMode> modes;
    for (const platform::DisplayMode& m : platform::DisplayModes())
        if (m.depth >= 16) modes.push_back({m.width, m.height, m.depth, m.hertz});
    return modes;
}

std::shared_ptr<TGraphics> TSDLGraphicsDriver::CreateGraphics(int width, int height, int depth, int hertz,
                                                             int flags)
{
    platform::WindowRequest request{width, height, depth, hertz, flags};
    std::string error;
    platform::TWindow* window = platform::OpenRendererWindow(request, error);
    if (!window) {
        SetGraphicsError(error);
        return nullptr;
    }
    // The next flip sets the new renderer's retrace wait
    lastSync_ = -1;
    return std::make_shared<TSDLGraphics>(this, window, request);
}

void TSDLGraphicsDriver::SetGraphics(std::shared_ptr<TGraphics> graphics)
{
    current_ = std::dynamic_pointer_cast<TSDLGraphics>(graphics);
}

void TSDLGraphicsDriver::Flip(int sync)
{
    if (!current_ || !current_->Window()) return;
    int interval = sync ? 1 : 0;
    if (interval != lastSync_) {
        platform::SetVSync2D(current_->Window(), interval);
        lastSync_ = interval;
    }
    platform::Present2D(current_->Window());
}

TSDLGraphicsDriver& SDLGraphicsDriver()
{
    static TSDLGraphicsDriver driver;
    return driver;
}

} // namespace engine
