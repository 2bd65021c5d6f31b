// platform/sdl/events.cpp - SDL's keyboard, mouse and window events as the messages of the
// desktop the program was written for: virtual-key codes, client coordinates, wheel notches.
#include "platform/common/canvas.h"
#include "platform/common/window.h"
#include "platform/sdl/sdl.h"

namespace {
enum : uintptr_t { MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008 };
constexpr int WheelDelta = 120;     // one notch
constexpr int MaxNotches = 16;      // per event; a flung wheel is not a flood

struct PointerState { int X, Y; };   // last client position
PointerState Pointer;

// Virtual keys the program has no command for; they are delivered all the same, since on the
// desktop every key press counts for the lock-out.
enum : uint32_t { VkClear = 0x0C, VkEnd = 0x23, VkHome = 0x24, VkInsert = 0x2D, VkMultiply = 0x6A,
                  VkDecimal = 0x6E, VkDivide = 0x6F, VkF10 = VK_F1 + 9 };

// The keypad keys that NumLock switches between a digit (or the decimal point) and the
// navigation key printed beside it.
struct PadKey {
    SDL_Keycode Sym;
    uint32_t    NumLockOn, NumLockOff;
};
constexpr PadKey PadKeys[] = {
    {SDLK_KP_0, VK_NUMPAD0, VkInsert},     {SDLK_KP_1, VK_NUMPAD0 + 1, VkEnd},
    {SDLK_KP_2, VK_NUMPAD0 + 2, VK_DOWN},  {SDLK_KP_3, VK_NUMPAD0 + 3, VK_NEXT},
    {SDLK_KP_4, VK_NUMPAD0 + 4, VK_LEFT},  {SDLK_KP_5, VK_NUMPAD0 + 5, VkClear},
    {SDLK_KP_6, VK_NUMPAD0 + 6, VK_RIGHT}, {SDLK_KP_7, VK_NUMPAD0 + 7, VkHome},
    {SDLK_KP_8, VK_NUMPAD0 + 8, VK_UP},    {SDLK_KP_9, VK_NUMPAD0 + 9, VK_PRIOR},
    {SDLK_KP_PERIOD, VkDecimal, VK_DELETE},
};

// The virtual-key code of a key, 0 for keys the desktop has no code for. Letters and digits
// follow the keyboard layout, as virtual keys do.
uint32_t VirtualKey(const SDL_Keysym& k) {
    const SDL_Keycode sym = k.sym;
    if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + (uint32_t)(sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + (uint32_t)(sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12) return VK_F1 + (uint32_t)(sym - SDLK_F1);
    for (const PadKey& p : PadKeys)
        if (p.Sym == sym) return (k.mod & KMOD_NUM) ? p.NumLockOn : p.NumLockOff;
    switch (sym) {
    case SDLK_KP_MULTIPLY: return VkMultiply;
    case SDLK_KP_DIVIDE: return VkDivide;
    case SDLK_HOME: return VkHome;
    case SDLK_END: return VkEnd;
    case SDLK_INSERT: return VkInsert;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_ENTER: case SDLK_RETURN: return VK_RETURN;
    case SDLK_EQUALS: case SDLK_PLUS: return VK_OEM_PLUS;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    default: return 0;
    }
}

// F10, Alt itself and every key while Alt is held are system keys, unless Ctrl is held too:
// Ctrl+Alt reaches the window as plain keys, so Ctrl then Alt gives the window Alt's press.
void PostKey(const SDL_KeyboardEvent& e) {
    const uint32_t vk = VirtualKey(e.keysym);
    if (vk == 0) return;
    const bool alt = vk == VK_MENU || (e.keysym.mod & KMOD_ALT) != 0;
    const bool system = (alt || vk == VkF10) && (e.keysym.mod & KMOD_CTRL) == 0;
    const bool down = e.type == SDL_KEYDOWN;
    intptr_t bits = 1;                                 // repeat count
    if (alt) bits |= 0x20000000;
    if (!down) bits |= 0xC0000000;                     // was down, is being released
    else if (e.repeat) bits |= 0x40000000;             // auto-repeat: the key was down already
    const uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    WindowPost(message, vk, bits);
}

// Client coordinates inside the window: the pointer may be outside while a button is held.
// A scaled window's screen pixels are divided back into the program's own.
intptr_t ClientPoint(int x, int y) {
    const int s = SdlScale();
    x = x < 0 ? -1 : x / s, y = y < 0 ? -1 : y / s;
    x = x < 0 ? 0 : x >= WindowCanvas.Width ? WindowCanvas.Width - 1 : x;
    y = y < 0 ? 0 : y >= WindowCanvas.Height ? WindowCanvas.Height - 1 : y;
    Pointer.X = x, Pointer.Y = y;
    return (intptr_t)(((uint32_t)(uint16_t)y << 16) | (uint16_t)x);
}

uintptr_t MouseKeys(uint32_t buttons) {
    uintptr_t mk = 0;
    if (buttons & SDL_BUTTON_LMASK) mk |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) mk |= MK_RBUTTON;
    const SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) mk |= MK_SHIFT;
    if (mod & KMOD_CTRL) mk |= MK_CONTROL;
    return mk;
}

void PostButton(const SDL_MouseButtonEvent& e) {
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    uint32_t message;
    if (e.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    else if (e.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    else return;
    WindowPost(message, MouseKeys(SDL_GetMouseState(nullptr, nullptr)), ClientPoint(e.x, e.y));
}

// One message per notch; the pointer goes along in screen coordinates.
void PostWheel(const SDL_MouseWheelEvent& e) {
    int notches = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.y : e.y;
    if (notches > MaxNotches) notches = MaxNotches;
    if (notches < -MaxNotches) notches = -MaxNotches;
    const int delta = notches > 0 ? WheelDelta : -WheelDelta;
    const uintptr_t wParam = ((uintptr_t)(uint16_t)(int16_t)delta << 16) |
                             MouseKeys(SDL_GetMouseState(nullptr, nullptr));
    const intptr_t screen = (intptr_t)(((uint32_t)(uint16_t)(Window.Y + Pointer.Y) << 16) |
                                       (uint16_t)(Window.X + Pointer.X));
    for (int i = notches < 0 ? -notches : notches; i > 0; i--) WindowPost(WM_MOUSEWHEEL, wParam, screen);
}

void WindowEvent(const SDL_WindowEvent& e) {
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: WindowPost(WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: WindowPost(WM_SETFOCUS, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        SdlFocusLost();
        WindowPost(WM_KILLFOCUS, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED: SdlMinimised(); break;
    case SDL_WINDOWEVENT_RESTORED:
        Window.Minimised = false;
        SdlShowCanvasAgain();
        break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: SdlShowCanvasAgain(); break;
    default: break;
    }
}
}  // namespace

void SdlTranslateEvent(const SDL_Event& ev) {
    if (!Window.Exists) return;
    switch (ev.type) {
    case SDL_QUIT: WindowPost(WM_CLOSE, 0, 0); break;   // the session or a signal asks to end
    case SDL_WINDOWEVENT: WindowEvent(ev.window); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: PostKey(ev.key); break;
    case SDL_MOUSEMOTION:
        WindowPost(WM_MOUSEMOVE, MouseKeys(ev.motion.state), ClientPoint(ev.motion.x, ev.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: PostButton(ev.button); break;
    case SDL_MOUSEWHEEL: PostWheel(ev.wheel); break;
    default: break;
    }
}
