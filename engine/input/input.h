// The polled input state and its queries.
#pragma once

namespace engine {

// Key codes the game relies on (the classic desktop virtual-key numbers)
enum : int {
    KEY_BACKSPACE = 8, KEY_TAB = 9, KEY_ENTER = 13, KEY_ESCAPE = 27, KEY_SPACE = 32,
    KEY_LEFT = 37, KEY_UP = 38, KEY_RIGHT = 39, KEY_DOWN = 40,
    KEY_0 = 48, KEY_A = 65, KEY_D = 68, KEY_S = 83, KEY_W = 87,
    KEY_F1 = 112, KEY_F2 = 113, KEY_F3 = 114, KEY_F4 = 115, KEY_F12 = 123,
    KEY_LSHIFT = 160, KEY_RSHIFT = 161, KEY_LCONTROL = 162, KEY_RCONTROL = 163,
    KEY_LALT = 164, KEY_RALT = 165,
};
enum : int { MOUSE_LEFT = 1, MOUSE_RIGHT = 2, MOUSE_MIDDLE = 3 };

struct TInputState {
    int keyDown[256] = {};
    int keyHits[256] = {};
    int mouseDown[4] = {};
    int mouseHits[4] = {};
    int mouseX = 0, mouseY = 0, mouseZ = 0;
    int charQueue[256] = {};
    int charPut = 0, charGet = 0;   // characters ever queued and ever taken
    int suspended = 0;
    int terminate = 0;
    int autoPoll = 1;
    const void* eventSource = nullptr;   // null accepts events of every source
};
extern TInputState gInput;

// Installed by every display opening and removed by its closing; both clear
// the keyboard and mouse state
void InstallInputHook(const void* source);
void RemoveInputHook();

// Queries: each polls first (auto-poll)
int TakeKeyHits(int key);
int KeyIsDown(int key);
int PopTypedChar();
int FlushInput();          // character queue, key flags and key hits
void FlushMouse();         // button flags and hits, wheel sum
int MousePosX();
int MousePosY();
int MousePosZ();
int TakeMouseHits(int button);
int MouseIsDown(int button);
int AppSuspended();
int AppTerminate();        // returns the flag and clears it
// Flush, then block on platform messages until any key, character or button arrives
int WaitKey();
int WaitChar();
int WaitMouse();

} // namespace engine
