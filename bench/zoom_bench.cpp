// bench/zoom_bench.cpp - from a zoom-in command to the finished picture, through the render
// cycle of the whole program at 1920 x 1080, with the interior shortcut on and off.
//
// The view sits on the cusp between the cardioid and the disc left of it, so about half of
// the zoomed picture is inside the set: the shortcut skips most of that and computes only
// the inside pixels near escaping ones.
#include <benchmark/benchmark.h>
#include <algorithm>
#include <thread>
#include <vector>
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "tests/support.h"

namespace {
constexpr int W = 1920, H = 1080;
constexpr int32_t Limit = 1000;

struct Base {
    ViewParams View;
    std::vector<int32_t> Counts;   // the picture the zoom starts from
    std::vector<uint32_t> Image;
};

void RunCommand(int32_t code) {
    PostCommand(code);
    HeadlessPumpUntilIdle();
}

// The program started once, with the base picture computed in full.
const Base& BasePicture() {
    static Base base;
    static bool made = false;
    if (made) return base;
    HeadlessSetScreen(W, H);
    HeadlessSetProcessorCount(int(std::max(1u, std::thread::hardware_concurrency())));
    StartProgram({"zentrix"});
    HeadlessPumpUntilIdle();
    View.Center_zX = ToLong128(0.0);
    View.Center_zY = ToLong128(-0.75);
    View.ld_Zoom = 3;
    View.Iteration = Limit;
    View.Alt_Iteration = 0;   // a fixed limit, so both runs compute the same picture
    View.Automatic = 0;
    RunCommand(CmdRecompute);
    base.View = View;
    base.Counts.assign(&NAt(0, 0), &NAt(0, 0) + WorkMaskCount);
    base.Image.assign(ScreenImage, ScreenImage + MaxPixels);
    made = true;
    return base;
}

void Restore(const Base& base, uint8_t shortcut) {
    std::copy(base.Counts.begin(), base.Counts.end(), &NAt(0, 0));
    std::copy(base.Image.begin(), base.Image.end(), ScreenImage);
    View = base.View;
    View.Automatic = shortcut;
    SetupCalculation();
}

void ZoomIn(benchmark::State& state, int32_t code) {
    const uint8_t shortcut = uint8_t(state.range(0));
    const Base& base = BasePicture();
    Input.PressX = W / 2 + 200;
    Input.PressY = H / 2;
    uint32_t percent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Restore(base, shortcut);
        state.ResumeTiming();
        RunCommand(code);
        percent = InsideCount;
    }
    state.counters["inside_pct"] = percent;
    state.counters["skipping"] = shortcut && !Cycle.RecomputeAll;
    state.counters["threads"] = Work.ThreadCount;
}

void BM_ZoomInTwice(benchmark::State& state) { ZoomIn(state, CmdZoomIn); }
void BM_ZoomInAtPoint(benchmark::State& state) { ZoomIn(state, CmdZoomInAtPoint); }
}  // namespace

BENCHMARK(BM_ZoomInTwice)->ArgName("shortcut")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZoomInAtPoint)->ArgName("shortcut")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
