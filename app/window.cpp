// app/window.cpp - the window procedure: paint drives the render cycle, input goes to the
// command handlers, four timers do the delayed work, and the window hides when it loses focus.
#include "app/app.h"
#include "app/commands.h"
#include "engine/work.h"
#include "files/export.h"
#include "platform/platform.h"
#include "render/cycle.h"
#include "render/paint.h"
#include "ui/display.h"
#include "ui/message.h"

static bool Idle() { return Work.TilePos == TileIdle; }

static void FocusLost() {
    if (Display.Minimised || Display.MinimiseWhenIdle) return;
    App.FocusJustLost = 1;
    PlatSetTimer(FocusTimer, 500);
    if (Idle()) {
        MinimiseWindow();
    } else {
        // The picture in progress is dropped for the last completed one; the cycle
        // minimises the window once that is shown.
        Display.MinimiseWhenIdle = 1;
        GoBack();
    }
}

static void FocusGained() {
    if (!Idle() || !Display.Minimised) return;
    if (App.FocusJustLost) {
        MinimiseWindow();   // back within 500 ms: the click that took the focus was ours
    } else {
        Display.Minimised = 0;
        PlatRestoreWindow();
        PostCommand(CmdRecolour);
    }
}

static void RedrawRetryTick() {
    bool redraw = Idle() && (Cycle.LastCommand == CmdRecolour || Cycle.LastCommand == CmdNewPicture) &&
                  Cycle.RedrawRetries > 0 && !Display.Minimised;
    if (!redraw) {
        PlatKillTimer(RedrawRetryTimer);
        return;
    }
    Cycle.RedrawRetries--;
    PostCommand(CmdRecolour);
}

static void MessageTimerTick() {
    PlatKillTimer(MessageTimer);
    Messages.MessageTimerRunning = 0;
    if (Idle() && (int8_t)Messages.MessageCode < 0 && !Display.Minimised) PostCommand(CmdRecolour);
}

static void OnTimer(uintptr_t id) {
    switch (id) {
    case FocusTimer:
        App.FocusJustLost = 0;
        PlatKillTimer(FocusTimer);
        break;
    case HoldTimer: HoldTimerTick(); break;
    case RedrawRetryTimer: RedrawRetryTick(); break;
    case MessageTimer: MessageTimerTick(); break;
    default: break;
    }
}

static void Shutdown() {
    // The workers stay blocked on their start events and end with the process.
    ReleaseExportObjects();
    ReleasePaintResources();
    PlatPostQuitMessage(0);
}

intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const uint32_t x = (uint32_t)lParam & 0xFFFF, y = ((uint32_t)lParam >> 16) & 0xFFFF;
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY: Shutdown(); return 0;
    case WM_SETFOCUS: FocusGained(); return 0;
    case WM_KILLFOCUS: FocusLost(); return 0;
    case WM_PAINT:
        // The export objects are made with the paint resources, at the first picture.
        if (Cycle.FirstPaintPending) CreateExportObjects();
        PlatBeginPaint();
        PaintStep();
        PlatEndPaint();
        return 0;
    case WM_KEYDOWN: HandleKeyDown((uint32_t)wParam); return 0;
    case WM_KEYUP: HandleKeyUp((uint32_t)wParam); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_MOUSEMOVE: HandleMouseMove(x, y); return 0;
    case WM_LBUTTONDOWN: HandleButtonDown(x, y); return 0;
    case WM_LBUTTONUP: HandleButtonUp(x, y); return 0;
    case WM_RBUTTONUP: HandleRightButtonUp(x, y); return 0;
    case WM_MOUSEWHEEL: HandleWheel((int16_t)(uint16_t)((wParam >> 16) & 0xFFFF)); return 0;
    default:
        // Makes sure the first paint happens even without an initial paint request.
        if (Cycle.FirstPaintPending && !PlatPaintPending()) Invalidate();
        return PlatDefWindowProc(message, wParam, lParam);
    }
}
