// app/main_render.cpp - zentrix-render: the explorer's first picture of a saved view, as a PNG
// file, without a window.
//
// It runs the explorer's own start-up and render cycle on the headless backend, so the file
// holds the pixels the explorer would save after opening the view on a display of that size.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include "app/app.h"
#include "engine/dispatch.h"
#include "engine/work.h"
#include "files/export.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"
#include "ui/display.h"
#include "ui/message.h"
#include "ui/panel.h"

namespace {

constexpr const char* Usage =
    "usage: zentrix-render [--size WxH] [--threads N] [--kernel PATH] VIEW.zxp OUT.png\n"
    "  --size WxH     picture size, 16x16 up to 1920x1200 (default 1920x1080)\n"
    "  --threads N    computing threads, 1 to 8 (default: one per processor, at most 8)\n"
    "  --kernel PATH  scalar, avx2 or avx512, for comparisons (default: the best the\n"
    "                 processor offers, as in the explorer)\n";

struct RenderOptions {
    int         Width = 1920, Height = 1080;
    int         Threads = 0;   // automatic, as the explorer without a thread option
    KernelPath  Kernel = BestKernelPath();
    const char* View = nullptr;
    const char* Out = nullptr;
};

// Whole text of decimal digits within [lo, hi].
bool ParseCount(const char* s, int lo, int hi, int* out) {
    if (!*s || std::strlen(s) > 6) return false;
    int v = 0;
    for (; *s; ++s) {
        if (*s < '0' || *s > '9') return false;
        v = v * 10 + (*s - '0');
    }
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseSize(const char* s, RenderOptions* o) {
    const char* x = std::strchr(s, 'x');
    if (!x || x - s > 6) return false;
    char width[8] = "";
    std::memcpy(width, s, size_t(x - s));
    return ParseCount(width, 16, MaxWidth, &o->Width) && ParseCount(x + 1, 16, MaxHeight, &o->Height);
}

int Fail(const char* format, const char* detail) {
    std::fprintf(stderr, "zentrix-render: ");
    std::fprintf(stderr, format, detail);
    std::fprintf(stderr, "\n");
    return 1;
}

int UsageError(const char* format, const char* detail) {
    Fail(format, detail);
    std::fprintf(stderr, "%s", Usage);
    return 2;
}

// Returns -1 when the options are good, else the exit code.
int ParseArguments(int argc, char** argv, RenderOptions* o) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            std::printf("%s", Usage);
            return 0;
        }
        if (!std::strcmp(a, "--kernel")) {
            if (i + 1 >= argc) return UsageError("%s needs a value", a);
            const char* v = argv[++i];
            if (!ParseKernelPath(v, &o->Kernel))
                return UsageError("bad kernel path \"%s\": give scalar, avx2 or avx512", v);
            if (!KernelPathSupported(o->Kernel))
                return Fail("this processor cannot run the %s kernels", v);
        } else if (!std::strcmp(a, "--size") || !std::strcmp(a, "--threads")) {
            if (i + 1 >= argc) return UsageError("%s needs a value", a);
            const char* v = argv[++i];
            if (a[2] == 's' && !ParseSize(v, o))
                return UsageError("bad size \"%s\": give WxH from 16x16 up to 1920x1200", v);
            if (a[2] == 't' && !ParseCount(v, 1, MaxThreads, &o->Threads))
                return UsageError("bad thread count \"%s\": give 1 to 8", v);
        } else if (a[0] == '-' && a[1] == '-') {
            return UsageError("unknown option %s", a);
        } else if (positional == 0) {
            o->View = a;
            positional++;
        } else if (positional == 1) {
            o->Out = a;
            positional++;
        } else {
            return UsageError("unexpected argument \"%s\"", a);
        }
    }
    if (positional < 2) return UsageError("%s", "a view file and an output file are needed");
    return -1;
}

// A picture can only be written into a folder that exists, and not over a folder.
bool OutputPlaceUsable(const char* out) {
    std::error_code ec;
    std::filesystem::path path(out);
    if (path.filename().empty() || std::filesystem::is_directory(path, ec)) return false;
    std::filesystem::path parent = path.parent_path();
    return parent.empty() || std::filesystem::is_directory(parent, ec);
}

