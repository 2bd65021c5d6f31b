// bench/threads_bench.cpp - whole 1920 x 1080 pictures on the automatic thread count and on
// one thread, on an idle machine and beside another program that keeps one processor busy
// (a child process in a busy loop, started by the benchmark itself).
//
// All 1024 tiles of a pass through ComputeTile as the render cycle runs them: live, with
// the slice's clock reads on the real clock, every pixel computed. Wall-clock time.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <thread>
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "tests/engine_reference.h"

namespace {
using ref::Scene;
const Scene Default{"-0.5", "0", 0, 256, 1920, 1080};
const Scene Seahorse35{"-0.743643887037151", "0.131825904205330", 35, 2000, 1920, 1080};   // seahorse valley

// Another program that wants a processor for itself: a child in a busy loop until killed.
struct BusyNeighbour {
    pid_t pid = -1;
    explicit BusyNeighbour(bool wanted) {
        if (!wanted) return;
        pid = fork();
        if (pid == 0)
            for (;;) __asm__ volatile("");
    }
    ~BusyNeighbour() {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
};

void PictureBench(benchmark::State& state, const Scene& s, bool automatic, bool loaded) {
    static bool started = false;
    if (!started) {
        HeadlessUseRealClock();
        HeadlessSetProcessorCount(int(std::max(1u, std::thread::hardware_concurrency())));
        StartWorkers();
        started = true;
    }
    const int threads = automatic ? ThreadCountFor(PlatProcessorCount(), 0) : 1;
    ref::Install(s, threads);
    BusyNeighbour neighbour(loaded);
    for (auto _ : state) {
        state.PauseTiming();
        for (int row = 0; row < s.Height; ++row) std::fill_n(&MaskAt(0, row), s.Width, -1);
        state.ResumeTiming();
        Work.LivePass = true;
        for (Work.TilePos = 0; Work.TilePos < TileCount; ++Work.TilePos) do {
                PrepareSlice();
                ComputeTile();
            } while (Work.SliceExpired);
    }
    state.counters["threads"] = Work.ThreadCount;
}
}  // namespace

BENCHMARK_CAPTURE(PictureBench, default/auto/idle, Default, true, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PictureBench, default/one/idle, Default, false, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PictureBench, default/auto/loaded, Default, true, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PictureBench, default/one/loaded, Default, false, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PictureBench, deep/auto/idle, Seahorse35, true, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PictureBench, deep/one/idle, Seahorse35, false, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PictureBench, deep/auto/loaded, Seahorse35, true, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PictureBench, deep/one/loaded, Seahorse35, false, true)->Unit(benchmark::kMillisecond)->UseRealTime();
