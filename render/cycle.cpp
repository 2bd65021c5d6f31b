// render/cycle.cpp - one bounded step per WM_PAINT: the pending command, or the next tile.
//
// Commands from the keyboard and mouse only post a code into TilePos; the work happens here,
// between input messages, so the window stays responsive while a picture grows.
#include "render/cycle.h"
#include <algorithm>
#include "engine/work.h"
#include "platform/platform.h"
#include "render/colour.h"
#include "render/input.h"
#include "render/paint.h"
#include "render/preview.h"
#include "render/recolour.h"
#include "render/shortcut.h"
#include "ui/display.h"
#include "ui/message.h"
#include "ui/panel.h"
#include "ui/text.h"

CycleState  Cycle;
HistorySlot History[HistorySlots];
ViewParams  LoadedParams;
InputState  Input;

void InitCycleState() {
    Cycle.LastCommand = 0;
    Cycle.PassState = PassComplete;
    Cycle.CalcTimeMs = 0;
    Cycle.RecomputeAll = 0;
    Cycle.HistoryIndex = 0;
    Cycle.HistoryEmpty = 1;
    Cycle.RedrawRetries = -1;
    Cycle.FirstPaintPending = 1;
}

void Invalidate() { PlatInvalidate(); }

PictureStatus PictureStatusNow() { return PictureStatus{InsideCount, Cycle.RecomputeAll, Cycle.CalcTimeMs}; }
void ShowPanel() { DrawPanel(PictureStatusNow()); }

void SetupCalculation() {
    SetupGeometry();
    AutoColorScale();
    Cycle.PassState = PassComplete;
}

void PostCommand(int32_t code) {
    // Until the first picture has begun there is no view to act on and nothing to draw with:
    // a command that arrives then (a slow start-up) is dropped and the first picture starts.
    if (Cycle.FirstPaintPending && code != CmdNewPicture) return;
    Work.TilePos = code;
    if (!PlatPaintPending()) Invalidate();   // repeated commands do not flood the queue
}

void MinimiseWindow() {
    Input.MouseHeld = 0;
    Cycle.RedrawRetries = -1;
    Messages.MessageCode = MsgNone;
    Display.Minimised = 1;
    PlatMinimiseWindow();
}

static void FillRect(const Rect& r, uint32_t brush) { PlatFillRect(r.left, r.top, r.right, r.bottom, brush); }

static void DrawWindowFrame() {
    if (!Display.FramedWindow) return;
    for (const Rect& r : Display.FrameRects) FillRect(r, Brushes.RedBrush);
}

// Only the picture's pixels are ever shown.
static void FillProgressGrey() {
    std::fill_n(ProgressImage, std::clamp(Calc.WindowWidth * Calc.WindowHeight, 0, MaxPixels), 0x808080u);
}

// ---- Idle tail -----------------------------------------------------------------------

static void IdleTail() {
    if (Display.MinimiseWhenIdle) {
        Display.MinimiseWhenIdle = 0;
        MinimiseWindow();
        return;
    }
    // Another program may have painted over a freshly shown full-screen picture: compare one
    // pixel near the corner and redraw a few times if it did not reach the screen.
    bool check = (Cycle.LastCommand == CmdRecolour || Cycle.LastCommand == CmdNewPicture) &&
                 Display.FullScreen && !Messages.MessageTimerRunning;
    if (check) {
        const int32_t w = Calc.WindowWidth, h = Calc.WindowHeight;
        uint32_t rgb = ScreenImage[(h - 4) * w + (w - 4)];
        uint32_t expected = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
        uint32_t actual = PlatGetPixel(w - 4, h - 4);
        if (actual == expected && actual != CLR_INVALID) {
            Cycle.RedrawRetries = -1;
        } else if (Cycle.RedrawRetries == -1) {
            Cycle.RedrawRetries = 5;
            PlatSetTimer(RedrawRetryTimer, 500);
        }
    }
    DrawWindowFrame();
}

// ---- Command step --------------------------------------------------------------------

ViewParams DefaultView() {
    ViewParams v{};   // no bits below the long128 either
    v.Center_zX = {0, 0};
    v.Center_zY = ToLong128(-0.5);
    v.ld_Zoom = 0;
    v.Iteration = v.Alt_Iteration = 256;
    v.Color = v.Alt_Color = 4.0;
    v.Offset = 0;
    v.Automatic = 1;
    v.FPU_Mode = 1;
    v.CPU_Prev = 0;
    if (Cycle.FormatOption == -2) {
        v.FPU_Mode = 0;
        v.CPU_Prev = 4;
    } else if (Cycle.FormatOption == 0 && Work.ThreadCount > 4) {
        v.FPU_Mode = 0;
    }
    return v;
}

static void NewPicture() {
    if (Cycle.FirstPaintPending) {
        CreatePaintResources();
        Cycle.FirstPaintPending = 0;
    }
    View = Messages.LoadState == LoadDone || Messages.LoadState == LoadGiven ? LoadedParams : DefaultView();
    if (View.ld_Zoom > MaxZoom) Deep.On = true;   // a deep view goes on deeper
    FillRect(Display.WindowRect, Brushes.DarkBrush);
    FillWorkMask(-1);
    InsideCount = NoStatistics;
    SetupCalculation();
    Work.TilePos = 0;
}

// A command whose guard fails leaves its message code and is dropped.
static bool Guard(bool ok, uint8_t code) {
    if (!ok) Messages.MessageCode = code;
    return ok;
}

