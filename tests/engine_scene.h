// tests/engine_scene.h - installs a view and a fresh pass and runs it, for the engine's tests
// and benchmarks.
#pragma once
#include <algorithm>
#include <cstdint>
#include "engine/state.h"
#include "engine/work.h"
#include "render/colour.h"

namespace ref {

struct Scene {
    const char* CenterY;   // real part, decimal
    const char* CenterX;   // imaginary part, decimal
    int32_t Zoom, Iteration, Width, Height;
    uint8_t FpuMode = 1;
    int32_t CpuPrev = 0;
    int ForceMode = -1;    // a kernel other than the one the zoom picks
};

// Installs a view and a fresh pass: every pixel pending, progress grey.
inline void Install(const Scene& s, int threads) {
    static bool once = false;
    if (!once) {
        InitEngineState();
        BuildPalette();
        once = true;
    }
    Calc.WindowWidth = s.Width;
    Calc.WindowHeight = s.Height;
    View = ViewParams{};
    View.Center_zY = DecimalToLong128(s.CenterY);
    View.Center_zX = DecimalToLong128(s.CenterX);
    View.ld_Zoom = s.Zoom;
    View.Iteration = View.Alt_Iteration = s.Iteration;
    View.Color = View.Alt_Color = 4.0;
    View.Offset = 16;
    View.FPU_Mode = s.FpuMode;
    View.CPU_Prev = s.CpuPrev;
    SetupCalculation();
    if (s.ForceMode >= 0) Calc.NumberMode = uint8_t(s.ForceMode);
    Work.ThreadCount = threads;
    BuildTileTables();
    std::fill_n(Counts.N_array, NArrayCount, 0);
    for (int row = 0; row < s.Height; ++row)
        for (int col = 0; col < s.Width; ++col) MaskAt(col, row) = -1;
    for (uint32_t& p : ProgressImage) p = 0x808080;
}

// All 1024 tiles without time slicing.
inline void RunPass() {
    Work.LivePass = false;
    for (int p = 0; p < TileCount; ++p) {
        Work.TilePos = p;
        PrepareSlice();
        ComputeTile();
    }
}

}  // namespace ref
