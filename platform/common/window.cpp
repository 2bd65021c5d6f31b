// platform/common/window.cpp - window procedure calls, the default handling of closing,
// invalidation and timers, shared by the backends that imitate the desktop.
#include "platform/common/window.h"
#include <cstdio>
#include <cstring>
#include "platform/common/canvas.h"

WindowCore Window;

// The quit request belongs to the thread, not to the window: it outlives the window.
static void ClearKeepingQuit() {
    const bool quit = Window.Queue.QuitPosted;
    const int quitCode = Window.Queue.QuitCode;
    QueueClear(Window.Queue);
    Window.Queue.QuitPosted = quit, Window.Queue.QuitCode = quitCode;
}

bool WindowRegisterClass(const char* className, PlatWndProc proc) {
    if (!className || !proc || std::strlen(className) >= sizeof Window.ClassName) return false;
    std::snprintf(Window.ClassName, sizeof Window.ClassName, "%s", className);
    Window.Proc = proc;
    return true;
}

bool WindowOpen(const char* className, int x, int y, int w, int h) {
    if (Window.Exists || !Window.Proc || !className || std::strcmp(className, Window.ClassName) != 0)
        return false;
    if (!CanvasOpen(w, h)) return false;
    ClearKeepingQuit();
    Window.Exists = true;
    Window.Destroying = false;
    Window.Minimised = false;
    Window.X = x, Window.Y = y;
    Window.Queue.Invalid = true;   // a visible window starts with its whole client area invalid
    if (Window.Proc(WM_CREATE, 0, 0) == -1) {   // the procedure refused the window
        WindowClose();
        return false;
    }
    return true;
}

void WindowClose() {
    if (!Window.Exists || Window.Destroying) return;
    Window.Destroying = true;
    Window.Proc(WM_DESTROY, 0, 0);
    ClearKeepingQuit();
    Window.Exists = false;
    Window.Destroying = false;
    Window.Minimised = false;
}

bool WindowPost(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Window.Exists || Window.Destroying) return false;
    return QueuePost(Window.Queue, message, wParam, lParam);
}

intptr_t WindowSend(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Window.Exists || !Window.Proc) return 0;
    return Window.Proc(message, wParam, lParam);
}

void WindowReset() {
    Window = WindowCore{};
    CanvasClose();
}

void PlatDispatchMessage(const PlatMsg* msg) {
    if (!msg || msg->message == WM_QUIT) return;
    WindowSend(msg->message, msg->wParam, msg->lParam);
}

intptr_t PlatDefWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    (void)lParam;
    switch (message) {
    case WM_CLOSE: PlatDestroyWindow(); break;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) WindowSend(WM_CLOSE, 0, 0);   // Alt+F4 asks the window to close
        break;
    case WM_PAINT: Window.Queue.Invalid = false; break;   // an unhandled paint still validates
    default: break;
    }
    return 0;
}

void PlatPostQuitMessage(int code) {
    Window.Queue.QuitPosted = true;
    Window.Queue.QuitCode = code;
}

void PlatInvalidate() {
    if (Window.Exists) Window.Queue.Invalid = true;
}

bool PlatPaintPending() { return Window.Exists && Window.Queue.Invalid; }

void PlatBeginPaint() { Window.Queue.Invalid = false; }

void PlatSetTimer(int id, int ms) {
    if (Window.Exists && !Window.Destroying) QueueSetTimer(Window.Queue, id, ms, BackendNowMs());
}

void PlatKillTimer(int id) { QueueKillTimer(Window.Queue, id); }
