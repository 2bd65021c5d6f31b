// render/shortcut.cpp - the interior shortcut: 16 x 16 blocks whose four grid corners stayed
// bounded are taken as inside and skipped, and the skipped pixels next to escaping ones are
// computed in refinement rounds until a round finds none.
#include "render/shortcut.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include "engine/state.h"
#include "render/colour.h"
#include "render/cycle.h"

uint8_t SettledFlags[WorkMaskCount];

constexpr int Block = 16;

// The kernels and the previews read the mask only inside the picture, so the columns to its
// right are left alone: a narrow picture then maps in one page of each row, not the row.
void FillWorkMask(int32_t value) {
    const int w = std::clamp(Calc.WindowWidth, 0, MaxWidth), rows = PictureRowEntries() / CountStride;
    for (int r = 0; r < rows; r++) std::fill_n(&MaskAt(0, r), w, value);
}

void ClearSettledFlags() { std::memset(SettledFlags, 0, size_t(PictureRowEntries())); }

void MarkGrid() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    FillWorkMask(0);
    for (int r = 0; r < h; r += Block)
        for (int c = 0; c < w; c += Block) MaskAt(c, r) = -1;
}

void SkipInsideBlocks() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    FillWorkMask(-1);
    uint32_t skipped = 0;
    for (int r = 0; r < h; r += Block) {
        const int rows = std::min(Block, h - r);
        for (int c = 0; c < w; c += Block) {
            // Corners beyond the picture lie in the zero margins and count as inside.
            const int32_t* n = &NAt(c, r);
            if ((n[0] | n[Block] | n[Block * CountStride] | n[Block * CountStride + Block]) != 0) continue;
            const int cols = std::min(Block, w - c);
            for (int i = 0; i < rows; i++) std::fill_n(&MaskAt(c, r + i), cols, 0);
            skipped += uint32_t(rows * cols);
        }
    }
    InsideCount = skipped;
}

uint32_t InsidePercent(uint32_t insideCount, uint32_t pixels) {
    float share = float(insideCount) * 100.0f / float(pixels);
    if (!(share < 100.0f)) return 100;   // also keeps a nonsense count from overflowing
    return uint32_t(std::nearbyint(share));
}

uint8_t RecomputeAllFor(uint32_t percent, int32_t iteration, uint8_t numberMode,
                        uint8_t historyEmpty, uint8_t automatic) {
    // The first picture has no inside regions to trust; nearly empty or full pictures and
    // cheap limits gain too little to risk skipping a thin escaping filament.
    if (historyEmpty || !automatic || percent <= 1 || percent >= 100) return 1;
    const uint32_t work = uint32_t(iteration) * percent;
    switch (numberMode) {
    case ModeFixed60:
    case ModeDouble:  return work < 7500;
    case ModeLong128: return work < 2500;
    default:          return 0;
    }
}

void DecideRecomputeAll() {
    const uint32_t pixels = uint32_t(Calc.WindowWidth) * uint32_t(Calc.WindowHeight);
    InsideCount = InsidePercent(InsideCount, pixels);
    Cycle.RecomputeAll = RecomputeAllFor(InsideCount, View.Iteration, Calc.NumberMode,
                                         Cycle.HistoryEmpty, View.Automatic);
}

void RefineBoundary() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    constexpr int up16 = -Block * CountStride, down16 = Block * CountStride;
    constexpr int up8 = -(Block / 2) * CountStride, down8 = (Block / 2) * CountStride;
    constexpr int half = Block / 2;
    uint8_t queuedAny = 0;
    for (int r = 0; r < h; r++) {
        // The margins of N_array are zero, so the diamond needs no edge tests.
        const int32_t* n = &NAt(0, r);
        int32_t* mask = &MaskAt(0, r);
        uint8_t* settled = &SettledFlags[MaskIndex(0, r)];
        for (int c = 0; c < w; c++) {
            const int32_t* p = n + c;
            const int32_t near = p[up16] | p[down16] | p[-Block] | p[Block] |
                                 p[up8 - half] | p[up8 + half] | p[down8 - half] | p[down8 + half];
            const uint8_t queue = uint8_t((p[0] == 0) & (settled[c] == 0) & (near != 0));
            mask[c] = queue ? -1 : p[0];
            settled[c] |= queue;
            queuedAny |= queue;
        }
    }
    Cycle.PassState = queuedAny ? PassRefine : PassComplete;
}
