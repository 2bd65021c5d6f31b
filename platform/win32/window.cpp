// platform/win32/window.cpp - the window class, the pop-up window, its message loop and its
// timers, passed straight to the desktop: Windows itself orders the messages, coalesces
// paints and holds timers back until nothing else waits.
#include "platform/win32/win32.h"

namespace {
struct WindowState {
    PlatWndProc Proc;      // the program's procedure, registered with the class
    HWND        Handle;    // from the first message on, before CreateWindowExA returns
    MSG         Last;      // the message PlatGetMessage handed out last, as the desktop gave it
};
WindowState Win;

// Every message of the class's window reaches the program's procedure; the window handle
// stays here, since the procedure knows only one window.
LRESULT CALLBACK ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Win.Handle) Win.Handle = hwnd;
    LRESULT result = Win.Proc ? Win.Proc(message, wParam, lParam) : DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Win.Handle = nullptr;
        Win32ReleaseBrushes();
    }
    return result;
}
}  // namespace

HWND Win32Window() { return Win.Handle; }

bool PlatRegisterWindowClass(const char* className, PlatWndProc proc) {
    if (!className || !proc) return false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = ClassProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "APPICON");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);   // the system never erases the picture
    wc.lpszClassName = className;
    Win.Proc = proc;
    if (RegisterClassExA(&wc) != 0) return true;
    Win.Proc = nullptr;
    return false;
}

bool PlatCreateWindow(const char* className, const char* title, int x, int y, int w, int h) {
    if (Win.Handle || !Win.Proc) return false;
    HWND hwnd = CreateWindowExA(0, className, title, WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (hwnd) Win.Handle = hwnd;
    return hwnd != nullptr;
}

void PlatDestroyWindow() {
    if (Win.Handle) DestroyWindow(Win.Handle);
}

void PlatPostQuitMessage(int code) { PostQuitMessage(code); }

void PlatMinimiseWindow() {
    if (Win.Handle) ShowWindow(Win.Handle, SW_MINIMIZE);
}

void PlatRestoreWindow() {
    if (Win.Handle) ShowWindow(Win.Handle, SW_RESTORE);
}

intptr_t PlatDefWindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return DefWindowProcA(Win.Handle, message, wParam, lParam);
}

// A result of -1 (an invalid argument, never the case here) is no reason to stop: the loop
// ends only on WM_QUIT.
bool PlatGetMessage(PlatMsg* msg) {
    const BOOL got = GetMessageA(&Win.Last, nullptr, 0, 0);
    *msg = PlatMsg{Win.Last.message, Win.Last.wParam, Win.Last.lParam};
    return got != 0;
}

// The message as the desktop delivered it, with its window, time and point; a message the
// program made up itself goes to the one window.
void PlatDispatchMessage(const PlatMsg* msg) {
    if (!msg) return;
    MSG native = Win.Last;
    if (native.message != msg->message || native.wParam != msg->wParam || native.lParam != msg->lParam)
        native = MSG{Win.Handle, msg->message, msg->wParam, msg->lParam, 0, {0, 0}};
    TranslateMessage(&native);
    DispatchMessageA(&native);
}

void PlatInvalidate() {
    if (Win.Handle) InvalidateRect(Win.Handle, nullptr, FALSE);
}

// The paints waiting now; the low word would also count paints that came and were
// validated since the last look, and a paint that is no longer owed must not stop a new one.
bool PlatPaintPending() { return (HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0; }

void PlatSetTimer(int id, int ms) {
    if (Win.Handle) SetTimer(Win.Handle, (UINT_PTR)id, (UINT)ms, nullptr);
}

void PlatKillTimer(int id) {
    if (Win.Handle) KillTimer(Win.Handle, (UINT_PTR)id);
}
