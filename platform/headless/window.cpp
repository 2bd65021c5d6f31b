// platform/headless/window.cpp - the window, its message loop and the pump tests drive it with.
// Time moves only when told: the loop jumps the virtual clock to the next due timer instead
// of waiting for it.
#include <chrono>
#include <thread>
#include "platform/common/canvas.h"
#include "platform/common/window.h"
#include "platform/headless/headless.h"
#include "platform/headless/internal.h"

bool PlatRegisterWindowClass(const char* className, PlatWndProc proc) {
    return WindowRegisterClass(className, proc);
}

bool PlatCreateWindow(const char* className, const char* title, int x, int y, int w, int h) {
    (void)title;
    return WindowOpen(className, x, y, w, h);
}

void PlatDestroyWindow() { WindowClose(); }

void PlatMinimiseWindow() {
    if (Window.Exists) Window.Minimised = true;
}

void PlatRestoreWindow() {
    if (!Window.Exists || !Window.Minimised) return;
    Window.Minimised = false;
    Window.Queue.Invalid = true;   // a restored window repaints its client area
}

void PlatEndPaint() {
    int l, t, r, b;
    CanvasTakeDirty(&l, &t, &r, &b);   // nothing to present to
}

bool PlatGetMessage(PlatMsg* msg) {
    for (;;) {
        switch (QueueNext(Window.Queue, BackendNowMs(), msg)) {
        case QueueResult::Message: return true;
        case QueueResult::Quit: return false;
        case QueueResult::Nothing: break;
        }
        // Only a timer can still bring a message; without one the loop would wait forever.
        const int64_t due = QueueEarliestDueMs(Window.Queue);
        if (due < 0) return false;
        const int64_t now = BackendNowMs();
        if (due <= now) continue;
        if (HeadlessRealClock())
            std::this_thread::sleep_for(std::chrono::milliseconds(due - now));
        else
            HeadlessAdvanceClockTo(due);
    }
}

bool HeadlessPumpOne() {
    PlatMsg msg;
    if (QueueNext(Window.Queue, BackendNowMs(), &msg) != QueueResult::Message) return false;
    PlatDispatchMessage(&msg);
    return true;
}

int HeadlessPumpUntilIdle(int maxMessages) {
    int handled = 0;
    while (handled < maxMessages && HeadlessPumpOne()) handled++;
    return handled;
}

bool HeadlessQuitPosted() { return Window.Queue.QuitPosted; }
int  HeadlessQuitCode() { return Window.Queue.QuitCode; }

bool HeadlessWindowExists() { return Window.Exists; }
bool HeadlessMinimised() { return Window.Exists && Window.Minimised; }
int  HeadlessWindowX() { return Window.X; }
int  HeadlessWindowY() { return Window.Y; }
int  HeadlessCanvasWidth() { return WindowCanvas.Width; }
int  HeadlessCanvasHeight() { return WindowCanvas.Height; }
const uint32_t* HeadlessCanvas() { return WindowCanvas.Pixels; }
bool HeadlessTimerSet(int id) { return QueueTimerSet(Window.Queue, id); }

void HeadlessDrawNowhere() { WindowCanvas.NoPixels = true; }

uint32_t HeadlessPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= WindowCanvas.Width || y >= WindowCanvas.Height || WindowCanvas.NoPixels)
        return CLR_INVALID;
    return WindowCanvas.Pixels[(size_t)y * WindowCanvas.Width + x];
}

void HeadlessReset() {
    WindowReset();
    WindowCanvas.NoPixels = false;
    HeadlessResetSystem();
    HeadlessResetInput();
    HeadlessResetFiles();
}
