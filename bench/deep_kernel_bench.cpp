// bench/deep_kernel_bench.cpp - per-pixel passes of the perturbation kernels against the
// double kernel's, on one thread.
//
// Giter/s counts the passes of the pictures' orbits as engine_bench.cpp does. With the table
// off every pass is a step of the kernel; "plain" is a view whose differences stay in plain
// doubles, "scaled" one where they spend nearly every pass below 2^-480, in the scaled form.
// The table rows show what the merged steps make of the same pictures.
#include <benchmark/benchmark.h>
#include <algorithm>
#include "engine/deep.h"
#include "engine/deep_table.h"
#include "engine/dispatch.h"
#include "engine/state.h"
#include "engine/work.h"
#include "tests/deep_view.h"
#include "tests/engine_reference.h"

namespace {
struct View {
    const char* Re;
    const char* Im;
    int32_t Zoom, Iteration, Width, Height;
};
const View Plain{"-0.74364388703715870475", "0.13182590420531197049", 66, 10000, 256, 192};
const View Scaled{"0", "1", 10000, 20000, 128, 96};
const ref::Scene Double{"-1.7687788", "0.0017389", 12, 5000, 256, 192};

double PassesPerformed(int w, int h, int32_t n) {
    double total = 0;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) {
            const int32_t c = NAt(col, row);
            total += c == 0 ? n : n - c + 1;
        }
    return total;
}

void ResetMask(int w, int h) {
    for (int row = 0; row < h; ++row) std::fill_n(&MaskAt(0, row), w, -1);
}

void Run(benchmark::State& state, int w, int h, int32_t n) {
    ref::WholePictureTile({"0", "0", 0, n, w, h});
    for (auto _ : state) {
        state.PauseTiming();
        ResetMask(w, h);
        PrepareSlice();
        state.ResumeTiming();
        ComputeTile();
    }
    state.counters["Giter/s"] = benchmark::Counter(PassesPerformed(w, h, n) * 1e-9 * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void DeepBench(benchmark::State& state, const View& v, KernelPath path, bool table) {
    if (!ForceKernelPath(path)) {
        state.SkipWithError("the processor lacks this kernel path");
        return;
    }
    deepview::Install(v.Re, v.Im, v.Zoom, v.Iteration, v.Width, v.Height, 1);
    Work.LivePass = false;
    DeepAdvanceOrbit();
    DeepPrepareTable();
    if (!table) DeepTable.Levels = 0;
    Run(state, v.Width, v.Height, v.Iteration);
}

void DoubleBench(benchmark::State& state, KernelPath path) {
    if (!ForceKernelPath(path)) {
        state.SkipWithError("the processor lacks this kernel path");
        return;
    }
    ref::Install(Double, 1);
    Run(state, Double.Width, Double.Height, Double.Iteration);
}
}  // namespace

BENCHMARK_CAPTURE(DoubleBench, double/avx2, KernelPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DoubleBench, double/avx512, KernelPath::Avx512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, plain/scalar, Plain, KernelPath::Scalar, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, plain/avx2, Plain, KernelPath::Avx2, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, plain/avx512, Plain, KernelPath::Avx512, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, scaled/scalar, Scaled, KernelPath::Scalar, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, scaled/avx2, Scaled, KernelPath::Avx2, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, scaled/avx512, Scaled, KernelPath::Avx512, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, plain/avx2/table, Plain, KernelPath::Avx2, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DeepBench, scaled/avx2/table, Scaled, KernelPath::Avx2, true)->Unit(benchmark::kMillisecond);
