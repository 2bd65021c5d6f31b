// app/main_render.cpp - zentrix-render: pictures of a saved view without a window.
//
// At the window's sizes it runs the explorer's own start-up and render cycle on the headless
// backend, so the file holds the pixels the explorer would save after opening the view on a
// display of that size. Larger, sharper (--scale) or anti-aliased (--aa) pictures are posters
// computed band by band; --zoom-video and --frames make a video zooming down to the view.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>
#include "app/app.h"
#include "app/render_parts.h"
#include "engine/centre.h"
#include "engine/dispatch.h"
#include "engine/work.h"
#include "files/export.h"
#include "files/poster_file.h"
#include "files/zoom_video.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"
#include "render/poster.h"
#include "ui/display.h"
#include "ui/message.h"
#include "ui/panel.h"

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;         // the command line or the output's place is wrong
constexpr int ExitCancelled = 130;   // as a program ended by the interrupt
// What the options take.
constexpr int MinSide = 16;
constexpr int MaxFps = 240;
constexpr double MinSecondsPerZoom = 0.01, MaxSecondsPerZoom = 3600;
constexpr int32_t MaxVideoFrames = 1000000;
constexpr int32_t NoZoom = INT32_MIN;
constexpr double PlaneReach = 128;   // the plane's range is +-128

// The usage text, its limits taken from the constants that hold them.
void PrintUsage(FILE* to) {
    std::fprintf(to,
                 "usage: zentrix-render [options] VIEW.zxp OUT.png\n"
                 "       zentrix-render [options] --zoom-video OUT.mp4 VIEW.zxp     (or OUT.mkv; needs ffmpeg)\n"
                 "       zentrix-render [options] --frames DIR VIEW.zxp\n"
                 "  (with --re, --im or --zoom the view file may be left out: the default view's other values)\n"
                 "  --re R --im I  the view's centre, real and imaginary part, as decimals of any length\n"
                 "  --zoom Z       its zoom exponent, %d to %d (a pixel is 2^-(8 + Z))\n"
                 "  --deep         deep zoom: posters, --aa and videos go on past zoom %d down to %d (a\n"
                 "                 view deeper than %d is deep already)\n"
                 "  --size WxH     picture size, %dx%d up to %dx%d, or frame size up to %dx%d\n"
                 "                 (default 1920x1080)\n"
                 "  --scale K      K times the pixels along each side, K = 1, 2, 4, ...: the same region,\n"
                 "                 K times finer\n"
                 "  --aa N         each pixel the mean of N x N sub-pixels (N = 2 or %d), in linear light\n"
                 "  --zoom-video OUT  a video zooming from the whole set down to the view, H.264\n"
                 "  --frames DIR   the same video as numbered PNG frames in DIR\n"
                 "  --from Z       zoom of the video's first frame (default 0)\n"
                 "  --to Z         zoom of its last frame (default: the view's zoom)\n"
                 "  --fps N        frames per second, 1 to %d (default 30)\n"
                 "  --seconds-per-zoom S  seconds for each doubling of the zoom, %g to %g (default 1.0)\n"
                 "  --threads N    computing threads, 1 to %d (default: one per processor, at most %d)\n"
                 "  --kernel PATH  scalar, avx2 or avx512, for comparisons (default: the best the\n"
                 "                 processor offers, as in the explorer); perturbation computes every\n"
                 "                 zoom as deep zooms are computed\n"
                 "  --part I/N     compute only part I (0 to N - 1) into OUT.parts/; env/N takes I from a job\n"
                 "                 engine (SLURM_ARRAY_TASK_ID, JOB_COMPLETION_INDEX, AWS_BATCH_JOB_ARRAY_INDEX,\n"
                 "                 PARALLEL_SEQ)\n"
                 "  --missing N    print the parts not yet finished, as 0,3,5 (exit 1 when any is missing)\n"
                 "  --join N       join the N finished parts into OUT\n",
                 int(MinZoom), int(MaxDeepZoom), int(MaxZoom), int(MaxDeepZoom), int(MaxZoom), MinSide, MinSide,
                 int(MaxPosterSide), int(MaxPosterSide), MaxWidth, MaxHeight, int(MaxSubPixels),
                 MaxFps, MinSecondsPerZoom, MaxSecondsPerZoom, MaxThreads, MaxThreads);
}

