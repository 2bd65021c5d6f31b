// platform/headless/input.cpp - keyboard, mouse and focus input, posted as the desktop
// would deliver it to the window.
#include "platform/common/window.h"
#include "platform/headless/headless.h"
#include "platform/headless/internal.h"

namespace {
enum : uintptr_t { MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002 };
constexpr intptr_t KeyDownBits = 1;            // repeat count 1
constexpr intptr_t KeyUpBits = 0xC0000001;     // key was down, is being released
constexpr intptr_t AltBit = 0x20000000;        // the key came with Alt held

struct PointerState {
    int       X, Y;       // last client position
    uintptr_t Buttons;    // MK_ flags of the held buttons
};
PointerState Pointer;

// Client coordinates as two 16-bit words, x low.
intptr_t PointParam(int x, int y) {
    return (intptr_t)(((uint32_t)(uint16_t)y << 16) | (uint16_t)x);
}

void PostMouse(uint32_t message, int x, int y) {
    Pointer.X = x, Pointer.Y = y;
    WindowPost(message, Pointer.Buttons, PointParam(x, y));
}
}  // namespace

void HeadlessResetInput() { Pointer = PointerState{}; }

void HeadlessKeyDown(uint32_t vk) { WindowPost(WM_KEYDOWN, vk, KeyDownBits); }
void HeadlessKeyUp(uint32_t vk) { WindowPost(WM_KEYUP, vk, KeyUpBits); }
void HeadlessKey(uint32_t vk) {
    HeadlessKeyDown(vk);
    HeadlessKeyUp(vk);
}
void HeadlessSysKeyDown(uint32_t vk) { WindowPost(WM_SYSKEYDOWN, vk, KeyDownBits | AltBit); }

void HeadlessMouseMove(int x, int y) { PostMouse(WM_MOUSEMOVE, x, y); }
void HeadlessButtonDown(int x, int y) {
    Pointer.Buttons |= MK_LBUTTON;
    PostMouse(WM_LBUTTONDOWN, x, y);
}
void HeadlessButtonUp(int x, int y) {
    Pointer.Buttons &= ~MK_LBUTTON;
    PostMouse(WM_LBUTTONUP, x, y);
}
void HeadlessClick(int x, int y) {
    HeadlessButtonDown(x, y);
    HeadlessButtonUp(x, y);
}
void HeadlessRightClick(int x, int y) {
    Pointer.Buttons |= MK_RBUTTON;
    PostMouse(WM_RBUTTONDOWN, x, y);
    Pointer.Buttons &= ~MK_RBUTTON;
    PostMouse(WM_RBUTTONUP, x, y);
}

// The wheel reports the delta in the high word and, unlike the other mouse messages,
// the pointer in screen coordinates.
void HeadlessWheel(int delta) {
    const uintptr_t wParam = ((uintptr_t)(uint16_t)(int16_t)delta << 16) | Pointer.Buttons;
    WindowPost(WM_MOUSEWHEEL, wParam, PointParam(Window.X + Pointer.X, Window.Y + Pointer.Y));
}

void HeadlessFocus(bool gained) { WindowPost(gained ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0); }
void HeadlessClose() { WindowPost(WM_CLOSE, 0, 0); }
