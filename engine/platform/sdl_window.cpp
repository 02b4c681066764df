// Windows with an OpenGL context over SDL: the window and full-screen rules
// of the display layer, and the letterbox of the desktop full-screen fallback.
#include <algorithm>
#include <vector>

#include "engine/platform/platform.h"
#include "engine/platform/sdl_internal.h"
#include "engine/runtime/error.h"

namespace engine::platform {

struct TWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    WindowRequest request;
    int match = 0;            // see FullscreenMatch
    ViewRect view;
    int swapInterval = -1;    // last interval set, -1 before the first
    SDL_Renderer* renderer = nullptr;   // drawn by the 2D renderer instead of a context
};

static std::vector<TWindow*> gWindows;
static TWindow* gCurrent = nullptr;

static TWindow* FindWindow(Uint32 windowId)
{
    for (TWindow* w : gWindows)
        if (SDL_GetWindowID(w->window) == windowId) return w;
    return nullptr;
}

static void SetPixelFormat(int flags)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, (flags & 4) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (flags & 8) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, (flags & 16) ? 1 : 0);
    int accum = (flags & 32) ? 1 : 0;
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (flags & 2) ? 1 : 0);
    // The drawing layer speaks the fixed pipeline
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

static bool DepthMatches(int wanted, Uint32 format)
{
    int bits = SDL_BITSPERPIXEL(format);
    // A 32-bit mode is reported as 24 bits of colour in a 32-bit pixel
    return bits == wanted || (wanted == 32 && bits == 24);
}

// The listed mode of exactly width x height x depth, at the asked rate when
// withRate is set, else at any rate
static bool FindMode(const WindowRequest& r, bool withRate, SDL_DisplayMode& found)
{
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w != r.width || mode.h != r.height || !DepthMatches(r.depth, mode.format)) continue;
        if (withRate && mode.refresh_rate != r.hertz) continue;
        found = mode;
        return true;
    }
    return false;
}

static bool TryMode(SDL_Window* window, const WindowRequest& r, bool withRate)
{
    SDL_DisplayMode mode;
    if (!FindMode(r, withRate, mode)) return false;
    if (SDL_SetWindowDisplayMode(window, &mode) != 0) return false;
    return SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
}

// The exact mode at the asked rate, then at any rate, then a desktop
// full-screen window that letterboxes the picture (displays without an
// 800 x 600 mode are common here)
static int EnterFullscreen(SDL_Window* window, const WindowRequest& r)
{
    if (r.hertz != 0 && TryMode(window, r, true)) return 2;
    if (TryMode(window, r, false)) return 1;
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) return 0;
    ThrowRuntimeError("GLGraphicsDriver failed to set display mode");
}

// Where the picture lies in a drawable of the given size
static ViewRect ViewIn(const TWindow& w, int drawableWidth, int drawableHeight)
{
    ViewRect v;
    v.drawableWidth = drawableWidth;
    v.drawableHeight = drawableHeight;
    int pw = w.request.width, ph = w.request.height;
    if (v.drawableWidth == pw && v.drawableHeight == ph) {
        v.w = pw;
        v.h = ph;
        return v;
    }
    // Largest picture of the same shape that fits, centred
    double scale = std::min(double(v.drawableWidth) / pw, double(v.drawableHeight) / ph);
    v.w = std::max(1, int(pw * scale + 0.5));
    v.h = std::max(1, int(ph * scale + 0.5));
    v.x = (v.drawableWidth - v.w) / 2;
    v.y = (v.drawableHeight - v.h) / 2;
    return v;
}

// The window's real size where the window system tells it: SDL reports the
// size it asked for, which a screen without a window manager never gives
static ViewRect ComputeView(TWindow& w)
{
    int width = 0, height = 0;
    if (!NativeWindowSize(w.window, width, height)) SDL_GL_GetDrawableSize(w.window, &width, &height);
    return ViewIn(w, width, height);
}

// Without a window manager nobody acts on the full-screen request: the
// window stays where it was made, at the picture's size
static void CoverScreenWithoutManager(SDL_Window* window)
{
    if (WindowManagerRunning(window)) return;
    SDL_Rect bounds;
    int display = SDL_GetWindowDisplayIndex(window);
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) == 0) CoverScreen(window, bounds);
}

