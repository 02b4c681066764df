// Opening and closing the display, presenting frames and pacing them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/display/graphics.h"

namespace engine {

//---- Driver selection and the display

void SetGraphicsDriver(TGraphicsDriver* driver, int defaultFlags = GRAPHICS_BACKBUFFER);
TGraphicsDriver* GetGraphicsDriver();
// Closes the open display first. Null when the driver cannot make the new one.
std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth = 0, int hertz = 60, int flags = 0);
// Closes the display OpenGraphics opened, if any (also run at program exit)
void CloseGraphics();
std::shared_ptr<TGraphics> CurrentGraphics();
// Makes a graphics current for drawing, switching the driver to its own
void SetGraphics(std::shared_ptr<TGraphics> graphics);

int GraphicsWidth();
int GraphicsHeight();
int GraphicsDepth();
int GraphicsHertz();

// Raised on every close and every open, never 0: images compare against it
int GraphicsGeneration();

//---- Modes of the current driver (0 in an argument of the test matches any value)

int CountGraphicsModes();
bool GetGraphicsMode(int index, int& width, int& height, int& depth, int& hertz);
bool GraphicsModeExists(int width, int height, int depth = 0, int hertz = 0);

//---- Presenting

// Runs the flip hooks, then presents. -1 paces to the display's hertz
// (by the clock when the display has no usable retrace), 0 presents at
// once, 1 waits for the retrace.
void Flip(int sync = -1);
// 1 when frames are paced by the clock rather than by the retrace
int SoftSync();

// The schedule of clock-paced frames: whole milliseconds per frame, with the
// remainder of the second spread over the frames
struct TFrameTimer {
    int hertz = 0;
    int millisPerFrame = 0;
    int remainder = 0;
    int accumulator = 0;
    std::uint32_t nextFlip = 0;
};
void StartFrameTimer(TFrameTimer& timer, int hertz, std::uint32_t now);
// Advances the schedule by one frame; returns how long to sleep before
// presenting (0 when late, and then the schedule restarts from now)
int NextFrameDelay(TFrameTimer& timer, std::uint32_t now);

// The clock the display paces with; tests put a controllable one in
struct TDisplayClock {
    std::uint32_t (*millis)();
    void (*sleep)(int millis);
};
void SetDisplayClock(const TDisplayClock& clock);
void ResetDisplayClock();

} // namespace engine

namespace engine {
// Why the last display could not be opened, for the one-line fatal message
const std::string& GraphicsError();
void SetGraphicsError(const std::string& reason);
} // namespace engine