struct RenderOptions {
    int         Width = 1920, Height = 1080;
    int         Scale = 1, Aa = 1;
    bool        Poster = false;    // --scale or --aa given, or a size beyond the window's
    int         Threads = 0;       // automatic, as the explorer without a thread option
    KernelPath  Kernel = BestKernelPath();
    const char* Video = nullptr;
    const char* Frames = nullptr;
    int32_t     From = 0, To = NoZoom;
    int         Fps = 30;
    double      SecondsPerZoom = 1.0;
    const char* View = nullptr;
    const char* Out = nullptr;
    PartsOptions Parts;
    bool        Deep = false;      // --deep
    bool        Perturb = false;   // --kernel perturbation
    // The view by its values, checked, passed on to the explorer's command line.
    const char* Re = nullptr;
    const char* Im = nullptr;
    const char* Zoom = nullptr;
};

bool GivesView(const RenderOptions& o) { return o.Re || o.Im || o.Zoom; }

bool MakesVideo(const RenderOptions& o) { return o.Video || o.Frames; }

// Whole text of decimal digits within [lo, hi], with a minus sign where lo < 0.
bool ParseCount(const char* s, int lo, int hi, int* out) {
    const bool negative = lo < 0 && *s == '-';
    if (negative) ++s;
    if (!*s || std::strlen(s) > 6) return false;
    int v = 0;
    for (; *s; ++s) {
        if (*s < '0' || *s > '9') return false;
        v = v * 10 + (*s - '0');
    }
    if (negative) v = -v;
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseSize(const char* s, RenderOptions* o) {
    const char* x = std::strchr(s, 'x');
    if (!x || x - s > 6) return false;
    char width[8] = "";
    std::memcpy(width, s, size_t(x - s));
    return ParseCount(width, MinSide, MaxPosterSide, &o->Width) &&
           ParseCount(x + 1, MinSide, MaxPosterSide, &o->Height);
}

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

bool ParseSeconds(const char* s, double* out) {
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (!*s || *end || !(v >= MinSecondsPerZoom && v <= MaxSecondsPerZoom)) return false;
    *out = v;
    return true;
}

void Report(const char* format, va_list args) {
    std::fprintf(stderr, "zentrix-render: ");
    std::vfprintf(stderr, format, args);
    std::fprintf(stderr, "\n");
}

[[gnu::format(printf, 1, 2)]] int Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report(format, args);
    va_end(args);
    return ExitFailed;
}

[[gnu::format(printf, 1, 2)]] int UsageError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report(format, args);
    va_end(args);
    PrintUsage(stderr);
    return ExitUsage;
}

// An output that cannot be written, and why.
int CannotWrite(const char* out, const PlatResult& why, int code = ExitFailed) {
    Fail("cannot write \"%s\": %s", out, why.Reason);
    return code;
}

// The exit code to end with, or nothing when the program goes on.
typedef std::optional<int> Verdict;
constexpr Verdict GoOn = std::nullopt;

