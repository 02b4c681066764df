// SDL events to engine events, with the game's key and button numbers (the
// classic desktop virtual-key codes). Letters follow the keyboard layout,
// since they come from keycodes, not scan codes.
#include "engine/input/event.h"
#include "engine/input/input.h"
#include "engine/platform/sdl_internal.h"

namespace engine::platform {

namespace {

struct KeyEntry {
    SDL_Keycode sdl;
    int code;
};

const KeyEntry kKeys[] = {
    {SDLK_BACKSPACE, KEY_BACKSPACE}, {SDLK_TAB, KEY_TAB}, {SDLK_RETURN, KEY_ENTER}, {SDLK_KP_ENTER, KEY_ENTER},
    {SDLK_ESCAPE, KEY_ESCAPE}, {SDLK_SPACE, KEY_SPACE}, {SDLK_PAUSE, 19}, {SDLK_CAPSLOCK, 20},
    {SDLK_PAGEUP, 33}, {SDLK_PAGEDOWN, 34}, {SDLK_END, 35}, {SDLK_HOME, 36},
    {SDLK_LEFT, KEY_LEFT}, {SDLK_UP, KEY_UP}, {SDLK_RIGHT, KEY_RIGHT}, {SDLK_DOWN, KEY_DOWN},
    {SDLK_PRINTSCREEN, 44}, {SDLK_INSERT, 45}, {SDLK_DELETE, 46},
    {SDLK_LGUI, 91}, {SDLK_RGUI, 92}, {SDLK_APPLICATION, 93},
    {SDLK_KP_0, 96}, {SDLK_KP_1, 97}, {SDLK_KP_2, 98}, {SDLK_KP_3, 99}, {SDLK_KP_4, 100},
    {SDLK_KP_5, 101}, {SDLK_KP_6, 102}, {SDLK_KP_7, 103}, {SDLK_KP_8, 104}, {SDLK_KP_9, 105},
    {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107}, {SDLK_KP_MINUS, 109}, {SDLK_KP_PERIOD, 110},
    {SDLK_KP_DIVIDE, 111}, {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145},
    {SDLK_LSHIFT, KEY_LSHIFT}, {SDLK_RSHIFT, KEY_RSHIFT}, {SDLK_LCTRL, KEY_LCONTROL},
    {SDLK_RCTRL, KEY_RCONTROL}, {SDLK_LALT, KEY_LALT}, {SDLK_RALT, KEY_RALT},
    {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187}, {SDLK_COMMA, 188}, {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190}, {SDLK_SLASH, 191}, {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
};

// 0 for keys the game has no number for
int KeyCode(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) return KEY_A + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return KEY_0 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return KEY_F1 + (key - SDLK_F1);
    for (const KeyEntry& k : kKeys)
        if (k.sdl == key) return k.code;
    return 0;
}

// With NumLock off the keypad is a second cursor block, as on the desktop;
// 0 for the keys that keep their own number either way
int KeypadCursorCode(SDL_Keycode key)
{
    switch (key) {
    case SDLK_KP_8: return KEY_UP;
    case SDLK_KP_2: return KEY_DOWN;
    case SDLK_KP_4: return KEY_LEFT;
    case SDLK_KP_6: return KEY_RIGHT;
    case SDLK_KP_7: return 36;   // Home
    case SDLK_KP_1: return 35;   // End
    case SDLK_KP_9: return 33;   // Page Up
    case SDLK_KP_3: return 34;   // Page Down
    case SDLK_KP_0: return 45;   // Insert
    case SDLK_KP_PERIOD: return 46;   // Delete
    case SDLK_KP_5: return 12;   // Clear
    default: return 0;
    }
}

int KeyCodeOf(const SDL_Keysym& key)
{
    if (!(key.mod & KMOD_NUM))
        if (int cursor = KeypadCursorCode(key.sym)) return cursor;
    return KeyCode(key.sym);
}

// The number each held key went down with, so that its release matches even
// when NumLock changed in between
int gPressedCode[SDL_NUM_SCANCODES];

int PressCode(const SDL_Keysym& key)
{
    int code = KeyCodeOf(key);
    if (key.scancode >= 0 && key.scancode < SDL_NUM_SCANCODES) gPressedCode[key.scancode] = code;
    return code;
}

int ReleaseCode(const SDL_Keysym& key)
{
    if (key.scancode < 0 || key.scancode >= SDL_NUM_SCANCODES) return KeyCodeOf(key);
    int code = gPressedCode[key.scancode];
    gPressedCode[key.scancode] = 0;
    return code ? code : KeyCodeOf(key);
}

// SDL's own modifier state is already past every event of the current
// pump, so follow it through the key events as they are handed out
int gModifiers = 0;

int ModifierBits(Uint16 m)
{
    return ((m & KMOD_SHIFT) ? MODIFIER_SHIFT : 0) | ((m & KMOD_CTRL) ? MODIFIER_CONTROL : 0) |
           ((m & KMOD_ALT) ? MODIFIER_OPTION : 0) | ((m & KMOD_GUI) ? MODIFIER_SYSTEM : 0);
}

void Emit(int id, int data = 0, int x = 0, int y = 0)
{
    TEvent e = TEvent::Create(id, nullptr, data, gModifiers, x, y);
    e.Emit();
}

// These keys type a character of their own, as the desktop does, which the
// text service never reports
int ControlChar(int code)
{
    switch (code) {
    case KEY_BACKSPACE: case KEY_TAB: case KEY_ENTER: case KEY_ESCAPE: return code;
    default: return 0;
    }
}

void TranslateKey(const SDL_KeyboardEvent& key)
{
    gModifiers = ModifierBits(key.keysym.mod);
    int code = key.type == SDL_KEYUP ? ReleaseCode(key.keysym) : PressCode(key.keysym);
    if (code <= 0 || code > 255) return;
    if (key.type == SDL_KEYUP) {
        Emit(EVENT_KEYUP, code);
        return;
    }
    // Alt with F4 asks to close, like the close button
    if (code == KEY_F4 && (key.keysym.mod & KMOD_ALT) && !key.repeat) Emit(EVENT_APPTERMINATE);
    Emit(key.repeat ? EVENT_KEYREPEAT : EVENT_KEYDOWN, code);
    if (int ch = ControlChar(code)) Emit(EVENT_KEYCHAR, ch);
}

// UTF-8 to character codes; characters beyond 16 bits cannot be typed
void TranslateText(const char* text)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        unsigned code = *s++;
        int extra = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : 0;
        code &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
        for (; extra > 0 && (*s & 0xC0) == 0x80; --extra) code = (code << 6) | (*s++ & 0x3F);
        if (extra == 0 && code <= 0xFFFF) Emit(EVENT_KEYCHAR, int(code));
    }
}

