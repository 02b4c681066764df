#include "engine/input/input.h"

#include "engine/input/event.h"
#include "engine/input/hook.h"
#include "engine/input/system_driver.h"

namespace engine {

TInputState gInput;

namespace {

bool gHookInstalled = false;

void AutoPoll()
{
    if (gInput.autoPoll) PollSystem();
}

void ClearKeyboard()
{
    for (int i = 0; i < 256; ++i) gInput.keyDown[i] = gInput.keyHits[i] = 0;
    gInput.charPut = gInput.charGet = 0;
}

void ClearMouse()
{
    for (int i = 0; i < 4; ++i) gInput.mouseDown[i] = gInput.mouseHits[i] = 0;
    gInput.mouseZ = 0;
}

void Press(int* down, int* hits, int index)
{
    // A key already held adds nothing, so a held key gives one hit per press
    if (down[index]) return;
    down[index] = 1;
    ++hits[index];
}

void QueueChar(int code)
{
    // Never overwrite a character that has not been read
    if (gInput.charPut - gInput.charGet > 255) return;
    gInput.charQueue[gInput.charPut & 255] = code;
    ++gInput.charPut;
}

void Fold(const TEvent& e)
{
    bool key = e.data > 0 && e.data < 256;
    bool button = e.data > 0 && e.data < 4;
    switch (e.id) {
    case EVENT_APPSUSPEND: ClearKeyboard(); ClearMouse(); gInput.suspended = 1; break;
    case EVENT_APPRESUME: ClearKeyboard(); ClearMouse(); gInput.suspended = 0; break;
    case EVENT_APPTERMINATE: gInput.terminate = 1; break;
    case EVENT_KEYDOWN: if (key) Press(gInput.keyDown, gInput.keyHits, e.data); break;
    case EVENT_KEYUP: if (key) gInput.keyDown[e.data] = 0; break;
    case EVENT_KEYCHAR: QueueChar(e.data); break;
    case EVENT_MOUSEDOWN: if (button) Press(gInput.mouseDown, gInput.mouseHits, e.data); break;
    case EVENT_MOUSEUP: if (button) gInput.mouseDown[e.data] = 0; break;
    case EVENT_MOUSEMOVE: gInput.mouseX = e.x; gInput.mouseY = e.y; break;
    case EVENT_MOUSEWHEEL: gInput.mouseZ += e.data; break;
    default: break;
    }
}

void* InputHook(int, void* data, void*)
{
    const TEvent* e = static_cast<const TEvent*>(data);
    if (e && (!gInput.eventSource || e->source == gInput.eventSource)) Fold(*e);
    return data;
}

} // namespace

void InstallInputHook(const void* source)
{
    RemoveInputHook();
    ClearKeyboard();
    ClearMouse();
    gInput.eventSource = source;
    AddHook(EmitEventHook(), InputHook, nullptr, 0);
    gHookInstalled = true;
}

void RemoveInputHook()
{
    if (!gHookInstalled) return;
    ClearKeyboard();
    ClearMouse();
    RemoveHook(EmitEventHook(), InputHook, nullptr);
    gInput.eventSource = nullptr;
    gHookInstalled = false;
}

int TakeKeyHits(int key)
{
    AutoPoll();
    if (key < 0 || key > 255) return 0;
    int hits = gInput.keyHits[key];
    gInput.keyHits[key] = 0;
    return hits;
}

int KeyIsDown(int key)
{
    AutoPoll();
    return (key >= 0 && key <= 255) ? gInput.keyDown[key] : 0;
}

int PopTypedChar()
{
    AutoPoll();
    if (gInput.charGet == gInput.charPut) return 0;
    return gInput.charQueue[gInput.charGet++ & 255];
}

int FlushInput()
{
    PollSystem();
    ClearKeyboard();
    return 0;
}

void FlushMouse()
{
    PollSystem();
    ClearMouse();
}

int MousePosX() { AutoPoll(); return gInput.mouseX; }
int MousePosY() { AutoPoll(); return gInput.mouseY; }
int MousePosZ() { AutoPoll(); return gInput.mouseZ; }

int TakeMouseHits(int button)
{
    AutoPoll();
    if (button < 0 || button > 3) return 0;
    int hits = gInput.mouseHits[button];
    gInput.mouseHits[button] = 0;
    return hits;
}

int MouseIsDown(int button)
{
    AutoPoll();
    return (button >= 0 && button <= 3) ? gInput.mouseDown[button] : 0;
}

int AppSuspended() { AutoPoll(); return gInput.suspended; }

int AppTerminate()
{
    AutoPoll();
    int flag = gInput.terminate;
    gInput.terminate = 0;
    return flag;
}

// The waits read the state directly: a query per key would poll 256 times
int WaitKey()
{
    FlushInput();
    FlushMouse();
    while (SystemDriver()) {
        for (int key = 1; key < 256; ++key) {
            if (gInput.keyHits[key]) {
                gInput.keyHits[key] = 0;
                return key;
            }
        }
        WaitSystem();
    }
    return 0;
}

int WaitChar()
{
    FlushInput();
    FlushMouse();
    while (SystemDriver()) {
        if (gInput.charGet != gInput.charPut) return gInput.charQueue[gInput.charGet++ & 255];
        WaitSystem();
    }
    return 0;
}

int WaitMouse()
{
    FlushInput();
    FlushMouse();
    while (SystemDriver()) {
        for (int button = 1; button < 4; ++button) {
            if (gInput.mouseHits[button]) {
                gInput.mouseHits[button] = 0;
                return button;
            }
        }
        WaitSystem();
    }
    return 0;
}

} // namespace engine
