// platform/sdl/window.cpp - the borderless window, its paints and its message loop on SDL.
// Drawing goes to the common canvas; each paint ends by copying what it drew to the window.
#include <climits>
#include "platform/common/canvas.h"
#include "platform/common/window.h"
#include "platform/sdl/sdl.h"

namespace {
struct SdlWindowState {
    SDL_Window*  Native;
    SDL_Surface* CanvasSurface;   // the canvas pixels as SDL sees them, shared, not copied
    int64_t      PresentedMs;     // when the window last received the canvas
    bool         Unpresented;     // painted since then
    bool         MinimiseAsked;   // a minimise was asked for and has not happened yet
    int64_t      MinimiseAskedMs;
    bool         RestoreAwaited;  // the window stayed up, and the program has not restored it yet
    int64_t      FocusSentMs;     // when the focus message last went for that
};
SdlWindowState Sdl;

// A desktop whose window manager ignores minimising never reports the window minimised; after
// this long without the report the window counts as shown.
constexpr int64_t MinimiseWaitMs = 500;

// The window stayed up: if it kept the keyboard too, it is as good as restored, and the
// window is told so as it is told of a restore. Without the keyboard the focus message comes
// when the user returns to it. A program busy with a command lets that message pass, so it
// comes again every wait until the program restores the window; a real minimise, a restore
// or a lost focus ends the repeats.
void CheckMinimiseHappened() {
    const int64_t now = BackendNowMs();
    if (Sdl.MinimiseAsked && now - Sdl.MinimiseAskedMs >= MinimiseWaitMs) {
        Sdl.MinimiseAsked = false;
        Sdl.RestoreAwaited = true;
        Sdl.FocusSentMs = now - MinimiseWaitMs;
    }
    if (!Sdl.RestoreAwaited || now - Sdl.FocusSentMs < MinimiseWaitMs) return;
    Sdl.FocusSentMs = now;
    if (!Window.Minimised && Sdl.Native && (SDL_GetWindowFlags(Sdl.Native) & SDL_WINDOW_INPUT_FOCUS))
        WindowPost(WM_SETFOCUS, 0, 0);
    else Sdl.RestoreAwaited = false;
}

// When the check above is next due, or -1.
int64_t MinimiseCheckDueMs() {
    if (Sdl.MinimiseAsked) return Sdl.MinimiseAskedMs + MinimiseWaitMs;
    return Sdl.RestoreAwaited ? Sdl.FocusSentMs + MinimiseWaitMs : -1;
}

// While paints follow each other (a picture draws one tile per paint, a thousand a second
// and more), the window receives the canvas at most this often; sending each tile to the
// display on its own took longer than computing it. What is left goes out as soon as the
// messages run dry, or with the first message after the interval.
constexpr int64_t PresentEveryMs = 20;

void Present() {
    Sdl.Unpresented = false;
    Sdl.PresentedMs = BackendNowMs();
    int l, t, r, b;
    if (!Sdl.Native || !Sdl.CanvasSurface || !CanvasTakeDirty(&l, &t, &r, &b)) return;
    SDL_Surface* screen = SDL_GetWindowSurface(Sdl.Native);
    if (!screen) {
        CanvasMarkDirty(l, t, r, b);   // try again with the next paint
        return;
    }
    // Scaled by a whole factor, nearest pixel: each canvas pixel becomes a square block.
    const int s = SdlScale();
    SDL_Rect src{l, t, r - l, b - t}, dst{l * s, t * s, (r - l) * s, (b - t) * s};
    if (s == 1) SDL_BlitSurface(Sdl.CanvasSurface, &src, screen, &dst);
    else SDL_BlitScaled(Sdl.CanvasSurface, &src, screen, &dst);
    SDL_UpdateWindowSurfaceRects(Sdl.Native, &dst, 1);
}

bool PresentDue() { return Sdl.Unpresented && BackendNowMs() - Sdl.PresentedMs >= PresentEveryMs; }
}  // namespace

