// tests/preview_util.h - the engine without a window: full pictures computed directly, and
// the passes after a command run in the order the render cycle runs them.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/preview.h"
#include "render/shortcut.h"

// One computing thread, so these tests need no worker threads.
inline void StartEngine(int w, int h) {
    HeadlessSetProcessorCount(1);
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
    StartWorkers();
    BuildTileTables();
    BuildPalette();
    InitEngineState();
    Cycle.HistoryEmpty = 0;   // an earlier picture exists, so the shortcut may be used
}

// The start view; `automatic` 0 switches the interior shortcut and the automatic limit off.
inline void UseStartView(uint8_t automatic) {
    View.Center_zX = {0, 0};
    View.Center_zY = ToLong128(-0.5);
    View.ld_Zoom = 0;
    View.Iteration = 256;
    View.Alt_Iteration = automatic ? 256 : 0;
    View.Color = View.Alt_Color = 4.0;
    View.Offset = 0;
    View.Automatic = automatic;
    View.FPU_Mode = 1;
    View.CPU_Prev = 0;
}

// One pass over all tiles; the virtual clock stands still, so no tile is cut off.
inline void RunTiles() {
    for (int p = 0; p < TileCount; p++) {
        Work.TilePos = p;
        PrepareSlice();
        ComputeTile();
    }
    Work.TilePos = TileIdle;
}

// Every pixel of the current view from scratch.
inline void ComputeFullPicture() {
    SetupCalculation();
    FillWorkMask(-1);
    RunTiles();
}

// The passes that follow a preparation, run by the render cycle's own tile steps until the
// picture is complete. Returns the number of passes.
inline int RunPasses() {
    int passes = 1;
    Work.TilePos = 0;
    while (Work.TilePos < TileCount) {
        const bool last = Work.TilePos == TileCount - 1;
        PaintStep();
        if (last && Work.TilePos == 0) passes++;
    }
    return passes;
}

inline std::vector<int32_t> PictureCounts() {
    std::vector<int32_t> v;
    for (int r = 0; r < Calc.WindowHeight; r++)
        for (int c = 0; c < Calc.WindowWidth; c++) v.push_back(NAt(c, r));
    return v;
}

// The counts of a full computation of the view now set up, leaving the counts, the picture,
// the view and the cycle state as they were.
inline std::vector<int32_t> FullCountsOfThisView() {
    const std::vector<int32_t> kept = PictureCounts();
    const std::vector<uint32_t> image(ScreenImage, ScreenImage + MaxPixels);
    const ViewParams view = View;
    const CycleState cycle = Cycle;
    ComputeFullPicture();
    std::vector<int32_t> full = PictureCounts();
    View = view;
    Cycle = cycle;
    std::copy(image.begin(), image.end(), ScreenImage);
    const int w = Calc.WindowWidth;
    for (int r = 0; r < Calc.WindowHeight; r++)
        for (int c = 0; c < w; c++) NAt(c, r) = kept[r * w + c];
    return full;
}
