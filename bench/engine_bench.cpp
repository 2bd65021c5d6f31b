// bench/engine_bench.cpp - iteration throughput of the three kernels and of whole passes.
//
// Giter/s counts the orbit passes actually performed: a pixel with count c > 0 (escape at
// step Iteration - c) took Iteration - c + 1 passes, an inside pixel (count 0) took Iteration.
#include <benchmark/benchmark.h>
#include <algorithm>
#include <thread>
#include "engine/dispatch.h"
#include "engine/kernels.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "tests/engine_reference.h"

namespace {
using ref::Scene;
const char* const DeepY = "-0.74364388703715870475";
const char* const DeepX = "0.13182590420531197049";

const Scene V0{"-0.5", "0", 0, 256, 1024, 768};
const Scene V1{"-1.7687788", "0.0017389", 12, 5000, 1024, 768};
const Scene V2F{DeepY, DeepX, 48, 10000, 1024, 768};
const Scene V2{DeepY, DeepX, 62, 10000, 256, 192};
// The default view as the explorer first shows it, for the share of the render cycle.
const Scene V0Full{"-0.5", "0", 0, 256, 1920, 1080};

void ResetMask(const Scene& s) {
    for (int row = 0; row < s.Height; ++row) std::fill_n(&MaskAt(0, row), s.Width, -1);
}

double PassesPerformed(const Scene& s) {
    double total = 0;
    for (int row = 0; row < s.Height; ++row)
        for (int col = 0; col < s.Width; ++col) {
            int32_t c = NAt(col, row);
            total += c == 0 ? s.Iteration : s.Iteration - c + 1;
        }
    return total;
}

void Report(benchmark::State& state, const Scene& s) {
    const double passes = PassesPerformed(s) * double(state.iterations());
    state.counters["Giter/s"] = benchmark::Counter(passes * 1e-9, benchmark::Counter::kIsRate);
}

// The whole picture as one strip on the main thread.
void KernelBench(benchmark::State& state, const Scene& s, uint8_t mode, KernelPath path) {
    if (!ForceKernelPath(path)) {
        state.SkipWithError("the processor lacks this kernel path");
        return;
    }
    ref::Install(s, 1);
    if (Calc.NumberMode != mode) state.SkipWithError("view is meant for another kernel");
    ref::WholePictureTile(s);
    for (auto _ : state) {
        state.PauseTiming();
        ResetMask(s);
        PrepareSlice();
        state.ResumeTiming();
        ComputeTile();
    }
    Report(state, s);
}

// All 1024 tiles of a pass through ComputeTile, on every thread the machine offers.
void PassBench(benchmark::State& state, const Scene& s) {
    static bool workers = false;
    if (!workers) {
        HeadlessSetProcessorCount(int(std::thread::hardware_concurrency()));
        StartWorkers();
        workers = true;
    }
    SelectKernels();
    ref::Install(s, Work.ThreadCount);
    for (auto _ : state) {
        state.PauseTiming();
        ResetMask(s);
        state.ResumeTiming();
        ref::RunPass();
    }
    Report(state, s);
    state.counters["threads"] = Work.ThreadCount;
}
}  // namespace

BENCHMARK_CAPTURE(KernelBench, double/V0/scalar, V0, ModeDouble, KernelPath::Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, double/V0/avx2, V0, ModeDouble, KernelPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, double/V0/avx512, V0, ModeDouble, KernelPath::Avx512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, double/V1/scalar, V1, ModeDouble, KernelPath::Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, double/V1/avx2, V1, ModeDouble, KernelPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, double/V1/avx512, V1, ModeDouble, KernelPath::Avx512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, fixed60/V2F/scalar, V2F, ModeFixed60, KernelPath::Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, fixed60/V2F/avx2, V2F, ModeFixed60, KernelPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, fixed60/V2F/avx512, V2F, ModeFixed60, KernelPath::Avx512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, long128/V2/scalar, V2, ModeLong128, KernelPath::Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, long128/V2/avx2, V2, ModeLong128, KernelPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KernelBench, long128/V2/avx512, V2, ModeLong128, KernelPath::Avx512)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PassBench, pass/V0, V0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PassBench, pass/V0full, V0Full)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PassBench, pass/V1, V1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PassBench, pass/V2F, V2F)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PassBench, pass/V2, V2)->Unit(benchmark::kMillisecond)->UseRealTime();
