// Events: what the window layer reports, emitted through the emit-event hook chain.
#pragma once
#include <memory>
#include <string>

namespace engine {

enum : int {
    EVENT_APPSUSPEND = 0x101,
    EVENT_APPRESUME = 0x102,
    EVENT_APPTERMINATE = 0x103,
    EVENT_APPOPENFILE = 0x104,
    EVENT_APPIDLE = 0x105,
    EVENT_KEYDOWN = 0x201,
    EVENT_KEYUP = 0x202,
    EVENT_KEYCHAR = 0x203,
    EVENT_KEYREPEAT = 0x204,
    EVENT_MOUSEDOWN = 0x401,
    EVENT_MOUSEUP = 0x402,
    EVENT_MOUSEMOVE = 0x403,
    EVENT_MOUSEWHEEL = 0x404,
    EVENT_MOUSEENTER = 0x405,
    EVENT_MOUSELEAVE = 0x406,
    EVENT_TIMERTICK = 0x801,
    EVENT_HOTKEYHIT = 0x1001,
    EVENT_GADGETACTION = 0x2001,
    EVENT_GADGETSHAPE = 0x2009,
    EVENT_WINDOWMOVE = 0x4001,
    EVENT_WINDOWSIZE = 0x4002,
    EVENT_WINDOWCLOSE = 0x4003,
    EVENT_WINDOWACTIVATE = 0x4004,
    EVENT_WINDOWACCEPT = 0x4005,
    EVENT_MENUACTION = 0x8001,
    EVENT_STREAMEOF = 0x10001,
    EVENT_STREAMAVAIL = 0x10002,
    EVENT_PROCESSEXIT = 0x20001,
};

// Modifier bits of TEvent::mods
enum : int { MODIFIER_SHIFT = 1, MODIFIER_CONTROL = 2, MODIFIER_OPTION = 4, MODIFIER_SYSTEM = 8 };

struct TEvent {
    int id = 0;
    const void* source = nullptr;   // compared by identity only
    int data = 0;                   // key code, character code, button or wheel steps
    int mods = 0;
    int x = 0, y = 0;
    std::shared_ptr<void> extra;

    static TEvent Create(int id, const void* source = nullptr, int data = 0, int mods = 0, int x = 0,
                         int y = 0, std::shared_ptr<void> extra = nullptr);
    // Runs the emit-event hook chain with this event
    void Emit();
    // "KeyDown", "UserEvent", "Unknown Event, id=1234", ...
    std::u16string ToString() const;
    // A fresh identifier for events of the program's own
    static int AllocUserId();
};

} // namespace engine
