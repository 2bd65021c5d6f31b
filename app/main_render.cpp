// app/main_render.cpp - zentrix-render: pictures of a saved view without a window.
//
// At the window's sizes it runs the explorer's own start-up and render cycle on the headless
// backend, so the file holds the pixels the explorer would save after opening the view on a
// display of that size. Larger, sharper (--scale) or anti-aliased (--aa) pictures are posters
// computed band by band; --zoom-video and --frames make a video zooming down to the view.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include "app/app.h"
#include "app/render_parts.h"
#include "engine/dispatch.h"
#include "engine/work.h"
#include "files/batch.h"
#include "files/export.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"
#include "render/poster.h"
#include "ui/display.h"
#include "ui/message.h"
#include "ui/panel.h"

namespace {

constexpr const char* Usage =
    "usage: zentrix-render [options] VIEW.zxp OUT.png\n"
    "       zentrix-render [options] --zoom-video OUT.mp4 VIEW.zxp     (or OUT.mkv; needs ffmpeg)\n"
    "       zentrix-render [options] --frames DIR VIEW.zxp\n"
    "  --size WxH     picture size, 16x16 up to 65536x65536, or frame size up to 1920x1200\n"
    "                 (default 1920x1080)\n"
    "  --scale K      K times the pixels along each side, K = 1, 2, 4, ...: the same region,\n"
    "                 K times finer\n"
    "  --aa N         each pixel the mean of N x N sub-pixels (N = 2 or 4), in linear light\n"
    "  --zoom-video OUT  a video zooming from the whole set down to the view, H.264\n"
    "  --frames DIR   the same video as numbered PNG frames in DIR\n"
    "  --from Z       zoom of the video's first frame (default 0)\n"
    "  --to Z         zoom of its last frame (default: the view's zoom)\n"
    "  --fps N        frames per second, 1 to 240 (default 30)\n"
    "  --seconds-per-zoom S  seconds for each doubling of the zoom, 0.01 to 3600 (default 1.0)\n"
    "  --threads N    computing threads, 1 to 8 (default: one per processor, at most 8)\n"
    "  --kernel PATH  scalar, avx2 or avx512, for comparisons (default: the best the\n"
    "                 processor offers, as in the explorer)\n"
    "  --part I/N     compute only part I (0 to N - 1) into OUT.parts/; env/N takes I from a job\n"
    "                 engine (SLURM_ARRAY_TASK_ID, JOB_COMPLETION_INDEX, AWS_BATCH_JOB_ARRAY_INDEX,\n"
    "                 PARALLEL_SEQ)\n"
    "  --missing N    print the parts not yet finished, as 0,3,5 (exit 1 when any is missing)\n"
    "  --join N       join the N finished parts into OUT\n";

constexpr int ExitCancelled = 130;   // as a program ended by the interrupt
constexpr int MaxFps = 240;
constexpr int32_t MaxVideoFrames = 1000000;
constexpr int32_t NoZoom = INT32_MIN;

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
};

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
    return ParseCount(width, 16, MaxPosterSide, &o->Width) && ParseCount(x + 1, 16, MaxPosterSide, &o->Height);
}

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