static void CommandStep() {
    int32_t& pos = Work.TilePos;
    Cycle.LastCommand = pos;
    if (Messages.MessageCode >= MsgFirstShown) Messages.MessageCode = MsgNone;

    if (pos == CmdRecompute) {
        PrepareRecompute();
        pos = 0;
    }
    // A pending message is shown instead; an out-of-range scale is clamped and reported.
    if (pos == CmdRecolour && Messages.MessageCode == 0 && CheckColorRange()) {
        ViewParams& p = History[Cycle.HistoryIndex].Params;
        p.Color = View.Color;
        p.Offset = View.Offset;
        p.Alt_Color = View.Alt_Color;
        p.FPU_Mode = View.FPU_Mode;
        p.CPU_Prev = View.CPU_Prev;
        RecolourPicture();
        pos = TileIdle;
    }
    if (pos == CmdZoomInAtPoint && Guard(View.ld_Zoom < DeepestZoom(), MsgZoomMax)) {
        PrepareZoomIn(16, 4);
        pos = 0;
    }
    if (pos == CmdZoomIn && Guard(View.ld_Zoom < DeepestZoom(), MsgZoomMax)) {
        PrepareZoomIn(2, 1);
        pos = 0;
    }
    if (pos == CmdZoomOut && Guard(View.ld_Zoom > MinZoom, MsgZoomMin)) {
        PrepareZoomOut();
        pos = 0;
    }
    if (pos == CmdIterationUp && Guard(View.Iteration < MaxIteration, MsgIterationMax)) {
        PrepareIterationUp();
        pos = 0;
    }
    if (pos == CmdIterationDown && Guard(View.Iteration > MinIteration, MsgIterationMin)) {
        Cycle.CalcTimeMs = 0;
        InsideCount = NoStatistics;
        LowerIteration();
        RecolourPicture();
        pos = TileIdle;
    }
    if (pos == CmdPanPreview) {
        KeepPanInRange();   // the preview shows the shift the release will apply
        DrawPanPreview();
        pos = TileIdle;
    }
    if (pos == CmdPanApply) {
        KeepPanInRange();
        DrawPanPreview();
        PreparePan();
        pos = 0;
    }
    if (pos == CmdNewPicture) NewPicture();

    if (Messages.MessageCode != MsgNone) {
        ShowMessage();
        // A message an earlier command left pending is shown, but a command that has already
        // set up its pass goes on: cut off now, its new view would name the old picture.
        if (pos != 0) pos = TileIdle;
    }
    if (pos != 0) {
        pos = TileIdle;
        IdleTail();
        return;
    }
    FillProgressGrey();
    Invalidate();
    DrawWindowFrame();
}

// ---- Tile step -----------------------------------------------------------------------

// What the end of a pass leads to; each rule sees the result of the ones before it.
static void EndOfPass() {
    PassStep& ps = Cycle.PassState;
    if (ps == PassTakenOverComplete) ps = PassComplete;
    if (ps == PassTakenOverRefine) ps = PassRefine;
    if (ps == PassPanTakeOver) PanTakeOver();
    if (ps == PassIterationUpTakeOver) IterationUpTakeOver();
    if (ps == PassZoomOutTakeOver) ZoomOutTakeOver();
    if (ps == PassRefine) RefineBoundary();
}

static void PictureComplete() {
    Work.TilePos = TileIdle;
    Cycle.CalcTimeMs = ClockMs() - Calc.CalcStartMs;
    if (PanelVisible) ShowPanel();
    if (Cycle.HistoryEmpty) StoreAllHistory();
    else StoreHistory();
    if (Messages.LoadState == LoadGiven) Messages.LoadState = LoadNothing;   // no file to report on
    if (Messages.LoadState != LoadNothing) ShowMessage();
    IdleTail();
}

static void TileStep() {
    const int p = Work.TilePos, t = Work.ThreadCount;
    const int x1 = Work.TileX1[1][p], y1 = Work.TileY1[1][p];
    const int w = Work.TileX2[t][p] - x1 + 1, h = Work.TileY2[t][p] - y1 + 1;

    PrepareSlice();
    ComputeTile();
    if (Work.SliceExpired.load(std::memory_order_relaxed)) {
        // Finished pixels show green, pending ones grey; the next paint continues the tile.
        BlitRect(ProgressImage, x1, y1, w, h);
        Invalidate();
        return;
    }
    if (Work.LivePass) {
        BlitRect(ScreenImage, x1, y1, w, h);
    } else if (PlatPerfCounter() >= Calc.ProgressShowTime) {
        // A grid pass running longer than a second replaces the stale preview by its progress.
        FillRect(Display.WindowRect, Brushes.DarkBrush);
        PlatFillRect(x1, y1, x1 + w, y1 + h, Brushes.GreyBrush);
    }

    Work.TilePos = p + 1;
    if (p == TileCount - 1) {
        EndOfPass();
        if (Cycle.PassState == PassComplete) {
            PictureComplete();
            return;
        }
        FillProgressGrey();
        Work.TilePos = 0;
    }
    if (Work.LivePass) {
        const int n = Work.TilePos;
        PlatFillRect(Work.TileX1[1][n], Work.TileY1[1][n], Work.TileX2[t][n] + 1, Work.TileY2[t][n] + 1,
                     Brushes.GreyBrush);
    }
    Invalidate();
    DrawWindowFrame();
}

void PaintStep() {
    if (Work.TilePos >= TileCount) return;
    if (Work.TilePos < 0) CommandStep();
    else TileStep();
}
