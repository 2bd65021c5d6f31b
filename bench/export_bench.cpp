// bench/export_bench.cpp - saving a picture: the explorer's 1920 x 1080 first pictures of two
// views encoded as PNG files, from ScreenImage to a complete file on the disk.
//
// The default view has large areas of one colour; the seahorse valley at zoom 35 is fine
// detail almost everywhere, the hard case for deflate.
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>
#include "engine/state.h"
#include "files/png.h"
#include "platform/headless/headless.h"
#include "tests/support.h"

namespace {
constexpr int W = 1920, H = 1080;

// The first picture of a view file, as the explorer shows it on a 1920 x 1080 display.
void ComputeFirstPicture(const char* view) {
    static std::string shown;
    if (shown == view) return;
    HeadlessReset();
    HeadlessSetMetrics(PlatDisplayMetrics{W, H, W, H, 0, 0, W, H});
    HeadlessSetProcessorCount(int(std::max(1u, std::thread::hardware_concurrency())));
    HeadlessUseRealClock();
    const std::string path = std::string(ZENTRIX_SOURCE_DIR "/bench/views/") + view;
    StartProgram({"zentrix", path.c_str()});
    HeadlessPumpUntilIdle();
    shown = view;
}

void ExportBench(benchmark::State& state, const char* view) {
    ComputeFirstPicture(view);
    char out[64];
    std::snprintf(out, sizeof out, "/tmp/zentrix-export-bench-%ld.png", long(getpid()));
    for (auto _ : state) WritePicturePng(out, ScreenImage, Calc.WindowWidth, Calc.WindowHeight);
    FILE* f = std::fopen(out, "rb");
    if (f) {
        std::fseek(f, 0, SEEK_END);
        state.counters["bytes"] = double(std::ftell(f));
        std::fclose(f);
    }
    std::remove(out);
}
}  // namespace

BENCHMARK_CAPTURE(ExportBench, default, "default.zxp")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ExportBench, seahorse35, "seahorse35.zxp")->Unit(benchmark::kMillisecond)->UseRealTime();