static SDL_Window* CreateSdlWindow(const WindowRequest& r)
{
    const char* title = AppTitle().c_str();
    if (r.depth == 0)
        return SDL_CreateWindow(title, 32, 32, r.width, r.height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    return SDL_CreateWindow(title, 0, 0, r.width, r.height,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
}

// The window of either back-end, shown, in full screen when asked for; null
// with a reason when SDL cannot make it
static TWindow* OpenWindow(const WindowRequest& request, std::string& error)
{
    if (!Started()) {
        error = "the platform layer is not started";
        return nullptr;
    }
    SetPixelFormat(request.flags);
    auto* w = new TWindow;
    w->request = request;
    w->window = CreateSdlWindow(request);
    if (!w->window) {
        error = SDL_GetError();
        delete w;
        return nullptr;
    }
    if (request.depth != 0) {
        try {
            w->match = EnterFullscreen(w->window, request);
        } catch (...) {
            SDL_DestroyWindow(w->window);
            delete w;
            throw;
        }
        SDL_ShowWindow(w->window);
        SDL_RaiseWindow(w->window);
        CoverScreenWithoutManager(w->window);
    }
    return w;
}

static TWindow* Abandon(TWindow* w, std::string& error)
{
    error = SDL_GetError();
    SDL_DestroyWindow(w->window);
    delete w;
    return nullptr;
}

// The window joins the list, with its view and its first swap interval
static TWindow* Register(TWindow* w)
{
    gWindows.push_back(w);
    if (w->context) MakeContextCurrent(w);
    w->view = ComputeView(*w);
    if (w->request.depth != 0) SetSwapInterval(w, w->match == 2 ? 1 : 0);
    return w;
}

TWindow* OpenGLWindow(const WindowRequest& request, std::string& error)
{
    TWindow* w = OpenWindow(request, error);
    if (!w) return nullptr;
    w->context = SDL_GL_CreateContext(w->window);
    if (!w->context) return Abandon(w, error);
    return Register(w);
}

void CloseWindow(TWindow* window)
{
    if (!window) return;
    gWindows.erase(std::remove(gWindows.begin(), gWindows.end(), window), gWindows.end());
    if (gCurrent == window) {
        SDL_GL_MakeCurrent(window->window, nullptr);
        gCurrent = nullptr;
    }
    if (window->renderer) {
        ForgetTexturesOf(window);
        SDL_DestroyRenderer(window->renderer);
    }
    if (window->context) SDL_GL_DeleteContext(window->context);
    SDL_DestroyWindow(window->window);
    delete window;
}

void MakeContextCurrent(TWindow* window)
{
    if (!window) return;
    // The 2D renderer makes its own context current when it draws
    if (window->context) SDL_GL_MakeCurrent(window->window, window->context);
    gCurrent = window;
}

void SwapBuffers(TWindow* window)
{
    if (window) SDL_GL_SwapWindow(window->window);
}

// Where the renderer cannot wait for the retrace it would fake the wait
// with a timer; the display layer paces by its own clock instead, so the
// wait is only asked for when the renderer's context really takes it
static bool SetRendererVSync(TWindow& w, int interval)
{
    bool real = SDL_GL_GetCurrentWindow() == w.window && SDL_GL_SetSwapInterval(interval) == 0;
    SDL_RenderSetVSync(w.renderer, real ? interval : 0);
    return real;
}

bool SetSwapInterval(TWindow* window, int interval)
{
    if (!window) return false;
    window->swapInterval = interval;
    if (window->renderer) return SetRendererVSync(*window, interval);
    return SDL_GL_SetSwapInterval(interval) == 0;
}

ViewRect WindowView(const TWindow* window) { return window ? window->view : ViewRect{}; }
int FullscreenMatch(const TWindow* window) { return window ? window->match : 0; }

TWindow* ActiveWindow()
{
    SDL_Window* focus = SDL_GetKeyboardFocus();
    if (focus) return FindWindow(SDL_GetWindowID(focus));
    return gWindows.empty() ? nullptr : gWindows.back();
}

std::vector<DisplayMode> DisplayModes()
{
    std::vector<DisplayMode> modes;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
        int bits = SDL_BITSPERPIXEL(m.format) == 24 ? 32 : int(SDL_BITSPERPIXEL(m.format));
        if (bits >= 16) modes.push_back({m.w, m.h, bits, m.refresh_rate});
    }
    return modes;
}

bool IsFullscreenWindow(Uint32 windowId)
{
    TWindow* w = FindWindow(windowId);
    return w && w->request.depth != 0;
}

void HandleWindowEvent(const SDL_WindowEvent& event)
{
    TWindow* w = FindWindow(event.windowID);
    if (!w) return;
    if (event.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        SDL_DisableScreenSaver();
        // SDL puts the full-screen mode back when the window comes back
        if (w->request.depth != 0) SetSwapInterval(w, w->match == 2 ? 1 : 0);
    } else if (event.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        SDL_EnableScreenSaver();
        // SDL restores the desktop mode as it minimises the window (hint set at start-up)
        if (w->request.depth != 0) {
            SetSwapInterval(w, 0);
            SDL_MinimizeWindow(w->window);
        }
    } else if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        w->view = ComputeView(*w);
    }
}

void HandleSystemMessage(const SDL_SysWMmsg* message)
{
    int width, height;
    for (TWindow* w : gWindows)
        if (ConfiguredSize(message, w->window, width, height)) w->view = ViewIn(*w, width, height);
}

void MapMouseToPicture(Uint32 windowId, int& x, int& y)
{
    TWindow* w = FindWindow(windowId);
    if (!w) return;
    const ViewRect& v = w->view;
    if (v.w == w->request.width && v.h == w->request.height && v.x == 0 && v.y == 0) return;
    x = int((long long)(x - v.x) * w->request.width / v.w);
    y = int((long long)(y - v.y) * w->request.height / v.h);
}

void MapPictureToWindow(SDL_Window*& window, int& x, int& y)
{
    TWindow* w = ActiveWindow();
    window = w ? w->window : nullptr;
    if (!w) return;
    const ViewRect& v = w->view;
    x = v.x + int((long long)x * v.w / w->request.width);
    y = v.y + int((long long)y * v.h / w->request.height);
}

void ShowErrorBox(const std::string& message)
{
    if (gWindows.empty()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, AppTitle().c_str(), message.c_str(),
                             gWindows.back()->window);
}

// A window like OpenGLWindow's, drawn by SDL's 2D renderer. Batching lets
// the renderer join the quads of a frame into few draws.
TWindow* OpenRendererWindow(const WindowRequest& request, std::string& error)
{
    TWindow* w = OpenWindow(request, error);
    if (!w) return nullptr;
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_ACCELERATED);
    if (!w->renderer) w->renderer = SDL_CreateRenderer(w->window, -1, 0);
    if (!w->renderer) return Abandon(w, error);
    return Register(w);
}

SDL_Renderer* RendererOf(const TWindow* window) { return window ? window->renderer : nullptr; }

} // namespace engine::platform
