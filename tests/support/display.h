// Opening a real display for drawing tests (under the test's own Xvfb).
#pragma once
#include <string>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/draw/sdl/sdl_canvas_driver.h"
#include "engine/platform/platform.h"

namespace testsupport {

// The two drawing back-ends; drawing tests run the same cases on each
enum class DriverKind { GL, SDL };

inline auto AllDrivers() { return testing::Values(DriverKind::GL, DriverKind::SDL); }

inline std::string DriverName(const testing::TestParamInfo<DriverKind>& info)
{
    switch (info.param) {
    case DriverKind::GL: return "OpenGL";
    case DriverKind::SDL: return "SDLRenderer";
    }
    return "unknown";
}

inline engine::TCanvasDriver* CanvasDriverOf(DriverKind kind)
{
    switch (kind) {
    case DriverKind::GL: return engine::GLCanvasDriver();
    case DriverKind::SDL: return engine::SDLCanvasDriver();
    }
    return nullptr;
}

// A window of width x height on the given driver, current for drawing
inline bool OpenTestDisplay(DriverKind kind, int width, int height, int depth = 0)
{
    std::string error;
    if (!engine::platform::Startup(error)) {
        ADD_FAILURE() << "platform start-up: " << error;
        return false;
    }
    engine::SetGraphicsDriver(CanvasDriverOf(kind), engine::GRAPHICS_BACKBUFFER);
    if (!engine::OpenGraphics(width, height, depth, 60, 0)) {
        ADD_FAILURE() << "OpenGraphics: " << engine::GraphicsError();
        return false;
    }
    return true;
}

} // namespace testsupport
