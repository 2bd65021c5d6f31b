// render/preview.cpp - the recompute and zoom commands: each shows the old counts at once
// (as they are, magnified or halved) and marks in WorkMask what the passes still compute.
#include "render/preview.h"
#include <algorithm>
#include "engine/centre.h"
#include "engine/state.h"
#include "engine/work.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "render/paint.h"
#include "render/shortcut.h"

// The main pass after a preview: every pixel, or with the shortcut the marked ones followed by
// boundary refinement. `plain` and `shortcut` are the pass steps of the two cases.
static void ChooseMainPass(PassStep plain, PassStep shortcut) {
    if (Cycle.RecomputeAll) {
        FillWorkMask(-1);
        Cycle.PassState = plain;
    } else {
        Cycle.PassState = shortcut;
        ClearSettledFlags();
    }
}

void PrepareRecompute() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    SetupCalculation();
    for (int r = 0; r < h; r++) {
        const int32_t* n = &NAt(0, r);
        uint32_t* screen = ScreenImage + r * w;
        for (int c = 0; c < w; c++) screen[c] = uint32_t(n[c]);
    }
    MeasureAndColour();
    // Escaping pixels are computed again; inside pixels are trusted under the shortcut.
    for (int r = 0; r < h; r++) {
        const int32_t* n = &NAt(0, r);
        int32_t* mask = &MaskAt(0, r);
        for (int c = 0; c < w; c++) mask[c] = -int32_t(n[c] != 0);
    }
    BlitAll();
    DecideRecomputeAll();
    ChooseMainPass(PassComplete, PassRefine);
}

// Old column of each screen column of a magnified preview; static, so nothing is allocated.
static int32_t MagnifiedColumn[MaxWidth];

void PrepareZoomIn(int factor, int steps) {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    int32_t px = w >> 1, py = h >> 1;
    if (factor == 16) {
        ZoomStepNearLimit(View.ld_Zoom, &factor, &steps);
        px = ClampZoomPoint(int32_t(Input.PressX), w, steps);
        py = ClampZoomPoint(int32_t(Input.PressY), h, steps);
        // With the old step: the point under the press, measured from the old origin; past
        // the long128 range, where the origin is not kept, from the centre by half the window.
        if (View.ld_Zoom <= MaxZoom) {
            View.Center_zX = Add128(Calc.Origin_zX, ToLong128(double(px) * Calc.PixelStep));
            View.Center_zY = Add128(Calc.Origin_zY, ToLong128(double(py) * Calc.PixelStep));
        } else {
            for (const CentreAxis axis : {AxisX, AxisY}) {
                CentreCoord c = CentreOf(View, axis);
                if (axis == AxisX) MoveToPixel(c, px, w, View.ld_Zoom);
                else MoveToPixel(c, py, h, View.ld_Zoom);
                SetCentre(View, axis, c);
            }
        }
    }
    View.ld_Zoom += steps;
    SetupCalculation();

    // N_array still holds the old counts; they are read here and replaced by MeasureAndColour.
    const MagnifySpan cols = MagnifySpanFor(w, factor, px);
    const MagnifySpan rows = MagnifySpanFor(h, factor, py);
    for (int c = 0; c < w; c++) MagnifiedColumn[c] = MagnifiedSource(cols, factor, c);
    for (int r = 0; r < h; r++) {
        const int32_t* old = &NAt(0, MagnifiedSource(rows, factor, r));
        uint32_t* screen = ScreenImage + r * w;
        int32_t* mask = &MaskAt(0, r);
        for (int c = 0; c < w; c++) {
            const int32_t v = old[MagnifiedColumn[c]];
            screen[c] = uint32_t(v);
            mask[c] = -int32_t(v != 0);
        }
    }
    MeasureAndColour();
    BlitAll();
    DecideRecomputeAll();
    ChooseMainPass(PassComplete, PassRefine);
}

void PrepareZoomOut() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    View.ld_Zoom -= 1;
    if (KeepCentreInRange()) {
        // At the edge of the range the centre moves inwards, and the old picture no longer
        // fills the central quarter: the new one is computed afresh, tile by tile.
        SetupCalculation();
        FillWorkMask(-1);
        InsideCount = NoStatistics;
        return;
    }
    SetupCalculation();
    MarkGrid();
    // Every second old pixel lands in the central quarter; its grid points need no computing.
    const int x0 = QuarterCorner(w), y0 = QuarterCorner(h);
    for (int r = 0; r < h; r += 2) {
        const int32_t* old = &NAt(0, r);
        int32_t* mask = &MaskAt(x0, y0 + r / 2);
        for (int c = 0; c < w; c += 2) mask[c / 2] = old[c];
    }
    Cycle.PassState = PassZoomOutTakeOver;
    Work.LivePass = false;   // the old picture stays on the screen during the grid pass
}

void ZoomOutTakeOver() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    Work.LivePass = true;
    SkipInsideBlocks();
    BlockyPreview();
    const int x0 = QuarterCorner(w), y0 = QuarterCorner(h);
    for (int r = y0; r < y0 + h / 2; r++) {
        const int32_t* n = &NAt(x0, r);
        uint32_t* screen = ScreenImage + r * w + x0;
        for (int c = 0; c < w / 2; c++) screen[c] = uint32_t(n[c]);
    }
    MeasureAndColour();
    BlitAll();
    DecideRecomputeAll();
    ChooseMainPass(PassTakenOverComplete, PassTakenOverRefine);
}

void BlockyPreview() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    for (int r = 0; r < h; r++) {
        const int32_t* grid = &NAt(0, BlockyGridLine(r, h));
        uint32_t* screen = ScreenImage + r * w;
        for (int c = 0; c < w; c++) screen[c] = uint32_t(grid[BlockyGridLine(c, w)]);
    }
}

void TakeOverColours() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    for (int r = 0; r < h; r++) {
        int32_t* n = &NAt(0, r);
        uint32_t* screen = ScreenImage + r * w;
        for (int c = 0; c < w; c++) {
            n[c] = int32_t(screen[c]);
            screen[c] = CountColour(n[c]);
        }
    }
}