// One option with a value.
Verdict ParseOption(const char* a, const char* v, RenderOptions* o) {
    int n = 0;
    CentreCoord centre;
    if (!std::strcmp(a, "--kernel") && !std::strcmp(v, "perturbation")) {
        o->Perturb = true;
    } else if (!std::strcmp(a, "--kernel")) {
        if (!ParseKernelPath(v, &o->Kernel))
            return UsageError("bad kernel path \"%s\": give scalar, avx2, avx512 or perturbation", v);
        if (!KernelPathSupported(o->Kernel)) return Fail("this processor cannot run the %s kernels", v);
    } else if (!std::strcmp(a, "--size")) {
        if (!ParseSize(v, o))
            return UsageError("bad size \"%s\": give WxH from %dx%d up to %dx%d", v, MinSide, MinSide,
                              int(MaxPosterSide), int(MaxPosterSide));
    } else if (!std::strcmp(a, "--threads")) {
        if (!ParseCount(v, 1, MaxThreads, &o->Threads))
            return UsageError("bad thread count \"%s\": give 1 to %d", v, MaxThreads);
    } else if (!std::strcmp(a, "--scale")) {
        if (!ParseCount(v, 1, MaxPosterSide, &o->Scale) || !PowerOfTwo(o->Scale))
            return UsageError("bad scale \"%s\": give a power of two (1, 2, 4, ...)", v);
        o->Poster = true;
    } else if (!std::strcmp(a, "--aa")) {
        if (!ParseCount(v, 1, MaxSubPixels, &o->Aa) || !PowerOfTwo(o->Aa))
            return UsageError("bad anti-aliasing \"%s\": give 2 or %d", v, int(MaxSubPixels));
        o->Poster = true;
    } else if (!std::strcmp(a, "--zoom-video")) {
        if (!VideoFileKnown(v)) return UsageError("unknown video extension \"%s\": give a .mp4 or .mkv file", v);
        o->Video = v;
    } else if (!std::strcmp(a, "--frames")) {
        o->Frames = v;
    } else if (!std::strcmp(a, "--from") || !std::strcmp(a, "--to") || !std::strcmp(a, "--zoom")) {
        if (!ParseCount(v, MinZoom, MaxDeepZoom, &n))
            return UsageError("bad zoom \"%s\": give %d to %d", v, int(MinZoom), int(MaxDeepZoom));
        if (a[2] == 'z') o->Zoom = v;
        else (a[2] == 'f' ? o->From : o->To) = n;
    } else if (!std::strcmp(a, "--re") || !std::strcmp(a, "--im")) {
        if (!DecimalToCentre(v, &centre))
            return UsageError("bad coordinate \"%s\": give a decimal number between -128 and 128", v);
        (a[2] == 'r' ? o->Re : o->Im) = v;
    } else if (!std::strcmp(a, "--fps")) {
        if (!ParseCount(v, 1, MaxFps, &o->Fps)) return UsageError("bad frame rate \"%s\": give 1 to %d", v, MaxFps);
    } else if (!std::strcmp(a, "--seconds-per-zoom")) {
        if (!ParseSeconds(v, &o->SecondsPerZoom))
            return UsageError("bad seconds per zoom \"%s\": give %g to %g", v, MinSecondsPerZoom, MaxSecondsPerZoom);
    } else if (IsPartsOption(a)) {
        std::string error;
        if (!ParsePartsOption(a, v, &o->Parts, &error)) return UsageError("%s", error.c_str());
    } else {
        return UsageError("unknown option %s", a);
    }
    return GoOn;
}

// The combination of the options, before the view is read.
Verdict CheckOptions(RenderOptions* o) {
    if (o->Video && o->Frames) return UsageError("%s", "give --zoom-video or --frames, not both");
    if (MakesVideo(*o)) {
        if (o->Out) return UsageError("unexpected argument \"%s\": a video needs only its view file", o->Out);
        if (o->Poster) return UsageError("%s", "--scale and --aa are for pictures; a video's frames are sharp already");
        if (o->Width > MaxWidth || o->Height > MaxHeight)
            return UsageError("a video's frames are at most %dx%d", MaxWidth, MaxHeight);
        if (o->Video && (o->Width % 2 || o->Height % 2))
            return UsageError("%s", "an H.264 video needs an even frame width and height");
        return GoOn;
    }
    if (o->Width > MaxWidth || o->Height > MaxHeight) o->Poster = true;
    if (int64_t(o->Width) * o->Scale > MaxPosterSide || int64_t(o->Height) * o->Scale > MaxPosterSide)
        return UsageError("the picture would be %lldx%lld pixels: at most %dx%d", (long long)o->Width * o->Scale,
                          (long long)o->Height * o->Scale, int(MaxPosterSide), int(MaxPosterSide));
    return GoOn;
}