SDL_Window* SdlWindow() { return Sdl.Native; }

bool PlatRegisterWindowClass(const char* className, PlatWndProc proc) {
    return SdlVideoReady() && WindowRegisterClass(className, proc);
}

bool PlatCreateWindow(const char* className, const char* title, int x, int y, int w, int h) {
    if (Sdl.Native || !SdlVideoReady()) return false;
    // The program places the window on the primary display; its origin need not be the desktop's.
    SDL_Rect display{0, 0, 0, 0};
    SDL_GetDisplayBounds(0, &display);
    const int s = SdlScale();
    Sdl.Native = SDL_CreateWindow(title, display.x + x * s, display.y + y * s, w * s, h * s,
                                  SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!Sdl.Native) return false;
    SdlSetWindowIcon(Sdl.Native);
    if (!WindowOpen(className, x, y, w, h)) {
        SDL_DestroyWindow(Sdl.Native);
        Sdl.Native = nullptr;
        return false;
    }
    Sdl.CanvasSurface = SDL_CreateRGBSurfaceWithFormatFrom(WindowCanvas.Pixels, w, h, PlatBitsPerPixel,
                                                           w * PlatBytesPerPixel, SDL_PIXELFORMAT_RGB888);
    if (!Sdl.CanvasSurface) {
        PlatDestroyWindow();
        return false;
    }
    SDL_SetSurfaceBlendMode(Sdl.CanvasSurface, SDL_BLENDMODE_NONE);
    SDL_ShowWindow(Sdl.Native);
    return true;
}

void PlatDestroyWindow() {
    if (!Sdl.Native || Window.Destroying) return;
    WindowClose();
    if (Sdl.CanvasSurface) SDL_FreeSurface(Sdl.CanvasSurface);
    SDL_DestroyWindow(Sdl.Native);
    Sdl = SdlWindowState{};
}

void PlatMinimiseWindow() {
    if (!Sdl.Native) return;
    Sdl.MinimiseAsked = true;
    Sdl.MinimiseAskedMs = BackendNowMs();
    Sdl.RestoreAwaited = false;
    SDL_MinimizeWindow(Sdl.Native);
}

void SdlMinimised() {
    Window.Minimised = true;
    Sdl.MinimiseAsked = false;
    Sdl.RestoreAwaited = false;
}

void SdlFocusLost() { Sdl.RestoreAwaited = false; }

void PlatRestoreWindow() {
    if (!Sdl.Native) return;
    Window.Minimised = false;
    Sdl.RestoreAwaited = false;
    SDL_RestoreWindow(Sdl.Native);
    SdlShowCanvasAgain();
}

void SdlShowCanvasAgain() {
    CanvasMarkAllDirty();
    PlatInvalidate();
}

void PlatEndPaint() {
    Sdl.Unpresented = true;
    if (PresentDue()) Present();
}

bool PlatGetMessage(PlatMsg* msg) {
    for (;;) {
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) SdlTranslateEvent(ev);
        CheckMinimiseHappened();
        if (PresentDue()) Present();
        switch (QueueNext(Window.Queue, BackendNowMs(), msg)) {
        case QueueResult::Message: return true;
        case QueueResult::Quit: return false;
        case QueueResult::Nothing: break;
        }
        if (Sdl.Unpresented) Present();   // nothing else to do: show everything painted
        if (!Window.Exists) return false;   // no window: nothing could ever arrive
        // Sleep until the desktop has something or the next timer is due.
        int64_t due = QueueEarliestDueMs(Window.Queue);
        const int64_t check = MinimiseCheckDueMs();
        if (check >= 0 && (due < 0 || check < due)) due = check;
        int timeout = -1;
        if (due >= 0) {
            const int64_t wait = due - BackendNowMs();
            timeout = wait < 1 ? 1 : wait > INT_MAX ? INT_MAX : (int)wait;
        }
        if (SDL_WaitEventTimeout(&ev, timeout)) SdlTranslateEvent(ev);
    }
}
