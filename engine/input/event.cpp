#include "engine/input/event.h"

#include "engine/input/hook.h"
#include "engine/runtime/ustring.h"

namespace engine {

namespace {

struct EventName {
    int id;
    const char* name;
};

const EventName kEventNames[] = {
    {EVENT_APPSUSPEND, "AppSuspend"},       {EVENT_APPRESUME, "AppResume"},
    {EVENT_APPTERMINATE, "AppTerminate"},   {EVENT_APPOPENFILE, "AppOpenFile"},
    {EVENT_APPIDLE, "AppIdle"},             {EVENT_KEYDOWN, "KeyDown"},
    {EVENT_KEYUP, "KeyUp"},                 {EVENT_KEYCHAR, "KeyChar"},
    {EVENT_KEYREPEAT, "KeyRepeat"},         {EVENT_MOUSEDOWN, "MouseDown"},
    {EVENT_MOUSEUP, "MouseUp"},             {EVENT_MOUSEMOVE, "MouseMove"},
    {EVENT_MOUSEWHEEL, "MouseWheel"},       {EVENT_MOUSEENTER, "MouseEnter"},
    {EVENT_MOUSELEAVE, "MouseLeave"},       {EVENT_TIMERTICK, "TimerTick"},
    {EVENT_HOTKEYHIT, "HotkeyHit"},         {EVENT_GADGETACTION, "GadgetAction"},
    {EVENT_GADGETSHAPE, "GadgetShape"},
    {EVENT_WINDOWMOVE, "WindowMove"},       {EVENT_WINDOWSIZE, "WindowSize"},
    {EVENT_WINDOWCLOSE, "WindowClose"},     {EVENT_WINDOWACTIVATE, "WindowActivate"},
    {EVENT_WINDOWACCEPT, "WindowAccept"},   {EVENT_MENUACTION, "MenuAction"},
    {EVENT_STREAMEOF, "StreamEof"},         {EVENT_STREAMAVAIL, "StreamAvail"},
    {EVENT_PROCESSEXIT, "ProcessExit"},
};

// User ids start well above every system id
constexpr int kFirstUserId = 0x40000000;
int gNextUserId = kFirstUserId;

} // namespace

TEvent TEvent::Create(int id, const void* source, int data, int mods, int x, int y,
                      std::shared_ptr<void> extra)
{
    return TEvent{id, source, data, mods, x, y, std::move(extra)};
}

void TEvent::Emit() { RunHooks(EmitEventHook(), this); }

std::u16string TEvent::ToString() const
{
    for (const EventName& e : kEventNames)
        if (e.id == id) return ToText(e.name);
    if (id >= kFirstUserId && id < gNextUserId) return u"UserEvent";
    return ToText("Unknown Event, id=" + std::to_string(id));
}

int TEvent::AllocUserId() { return gNextUserId++; }

} // namespace engine