bool ParseSeconds(const char* s, double* out) {
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (!*s || *end || !(v >= 0.01 && v <= 3600)) return false;
    *out = v;
    return true;
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

// One option with a value; -1 when it was good, else the exit code.
int ParseOption(const char* a, const char* v, RenderOptions* o) {
    int n = 0;
    if (!std::strcmp(a, "--kernel")) {
        if (!ParseKernelPath(v, &o->Kernel)) return UsageError("bad kernel path \"%s\": give scalar, avx2 or avx512", v);
        if (!KernelPathSupported(o->Kernel)) return Fail("this processor cannot run the %s kernels", v);
    } else if (!std::strcmp(a, "--size")) {
        if (!ParseSize(v, o)) return UsageError("bad size \"%s\": give WxH from 16x16 up to 65536x65536", v);
    } else if (!std::strcmp(a, "--threads")) {
        if (!ParseCount(v, 1, MaxThreads, &o->Threads)) return UsageError("bad thread count \"%s\": give 1 to 8", v);
    } else if (!std::strcmp(a, "--scale")) {
        if (!ParseCount(v, 1, MaxPosterSide, &o->Scale) || !PowerOfTwo(o->Scale))
            return UsageError("bad scale \"%s\": give a power of two (1, 2, 4, ...)", v);
        o->Poster = true;
    } else if (!std::strcmp(a, "--aa")) {
        if (!ParseCount(v, 1, MaxSubPixels, &o->Aa) || !PowerOfTwo(o->Aa))
            return UsageError("bad anti-aliasing \"%s\": give 2 or 4", v);
        o->Poster = true;
    } else if (!std::strcmp(a, "--zoom-video")) {
        if (!VideoFileKnown(v)) return UsageError("unknown video extension \"%s\": give a .mp4 or .mkv file", v);
        o->Video = v;
    } else if (!std::strcmp(a, "--frames")) {
        o->Frames = v;
    } else if (!std::strcmp(a, "--from") || !std::strcmp(a, "--to")) {
        if (!ParseCount(v, MinZoom, MaxZoom, &n)) return UsageError("bad zoom \"%s\": give -4 to 112", v);
        (a[2] == 'f' ? o->From : o->To) = n;
    } else if (!std::strcmp(a, "--fps")) {
        if (!ParseCount(v, 1, MaxFps, &o->Fps)) return UsageError("bad frame rate \"%s\": give 1 to 240", v);
    } else if (!std::strcmp(a, "--seconds-per-zoom")) {
        if (!ParseSeconds(v, &o->SecondsPerZoom)) return UsageError("bad seconds per zoom \"%s\": give 0.01 to 3600", v);
    } else if (IsPartsOption(a)) {
        std::string error;
        if (!ParsePartsOption(a, v, &o->Parts, &error)) return UsageError("%s", error.c_str());
    } else {
        return UsageError("unknown option %s", a);
    }
    return -1;
}

// The combination of the options, before the view is read.
int CheckOptions(RenderOptions* o) {
    char text[64];
    if (o->Video && o->Frames) return UsageError("%s", "give --zoom-video or --frames, not both");
    if (MakesVideo(*o)) {
        if (o->Out) return UsageError("unexpected argument \"%s\": a video needs only its view file", o->Out);
        if (o->Poster) return UsageError("%s", "--scale and --aa are for pictures; a video's frames are sharp already");
        if (o->Width > MaxWidth || o->Height > MaxHeight)
            return UsageError("%s", "a video's frames are at most 1920x1200");
        if (o->Video && (o->Width % 2 || o->Height % 2))
            return UsageError("%s", "an H.264 video needs an even frame width and height");
        return -1;
    }
    if (o->Width > MaxWidth || o->Height > MaxHeight) o->Poster = true;
    if (int64_t(o->Width) * o->Scale > MaxPosterSide || int64_t(o->Height) * o->Scale > MaxPosterSide) {
        std::snprintf(text, sizeof text, "%lldx%lld", (long long)o->Width * o->Scale, (long long)o->Height * o->Scale);
        return UsageError("the picture would be %s pixels: at most 65536x65536", text);
    }
    return -1;
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
        if (a[0] == '-' && a[1] == '-') {
            if (i + 1 >= argc) return UsageError("%s needs a value", a);
            const int code = ParseOption(a, argv[++i], o);
            if (code >= 0) return code;
        } else if (positional == 0) {
            o->View = a;
            positional++;
        } else if (positional == 1 && !MakesVideo(*o)) {
            o->Out = a;
            positional++;
        } else {
            return UsageError("unexpected argument \"%s\"", a);
        }
    }
    if (positional < (MakesVideo(*o) ? 1 : 2)) return UsageError("%s", "a view file and an output file are needed");
    return CheckOptions(o);
}

