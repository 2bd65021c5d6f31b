// render/preview_limit.cpp - raising and lowering the iteration limit. Escaping pixels keep
// their escape step, so only inside pixels are computed again after a raise, and a lowering
// needs no computing at all.
#include <algorithm>
#include "engine/state.h"
#include "engine/work.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/paint.h"
#include "render/preview.h"
#include "render/shortcut.h"

// A count is the limit minus the escape step: a new limit shifts every escaping count by the
// same amount and keeps its colour.
void PrepareIterationUp() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    const int32_t old = View.Iteration;
    View.Iteration = RaisedIteration(old);
    View.Alt_Iteration = 0;   // the user chose the limit
    SetupCalculation();
    BlitAll();
    MarkGrid();
    const int32_t shift = View.Iteration - old;
    for (int r = 0; r < h; r++) {
        const int32_t* n = &NAt(0, r);
        int32_t* mask = &MaskAt(0, r);
        for (int c = 0; c < w; c++)
            if (n[c] != 0) mask[c] = n[c] + shift;
    }
    Cycle.PassState = PassIterationUpTakeOver;
    Work.LivePass = false;
}

void IterationUpTakeOver() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    Work.LivePass = true;
    SkipInsideBlocks();
    DecideRecomputeAll();
    if (Cycle.RecomputeAll) FillWorkMask(-1);
    for (int r = 0; r < h; r++) {
        const int32_t* n = &NAt(0, r);
        int32_t* mask = &MaskAt(0, r);
        for (int c = 0; c < w; c++)
            if (n[c] != 0) mask[c] = n[c];
    }
    if (Cycle.RecomputeAll) {
        Cycle.PassState = PassTakenOverComplete;
    } else {
        Cycle.PassState = PassTakenOverRefine;
        ClearSettledFlags();
    }
}

void LowerIteration() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    const int32_t old = View.Iteration;
    View.Iteration = LoweredIteration(old);
    View.Alt_Iteration = 0;
    const int32_t shift = View.Iteration - old;
    // A step beyond the new limit means the pixel no longer escapes: it becomes inside.
    for (int r = 0; r < h; r++) {
        int32_t* n = &NAt(0, r);
        for (int c = 0; c < w; c++) n[c] = std::max(n[c] + shift, 0);
    }
}