Verdict ParseArguments(int argc, char** argv, RenderOptions* o) {
    const char* positional[2] = {};
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            PrintUsage(stdout);
            return 0;
        }
        if (!std::strcmp(a, "--deep")) {
            o->Deep = true;
        } else if (a[0] == '-' && a[1] == '-') {
            if (i + 1 >= argc) return UsageError("%s needs a value", a);
            if (const Verdict v = ParseOption(a, argv[++i], o)) return v;
        } else if (count < 2) {
            positional[count++] = a;
        } else {
            return UsageError("unexpected argument \"%s\"", a);
        }
    }
    // The view file comes first; a view given by its values may stand in for it.
    const bool video = MakesVideo(*o);
    const int wanted = video ? 1 : 2, least = GivesView(*o) ? wanted - 1 : wanted;
    if (count < least) return UsageError("%s", "a view file and an output file are needed");
    o->View = count >= wanted ? positional[0] : nullptr;
    // A second word of a video is refused below: a video has no picture file.
    o->Out = video ? (count == 2 ? positional[1] : nullptr) : positional[count - 1];
    return CheckOptions(o);
}

// The explorer's own start-up on a display of w x h, with as many processors as the threads
// asked for (the explorer's automatic choice then takes them all). The explorer opens a
// full-screen window of the display's size when both sides are even; for an odd side the
// display is one pixel larger and the window is cut to size before the first paint, with the
// tables that follow from the size built again.
void StartRenderer(const RenderOptions& o, int w, int h, const char* argv0) {
    const int screenW = w + (w & 1), screenH = h + (h & 1);
    HeadlessSetMetrics(PlatDisplayMetrics{screenW, screenH, screenW, screenH, 0, 0, screenW, screenH});
    unsigned processors = o.Threads ? unsigned(o.Threads) : std::thread::hardware_concurrency();
    HeadlessSetProcessorCount(processors > 0 ? int(processors) : 1);
    HeadlessDrawNowhere();   // the picture is taken from the program's own image
    const char* args[12] = {argv0};
    int n = 1;
    if (o.View) args[n++] = o.View;
    for (const auto& [name, value] : {std::pair{"--re", o.Re}, {"--im", o.Im}, {"--zoom", o.Zoom}})
        if (value) {
            args[n++] = name;
            args[n++] = value;
        }
    if (o.Deep) args[n++] = "--deep";
    StartUp(n, args);
    Deep.Forced = o.Perturb;
    Cycle.OnePicture = 1;   // nothing goes back to an earlier picture
    if (Calc.WindowWidth != w || Calc.WindowHeight != h) {
        Calc.WindowWidth = w;
        Calc.WindowHeight = h;
        Display.WindowRect = Rect{0, 0, w, h};
        BuildTileTables();
        ComputeLayout();
    }
}

// ---- Progress ------------------------------------------------------------------------

struct Progress {
    bool    Shown;         // stderr is a terminal
    int64_t StartMs;
    int64_t NextDrawMs;
    int     Pass;          // 1 for the first pass over the tiles, more for refinement
    int32_t LastTile;
};
Progress Bar;

