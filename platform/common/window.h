// platform/common/window.h - the one window as the backends without a desktop of their own
// keep it: the registered window procedure, the message queue and the window's state.
// The backend supplies the clock and the native window; everything else lives here once.
#pragma once
#include <cstdint>
#include "platform/common/queue.h"
#include "platform/platform.h"

struct WindowCore {
    PlatWndProc  Proc;             // registered with the class, receives every message
    char         ClassName[64];
    bool         Exists;
    bool         Destroying;       // WM_DESTROY is being handled; a second destroy is ignored
    bool         Minimised;
    int          X, Y;             // top-left corner on the screen
    MessageQueue Queue;
};
extern WindowCore Window;

int64_t BackendNowMs();   // each backend's clock, the one its timers run on

bool WindowRegisterClass(const char* className, PlatWndProc proc);
// Creates the window's state and canvas, marks it for a first paint and sends WM_CREATE.
bool WindowOpen(const char* className, int x, int y, int w, int h);
// Sends WM_DESTROY, then drops everything the window owned: its queued messages, its
// paint request and its timers. A posted quit survives, since WM_DESTROY usually posts it.
void WindowClose();
bool WindowPost(uint32_t message, uintptr_t wParam, intptr_t lParam);   // dropped without a window
intptr_t WindowSend(uint32_t message, uintptr_t wParam, intptr_t lParam);
void WindowReset();       // no class, no window, empty queue, no quit