int ButtonNumber(Uint8 sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return MOUSE_LEFT;
    case SDL_BUTTON_RIGHT: return MOUSE_RIGHT;
    case SDL_BUTTON_MIDDLE: return MOUSE_MIDDLE;
    default: return 0;
    }
}

void TranslateButton(const SDL_MouseButtonEvent& b)
{
    int button = ButtonNumber(b.button);
    if (button == 0) return;
    int x = b.x, y = b.y;
    MapMouseToPicture(b.windowID, x, y);
    bool down = b.type == SDL_MOUSEBUTTONDOWN;
    // A window keeps the mouse while a button is held, so a release outside
    // it still arrives
    if (!IsFullscreenWindow(b.windowID)) SDL_CaptureMouse(down || SDL_GetMouseState(nullptr, nullptr) ? SDL_TRUE : SDL_FALSE);
    Emit(down ? EVENT_MOUSEDOWN : EVENT_MOUSEUP, button, x, y);
}

void TranslateWindow(const SDL_WindowEvent& w)
{
    switch (w.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST: Emit(EVENT_APPSUSPEND); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: Emit(EVENT_APPRESUME); break;
    case SDL_WINDOWEVENT_CLOSE: Emit(EVENT_APPTERMINATE); break;
    case SDL_WINDOWEVENT_ENTER: Emit(EVENT_MOUSEENTER); break;
    case SDL_WINDOWEVENT_LEAVE: Emit(EVENT_MOUSELEAVE); break;
    default: break;
    }
}

} // namespace

void TranslateEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: TranslateKey(event.key); break;
    case SDL_TEXTINPUT: TranslateText(event.text.text); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: TranslateButton(event.button); break;
    case SDL_MOUSEMOTION: {
        int x = event.motion.x, y = event.motion.y;
        MapMouseToPicture(event.motion.windowID, x, y);
        Emit(EVENT_MOUSEMOVE, 0, x, y);
        break;
    }
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        MapMouseToPicture(event.wheel.windowID, x, y);
        int steps = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        Emit(EVENT_MOUSEWHEEL, steps, x, y);
        break;
    }
    case SDL_WINDOWEVENT: TranslateWindow(event.window); break;
    default: break;
    }
}

} // namespace engine::platform