void DrawBar(double fraction, const char* detail, bool final) {
    const int64_t now = ClockMs();
    if (!Bar.Shown || (!final && now < Bar.NextDrawMs)) return;
    Bar.NextDrawMs = now + 100;
    constexpr int BarWidth = 32;
    char bar[BarWidth + 1];
    for (int i = 0; i < BarWidth; ++i) bar[i] = i < int(fraction * BarWidth) ? '#' : '-';
    bar[BarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %s  %6.1f s   ", bar, detail, double(now - Bar.StartMs) / 1000.0);
    if (final) std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

void DrawCycleProgress(bool final) {
    const int32_t tile = Work.TilePos;
    const bool computing = tile >= 0 && tile < TileCount;
    if (computing && tile < Bar.LastTile) Bar.Pass++;
    if (computing) Bar.LastTile = tile;
    if (!final && !computing) return;
    const int done = final ? TileCount : tile;
    char detail[64];
    int n = std::snprintf(detail, sizeof detail, "%4d/%d tiles", done, TileCount);
    if (Bar.Pass > 1) std::snprintf(detail + n, sizeof detail - size_t(n), "  refining %d", Bar.Pass - 1);
    DrawBar(double(done) / TileCount, detail, final);
}

void DrawPosterProgress() {
    char detail[64];
    const double fraction = double(Poster.TilesDone) / double(PosterTiles(Poster.Height));
    std::snprintf(detail, sizeof detail, "%5.1f %% of %d x %d", 100 * fraction, int(Poster.Width), int(Poster.Height));
    DrawBar(fraction, detail, false);
}

void DrawVideoProgress() {
    char detail[96];
    const VideoProgressState& v = VideoProgress;
    const double keyframe = double(Poster.TilesDone) / double(PosterTiles(Poster.Height));
    const double fraction = (v.KeyframesDone + keyframe) / v.Keyframes;
    std::snprintf(detail, sizeof detail, "keyframe %d/%d, frame %d/%d", int(v.KeyframesDone) + 1, int(v.Keyframes),
                  int(v.FramesDone.load()), int(v.Frames));
    DrawBar(fraction < 1 ? fraction : 1, detail, false);
}

// ---- The three kinds of output -------------------------------------------------------

// Paints until the first picture is complete, as the explorer's message loop would; the exit
// code when it cannot be.
Verdict PaintWindowPicture() {
    while (Work.TilePos != TileIdle) {
        if (PlatCancelRequested()) {
            Fail("%s", "cancelled: nothing written");
            return ExitCancelled;
        }
        if (!HeadlessPumpOne()) return Fail("%s", "the picture stopped before it was complete");
        DrawCycleProgress(false);
    }
    DrawCycleProgress(true);
    return GoOn;
}

int RenderWindowPicture(const RenderOptions& o) {
    if (const Verdict painted = PaintWindowPicture()) return *painted;
    const PlatResult written = WriteScreenPng(o.Out);
    if (!written) return CannotWrite(o.Out, written);
    std::printf("%s: %d x %d, %d threads, calculation time %.3f s\n", o.Out, Calc.WindowWidth,
                Calc.WindowHeight, int(Work.ThreadCount), double(Cycle.CalcTimeMs) / 1000.0);
    return 0;
}

int Finished(const PlatResult& r, const char* out) {
    if (r.Code == Outcome::Cancelled) {
        Fail("%s", "cancelled: nothing written");
        return ExitCancelled;
    }
    if (r.Code == Outcome::Failed) return CannotWrite(out, r);
    return 0;
}

int RenderPoster(const RenderOptions& o, const ViewParams& view) {
    const int w = o.Width * o.Scale, h = o.Height * o.Scale;
    BeginPoster(view, view.ld_Zoom + Log2Of(o.Scale), w, h, o.Aa);
    Poster.OnTile = DrawPosterProgress;
    const int64_t start = ClockMs();
    const int code = Finished(WritePosterPng(o.Out), o.Out);
    if (code) return code;
    DrawBar(1, "done", true);
    std::printf("%s: %d x %d (scale %d, aa %d), %d threads, %.3f s\n", o.Out, w, h, o.Scale, o.Aa,
                int(Work.ThreadCount), double(ClockMs() - start) / 1000.0);
    return 0;
}

int RenderVideo(const RenderOptions& o, const ZoomVideoPlan& plan) {
    Poster.OnTile = DrawVideoProgress;
    const int64_t start = ClockMs();
    const char* out = o.Video ? o.Video : o.Frames;
    const PlatResult r = MakeZoomVideo(plan);
    if (r.Code == Outcome::Cancelled && o.Frames) {
        std::fprintf(stderr, "zentrix-render: cancelled after %d whole frames\n", int(VideoProgress.FramesDone.load()));
        return ExitCancelled;
    }
    const int code = Finished(r, out);
    if (code) return code;
    DrawBar(1, "done", true);
    std::printf("%s: %d frames of %d x %d at %d fps, zoom %d to %d, %d threads, %.3f s\n", out,
                int(ZoomVideoFrames(plan)), plan.Width, plan.Height, plan.Fps, int(plan.From), int(plan.To),
                int(Work.ThreadCount), double(ClockMs() - start) / 1000.0);
    return 0;
}

// The checks that need the view: the zooms a poster or a video reaches, and the region.
Verdict CheckAgainstView(const RenderOptions& o, const ViewParams& view, ZoomVideoPlan* plan) {
    // How deep a picture may go: the exact formats' zooms, or with deep zoom (--deep, or a
    // deep view) the perturbation's.
    const int32_t deepest = DeepestZoom();
    const char* deeper = Deep.On ? "" : " (--deep goes deeper)";
    if (MakesVideo(o)) {
        const int32_t to = o.To == NoZoom ? view.ld_Zoom : o.To;
        // The last keyframe is computed one zoom deeper than its frame.
        if (to >= deepest)
            return UsageError("a zoom video ends at zoom %d at the deepest: give --to%s", int(deepest - 1), deeper);
        if (o.From >= to) return UsageError("--from %d must lie below the last frame's zoom %d", int(o.From), int(to));
        *plan = ZoomVideoPlan{view, o.From, to, o.Width, o.Height, o.Fps, o.SecondsPerZoom, o.Video, o.Frames, 0, 0};
        if (ZoomVideoFrames(*plan) > MaxVideoFrames)
            return UsageError("the video would have more than %d frames", int(MaxVideoFrames));
        return GoOn;
    }
    const int32_t zoom = view.ld_Zoom + Log2Of(o.Scale) + Log2Of(o.Aa);
    if (zoom > deepest)
        return UsageError("--scale %d --aa %d of a view at zoom %d needs zoom %d, beyond %d%s", o.Scale, o.Aa,
                          int(view.ld_Zoom), int(zoom), int(deepest), deeper);
    // Half the picture must stay inside the plane's range (a pixel is 2^-(8 + zoom)).
    const double half = std::ldexp(double(std::max(o.Width, o.Height)) * o.Scale, -9 - view.ld_Zoom - Log2Of(o.Scale));
    if (half >= PlaneReach)
        return UsageError("the picture reaches beyond the plane's range of +-%g: give a smaller size", PlaneReach);
    return GoOn;
}

// The parts of a picture: a poster's computed band by band, the window's picture cut from the
// whole, which each part computes (it is small).
int RenderPictureParts(const RenderOptions& o, bool window) {
    char options[96];
    const char* kernel = o.Perturb ? " --kernel perturbation" : "";   // other bits than the exact formats'
    if (window) std::snprintf(options, sizeof options, "--size %dx%d%s, the window's picture", o.Width, o.Height, kernel);
    else std::snprintf(options, sizeof options, "--size %dx%d --scale %d --aa %d%s", o.Width, o.Height, o.Scale, o.Aa, kernel);
    const int w = o.Width * o.Scale, h = o.Height * o.Scale;
    PartsJob job{o.Out, w, h, PartIdentity(LoadedParams, options), o.Height, {}};
    if (window) {
        job.Rows = [w, painted = false](int32_t row0, int32_t rows, RgbPixel* out) mutable {
            if (!painted && PaintWindowPicture()) return false;
            painted = true;
            std::memcpy(out, ScreenImage + size_t(row0) * size_t(w), size_t(rows) * size_t(w) * sizeof(RgbPixel));
            return true;
        };
    } else {
        const ViewParams view = FirstPictureView(LoadedParams);
        BeginPoster(view, view.ld_Zoom + Log2Of(o.Scale), w, h, o.Aa);
        job.BandRows = Poster.PieceHeight / Poster.Sub;
        job.Rows = [w](int32_t row0, int32_t rows, RgbPixel* out) { return ComputePosterRows(row0, rows, out, w); };
    }
    return RunPictureParts(o.Parts, job, [](const char* name) -> const char* { return std::getenv(name); });
}

int RenderVideoParts(const RenderOptions& o, const ZoomVideoPlan& plan) {
    char options[160];
    std::snprintf(options, sizeof options, "%s --size %dx%d --from %d --to %d --fps %d --seconds-per-zoom %.17g%s",
                  o.Video ? "--zoom-video" : "--frames", o.Width, o.Height, int(plan.From), int(plan.To), o.Fps,
                  o.SecondsPerZoom, o.Perturb ? " --kernel perturbation" : "");
    return RunVideoParts(o.Parts, plan, PartIdentity(LoadedParams, options),
                         [](const char* name) -> const char* { return std::getenv(name); });
}

// The frames folder is made when missing, and must take new files.
PlatResult FramesFolderUsable(const char* folder) {
    const PlatResult made = PlatCreateFolder(folder);
    if (!made) return made;
    char first[PlatPathCapacity];
    FrameFileName(folder, 0, first, sizeof first);
    return PlatOutputPlaceUsable(first);
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions o;
    if (const Verdict v = ParseArguments(argc, argv, &o)) return *v;
    const char* out = o.Video ? o.Video : o.Out;
    if (const PlatResult usable = out ? PlatOutputPlaceUsable(out) : PlatDone(); !usable)
        return CannotWrite(out, usable, ExitUsage);
    const bool encodes = o.Parts.Mode == PartsMode::None || o.Parts.Mode == PartsMode::Join;   // parts make frames
    if (o.Video && encodes && !PlatProgramAvailable(VideoEncoder))
        return Fail("%s", "ffmpeg is not installed (Debian package ffmpeg); --frames DIR writes the frames as PNG "
                          "files instead");

    PlatWatchCancel();
    HeadlessUseRealClock();
    ForceKernelPath(o.Kernel);
    const bool window = !o.Poster && !MakesVideo(o);
    StartRenderer(o, window ? o.Width : 640, window ? o.Height : 360, argv[0]);   // loads the view as the explorer does
    if (o.View && Messages.LoadState != LoadDone) {
        if (Messages.LoadState == LoadFailed && PlatFileExists(Messages.MessageFileName))
            return Fail("\"%s\" is not a valid view file", Messages.MessageFileName);
        return Fail("cannot find the view file \"%s\"", o.View);
    }
    Bar = Progress{PlatStderrIsTerminal(), ClockMs(), 0, 1, 0};
    int code = 0;
    const bool parts = o.Parts.Mode != PartsMode::None;
    if (window) {
        code = parts ? RenderPictureParts(o, true) : RenderWindowPicture(o);
    } else {
        const ViewParams view = FirstPictureView(LoadedParams);
        ZoomVideoPlan plan{};
        if (const Verdict v = CheckAgainstView(o, view, &plan)) return *v;
        if (const PlatResult usable = o.Frames ? FramesFolderUsable(o.Frames) : PlatDone(); !usable) {
            Fail("cannot write frames into \"%s\": %s", o.Frames, usable.Reason);
            return ExitUsage;
        }
        if (MakesVideo(o) && parts) code = RenderVideoParts(o, plan);
        else code = MakesVideo(o) ? RenderVideo(o, plan) : parts ? RenderPictureParts(o, false) : RenderPoster(o, view);
    }
    if (code == 0 && (!parts || o.Parts.Mode == PartsMode::Part))   // the others print lists or join only
        std::printf("kernel path: %s\n", KernelPathName(Dispatch.Path));
    return code;
}