// The explorer's own start-up on a display of the picture's size, with as many processors
// as the threads asked for (the explorer's automatic choice then takes them all). The
// explorer opens a full-screen window of the display's size when both sides are even; for
// an odd side the display is one pixel larger and the window is cut to size before the
// first paint, with the tables that follow from the size built again.
void StartRenderer(const RenderOptions& o, const char* argv0) {
    const int screenW = o.Width + (o.Width & 1), screenH = o.Height + (o.Height & 1);
    HeadlessSetMetrics(PlatDisplayMetrics{screenW, screenH, screenW, screenH, 0, 0, screenW, screenH});
    unsigned processors = o.Threads ? unsigned(o.Threads) : std::thread::hardware_concurrency();
    HeadlessSetProcessorCount(processors > 0 ? int(processors) : 1);
    const char* args[] = {argv0, o.View, nullptr};
    StartUp(2, args);
    if (Calc.WindowWidth != o.Width || Calc.WindowHeight != o.Height) {
        Calc.WindowWidth = o.Width;
        Calc.WindowHeight = o.Height;
        Display.WindowRect = Rect{0, 0, o.Width, o.Height};
        BuildTileTables();
        ComputeLayout();
    }
}

struct Progress {
    bool    Shown;         // stderr is a terminal
    int64_t StartMs;
    int64_t NextDrawMs;
    int     Pass;          // 1 for the first pass over the tiles, more for refinement
    int32_t LastTile;
};

void DrawProgress(Progress& p, bool final) {
    const int64_t now = ClockMs();
    const int32_t tile = Work.TilePos;
    const bool computing = tile >= 0 && tile < TileCount;
    if (computing && tile < p.LastTile) p.Pass++;
    if (computing) p.LastTile = tile;
    if (!p.Shown || (!final && (!computing || now < p.NextDrawMs))) return;
    p.NextDrawMs = now + 100;
    const int done = final ? TileCount : tile;
    constexpr int BarWidth = 32;
    char bar[BarWidth + 1];
    for (int i = 0; i < BarWidth; ++i) bar[i] = i < done * BarWidth / TileCount ? '#' : '-';
    bar[BarWidth] = '\0';
    char pass[24] = "";
    if (p.Pass > 1) std::snprintf(pass, sizeof pass, "  refining %d", p.Pass - 1);
    std::fprintf(stderr, "\r[%s] %4d/%d tiles  %6.1f s%s   ", bar, done, TileCount,
                 double(now - p.StartMs) / 1000.0, pass);
    if (final) std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

// Paints until the first picture is complete, as the explorer's message loop would.
bool RenderFirstPicture() {
    Progress p{isatty(STDERR_FILENO) != 0, ClockMs(), 0, 1, 0};
    while (Work.TilePos != TileIdle) {
        if (!HeadlessPumpOne()) return false;
        DrawProgress(p, false);
    }
    DrawProgress(p, true);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions o;
    int code = ParseArguments(argc, argv, &o);
    if (code >= 0) return code;
    if (!OutputPlaceUsable(o.Out)) return Fail("cannot write \"%s\": no such folder, or it is a folder", o.Out);

    HeadlessUseRealClock();
    ForceKernelPath(o.Kernel);
    StartRenderer(o, argv[0]);   // looks the view up and loads it as the explorer does
    if (Messages.LoadState == 0 || (Messages.LoadState != 1 && !PlatFileExists(Messages.MessageFileName)))
        return Fail("cannot find the view file \"%s\"", o.View);
    if (Messages.LoadState != 1) return Fail("\"%s\" is not a valid view file", Messages.MessageFileName);
    if (!RenderFirstPicture()) return Fail("%s", "the picture stopped before it was complete");
    try {
        WritePicturePng(o.Out);
    } catch (...) {
        return Fail("cannot write \"%s\"", o.Out);
    }
    std::printf("%s: %d x %d, %d threads, calculation time %.3f s\n", o.Out, Calc.WindowWidth,
                Calc.WindowHeight, int(Work.ThreadCount), double(Cycle.CalcTimeMs) / 1000.0);
    std::printf("kernel path: %s\n", KernelPathName(Dispatch.Path));
    return 0;
}
