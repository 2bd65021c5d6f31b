// bench/poster_bench.cpp - posters, anti-aliased pictures and a zoom video against the
// window-sized picture of the same view, each from its computation to its finished file.
//
// The window's picture is the explorer's first picture of the view at 1920 x 1080 through
// the render cycle, as zentrix-render makes it; posters and videos are computed in pieces.
// Every run writes its file into the system's temporary folder. CPU times are those of the
// whole process, every thread; ZENTRIX_BENCH_THREADS sets the computing threads (default:
// one per processor), so that one thread gives the cost without any waiting between threads.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>
#include "engine/work.h"
#include "files/poster_file.h"
#include "files/zoom_video.h"
#include "files/export.h"
#include "files/params.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"
#include "render/poster.h"
#include "render/resample.h"
#include "tests/support.h"
#include "ui/message.h"

namespace {
constexpr int W = 1920, H = 1080;
const char* const Views[] = {"default", "seahorse35"};

ViewParams ReadView(const char* name) {
    static bool started = false;
    if (!started) {
        HeadlessSetScreen(W, H);
        const char* threads = std::getenv("ZENTRIX_BENCH_THREADS");
        HeadlessSetProcessorCount(threads ? std::atoi(threads) : int(std::max(1u, std::thread::hardware_concurrency())));
        HeadlessUseRealClock();
        StartProgram({"zentrix"});
        HeadlessPumpUntilIdle();
        started = true;
    }
    const std::string path = std::string(ZENTRIX_SOURCE_DIR) + "/bench/views/" + name + ".zxp";
    char text[ParamFileMaxBytes];
    const int64_t n = PlatReadFile(path.c_str(), text, sizeof text);
    ViewParams v{};
    if (n <= 0 || !ParseParameterFile(text, n, &v)) std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return v;
}

std::string Scratch(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void BM_WindowPicture(benchmark::State& state) {
    LoadedParams = ReadView(Views[state.range(0)]);
    const std::string out = Scratch("zentrix-bench-window.png");
    for (auto _ : state) {
        Messages.LoadState = LoadDone;   // the finished picture's load message clears it
        PostCommand(CmdNewPicture);
        // As zentrix-render does: paints until the picture is complete, no later timers.
        while (Work.TilePos != TileIdle && HeadlessPumpOne()) {}
        WriteScreenPng(out.c_str());
    }
    state.SetLabel(Views[state.range(0)]);
}

// --scale K of the 1920 x 1080 view, or --aa N of it.
void Poster(benchmark::State& state, int32_t scale, int32_t sub) {
    const ViewParams view = FirstPictureView(ReadView(Views[state.range(0)]));
    const std::string out = Scratch("zentrix-bench-poster.png");
    for (auto _ : state) {
        BeginPoster(view, view.ld_Zoom + Log2Of(scale), W * scale, H * scale, sub);
        if (!WritePosterPng(out.c_str())) state.SkipWithError("poster not written");
    }
    state.SetLabel(Views[state.range(0)]);
}
void BM_Poster(benchmark::State& state) { Poster(state, int32_t(state.range(1)), 1); }
void BM_AntiAliased(benchmark::State& state) { Poster(state, 1, int32_t(state.range(1))); }

// The averaging alone of a 1920 x 1080 picture of 4 x 4 sub-pixels of the view, piece by
// piece from a piece-sized buffer as the poster does it (the copies are not timed).
void BM_Downsample4(benchmark::State& state) {
    const ViewParams view = FirstPictureView(ReadView(Views[state.range(0)]));
    std::vector<RgbPixel> sub(size_t(W) * H * 16), piece(size_t(MaxWidth) * MaxHeight), out(size_t(W) * H);
    BeginPoster(view, view.ld_Zoom + 2, W * 4, H * 4, 1);
    ComputePosterRows(0, H * 4, sub.data(), W * 4);
    for (auto _ : state) {
        for (int y = 0; y < H * 4; y += MaxHeight)
            for (int x = 0; x < W * 4; x += MaxWidth) {
                const int w = std::min(MaxWidth, W * 4 - x), h = std::min(MaxHeight, H * 4 - y);
                state.PauseTiming();
                for (int r = 0; r < h; ++r)
                    std::copy_n(&sub[size_t(y + r) * W * 4 + size_t(x)], w, &piece[size_t(r) * size_t(w)]);
                state.ResumeTiming();
                DownsampleBox(piece.data(), w, 4, &out[size_t(y / 4) * W + size_t(x / 4)], W, w / 4, h / 4);
            }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(Views[state.range(0)]);
}

double ChildrenCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// The 20-second 1280 x 720 video from zoom 0 to 20 of the seahorse view, through ffmpeg,
// whose processor time is counted apart.
void BM_ZoomVideo(benchmark::State& state) {
    const ViewParams view = FirstPictureView(ReadView("seahorse35"));
    const std::string out = Scratch("zentrix-bench-zoom.mp4");
    ZoomVideoPlan plan{view, 0, 20, 1280, 720, 30, 1.0, out.c_str(), nullptr, 0, 0};
    const double before = ChildrenCpuSeconds();
    for (auto _ : state)
        if (!MakeZoomVideo(plan)) state.SkipWithError("video not made (is ffmpeg installed?)");
    state.counters["frames"] = ZoomVideoFrames(plan);
    state.counters["ffmpeg_cpu_s"] = (ChildrenCpuSeconds() - before) / double(state.iterations());
}
}  // namespace

BENCHMARK(BM_WindowPicture)->ArgName("view")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_Poster)->ArgNames({"view", "scale"})->ArgsProduct({{0, 1}, {1, 4}})->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_AntiAliased)->ArgNames({"view", "aa"})->ArgsProduct({{0, 1}, {4}})->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_Downsample4)->ArgName("view")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ZoomVideo)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
