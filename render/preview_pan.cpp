// render/preview_pan.cpp - dragging the picture: the shifted old picture as a preview, then
// a pan that keeps the overlap's counts and computes only the uncovered band.
#include <algorithm>
#include "engine/centre.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/platform.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "render/paint.h"
#include "render/preview.h"
#include "render/shortcut.h"
#include "ui/text.h"

void DrawPanPreview() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    const int dx = Input.DragDX, dy = Input.DragDY;
    const PanOverlap o = Preview.Overlap = OverlapFor(dx, dy, w, h);
    PlatSetDIBitsToDevice(o.OverlapX, o.OverlapY, o.OverlapW, o.OverlapH, o.SourceX,
                          h - o.SourceY - o.OverlapH, ScreenImage, w, h);
    // The bands the old picture no longer covers.
    if (dx >= 0) PlatFillRect(0, 0, dx, h, Brushes.DarkBrush);
    else PlatFillRect(o.OverlapW, 0, w, h, Brushes.DarkBrush);
    if (dy >= 0) PlatFillRect(0, 0, w, dy, Brushes.DarkBrush);
    else PlatFillRect(0, o.OverlapH, w, h, Brushes.DarkBrush);
    // A cross marks the centre the view will have.
    const int cx = w >> 1, cy = h >> 1;
    PlatFillRect(cx - 63, cy, cx + 63, cy + 1, Brushes.GreyBrush);
    PlatFillRect(cx, cy - 63, cx + 1, cy + 63, Brushes.GreyBrush);
}

void KeepPanInRange() {
    // The content follows the drag: a positive shift moves the centre towards the low end.
    const auto keep = [](int32_t& drag, CentreAxis axis, int32_t pixels) {
        const CentreCoord limit = CentreLimit(pixels, View.ld_Zoom);
        const CentreCoord centre = CentreOf(View, axis);
        drag = std::min(drag, WholePixelsBetween(NegatedCentre(limit), centre, View.ld_Zoom, pixels));
        drag = std::max(drag, -WholePixelsBetween(centre, limit, View.ld_Zoom, pixels));
    };
    keep(Input.DragDX, AxisX, Calc.WindowWidth);
    keep(Input.DragDY, AxisY, Calc.WindowHeight);
}

void PreparePan() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    const int dx = Input.DragDX, dy = Input.DragDY;
    const PanOverlap o = Preview.Overlap = OverlapFor(dx, dy, w, h);
    // The content follows the drag, so the centre moves the other way (old step).
    for (const CentreAxis axis : {AxisX, AxisY}) {
        CentreCoord c = CentreOf(View, axis);
        AddPixels(c, -(axis == AxisX ? dx : dy), View.ld_Zoom);
        SetCentre(View, axis, c);
    }
    SetupCalculation();
    MarkGrid();
    uint32_t inside = 0;
    for (int i = 0; i < o.OverlapH; i++) {
        const int32_t* old = &NAt(o.SourceX, o.SourceY + i);
        int32_t* mask = &MaskAt(o.OverlapX, o.OverlapY + i);
        for (int j = 0; j < o.OverlapW; j++) {
            mask[j] = old[j];
            inside += old[j] == 0;
        }
    }
    Preview.OverlapInsideCount = inside;
    Cycle.PassState = PassPanTakeOver;
    Work.LivePass = false;
}

void PanTakeOver() {
    const int w = Calc.WindowWidth;
    const PanOverlap o = Preview.Overlap;
    Work.LivePass = true;
    SkipInsideBlocks();
    // Only skipped pixels of the new band speak for the shortcut; the overlap is known.
    InsideCount = InsideCount > Preview.OverlapInsideCount ? InsideCount - Preview.OverlapInsideCount : 0;
    DecideRecomputeAll();
    if (Cycle.RecomputeAll) FillWorkMask(-1);
    BlockyPreview();
    ClearSettledFlags();
    // The overlap keeps its counts for good, with or without the shortcut.
    for (int i = 0; i < o.OverlapH; i++) {
        const int r = o.OverlapY + i;
        const int32_t* n = &NAt(o.OverlapX, r);
        int32_t* mask = &MaskAt(o.OverlapX, r);
        uint8_t* settled = &SettledFlags[MaskIndex(o.OverlapX, r)];
        uint32_t* screen = ScreenImage + r * w + o.OverlapX;
        std::copy_n(n, o.OverlapW, mask);
        std::fill_n(settled, o.OverlapW, uint8_t(1));
        for (int j = 0; j < o.OverlapW; j++) screen[j] = uint32_t(n[j]);
    }
    TakeOverColours();
    BlitAll();
    Cycle.PassState = Cycle.RecomputeAll ? PassTakenOverComplete : PassTakenOverRefine;
}