// A file can be written only into a folder that exists and takes new files, and not over a
// folder.
bool OutputPlaceUsable(const char* out) {
    std::error_code ec;
    std::filesystem::path path(out);
    if (path.filename().empty() || std::filesystem::is_directory(path, ec)) return false;
    return OutputWritable(out);
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
    const char* args[] = {argv0, o.View, nullptr};
    StartUp(2, args);
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

// Paints until the first picture is complete, as the explorer's message loop would; -1 when it
// is, else the exit code.
int PaintWindowPicture() {
    while (Work.TilePos != TileIdle) {
        if (PlatCancelRequested()) {
            Fail("%s", "cancelled: nothing written");
            return ExitCancelled;
        }
        if (!HeadlessPumpOne()) return Fail("%s", "the picture stopped before it was complete");
        DrawCycleProgress(false);
    }
    DrawCycleProgress(true);
    return -1;
}

int RenderWindowPicture(const RenderOptions& o) {
    const int painted = PaintWindowPicture();
    if (painted >= 0) return painted;
    try {
        WritePicturePng(o.Out);
    } catch (...) {
        return Fail("cannot write \"%s\"", o.Out);
    }
    std::printf("%s: %d x %d, %d threads, calculation time %.3f s\n", o.Out, Calc.WindowWidth,
                Calc.WindowHeight, int(Work.ThreadCount), double(Cycle.CalcTimeMs) / 1000.0);
    return 0;
}

int Finished(BatchResult r, const char* out) {
    if (r == BatchResult::Cancelled) {
        Fail("%s", "cancelled: nothing written");
        return ExitCancelled;
    }
    if (r == BatchResult::Failed) return Fail("cannot write \"%s\"", out);
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
    const BatchResult r = MakeZoomVideo(plan);
    if (r == BatchResult::Cancelled && o.Frames) {
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
int CheckAgainstView(const RenderOptions& o, const ViewParams& view, ZoomVideoPlan* plan) {
    char text[96];
    if (MakesVideo(o)) {
        const int32_t to = o.To == NoZoom ? view.ld_Zoom : o.To;
        // The last keyframe is computed one zoom deeper than its frame.
        if (to >= MaxZoom) return UsageError("%s", "a zoom video ends at zoom 111 at the deepest: give --to");
        if (o.From >= to) {
            std::snprintf(text, sizeof text, "--from %d must lie below the last frame's zoom %d", int(o.From), int(to));
            return UsageError("%s", text);
        }
        *plan = ZoomVideoPlan{view, o.From, to, o.Width, o.Height, o.Fps, o.SecondsPerZoom, o.Video, o.Frames, 0, 0};
        if (ZoomVideoFrames(*plan) > MaxVideoFrames) return UsageError("%s", "the video would have more than 1000000 frames");
        return -1;
    }
    const int32_t zoom = view.ld_Zoom + Log2Of(o.Scale) + Log2Of(o.Aa);
    if (zoom > MaxZoom) {
        std::snprintf(text, sizeof text, "--scale %d --aa %d of a view at zoom %d needs zoom %d, beyond 112", o.Scale,
                      o.Aa, int(view.ld_Zoom), int(zoom));
        return UsageError("%s", text);
    }
    // Half the picture must stay inside the plane's range of +-128 (a pixel is 2^-(8 + zoom)).
    const double half = std::ldexp(double(std::max(o.Width, o.Height)) * o.Scale, -9 - view.ld_Zoom - Log2Of(o.Scale));
    if (half >= 128) return UsageError("%s", "the picture reaches beyond the plane's range of +-128: give a smaller size");
    return -1;
}

// The parts of a picture: a poster's computed band by band, the window's picture cut from the
// whole, which each part computes (it is small).
int RenderPictureParts(const RenderOptions& o, bool window) {
    char options[96];
    if (window) std::snprintf(options, sizeof options, "--size %dx%d, the window's picture", o.Width, o.Height);
    else std::snprintf(options, sizeof options, "--size %dx%d --scale %d --aa %d", o.Width, o.Height, o.Scale, o.Aa);
    const int w = o.Width * o.Scale, h = o.Height * o.Scale;
    PartsJob job{o.Out, w, h, PartIdentity(LoadedParams, options), o.Height, {}};
    if (window) {
        job.Rows = [w, painted = false](int32_t row0, int32_t rows, RgbPixel* out) mutable {
            if (!painted && PaintWindowPicture() >= 0) return false;
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
    std::snprintf(options, sizeof options, "%s --size %dx%d --from %d --to %d --fps %d --seconds-per-zoom %.17g",
                  o.Video ? "--zoom-video" : "--frames", o.Width, o.Height, int(plan.From), int(plan.To), o.Fps,
                  o.SecondsPerZoom);
    return RunVideoParts(o.Parts, plan, PartIdentity(LoadedParams, options),
                         [](const char* name) -> const char* { return std::getenv(name); });
}

// The frames folder is made when missing, and must take new files.
bool FramesFolderUsable(const char* folder) {
    if (!PlatCreateFolder(folder)) return false;
    char first[4096];
    FrameFileName(folder, 0, first, sizeof first);
    return OutputWritable(first);
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions o;
    int code = ParseArguments(argc, argv, &o);
    if (code >= 0) return code;
    const char* out = o.Video ? o.Video : o.Out;
    if (out && !OutputPlaceUsable(out)) {
        Fail("cannot write \"%s\": no such folder, no right to write there, or it is a folder", out);
        return 2;
    }
    const bool encodes = o.Parts.Mode == PartsMode::None || o.Parts.Mode == PartsMode::Join;   // parts make frames
    if (o.Video && encodes && !PlatProgramAvailable(VideoEncoder))
        return Fail("%s", "ffmpeg is not installed (Debian package ffmpeg); --frames DIR writes the frames as PNG "
                          "files instead");

    PlatWatchCancel();
    HeadlessUseRealClock();
    ForceKernelPath(o.Kernel);
    const bool window = !o.Poster && !MakesVideo(o);
    StartRenderer(o, window ? o.Width : 640, window ? o.Height : 360, argv[0]);   // loads the view as the explorer does
    if (Messages.LoadState == 0 || (Messages.LoadState != 1 && !PlatFileExists(Messages.MessageFileName)))
        return Fail("cannot find the view file \"%s\"", o.View);
    if (Messages.LoadState != 1) return Fail("\"%s\" is not a valid view file", Messages.MessageFileName);
    Bar = Progress{isatty(STDERR_FILENO) != 0, ClockMs(), 0, 1, 0};
    const bool parts = o.Parts.Mode != PartsMode::None;
    if (window) {
        code = parts ? RenderPictureParts(o, true) : RenderWindowPicture(o);
    } else {
        const ViewParams view = FirstPictureView(LoadedParams);
        ZoomVideoPlan plan{};
        code = CheckAgainstView(o, view, &plan);
        if (code >= 0) return code;
        if (o.Frames && !FramesFolderUsable(o.Frames)) {
            Fail("cannot write frames into \"%s\"", o.Frames);
            return 2;
        }
        if (MakesVideo(o) && parts) code = RenderVideoParts(o, plan);
        else code = MakesVideo(o) ? RenderVideo(o, plan) : parts ? RenderPictureParts(o, false) : RenderPoster(o, view);
    }
    if (code == 0 && (!parts || o.Parts.Mode == PartsMode::Part))   // the others print lists or join only
        std::printf("kernel path: %s\n", KernelPathName(Dispatch.Path));
    return code;
}
