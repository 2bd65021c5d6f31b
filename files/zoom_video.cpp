// files/zoom_video.cpp - a video zooming down to a view: keyframes computed at each whole
// zoom, frames taken from them in linear light while the next keyframe computes.
#include "files/zoom_video.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>
#include "files/overlap.h"
#include "files/png.h"
#include "files/png_rows.h"
#include "render/poster.h"
#include "render/resample.h"

VideoProgressState VideoProgress;

namespace {
// Sharp edges in H.264: a high quality, and a speed that keeps up with the keyframes.
constexpr const char* EncoderQuality = "18";
constexpr const char* EncoderPreset = "veryfast";
constexpr const char* PartSuffix = ".partial";

bool EndsWith(const char* s, const char* end) {
    const size_t n = std::strlen(s), m = std::strlen(end);
    return n >= m && std::strcmp(s + n - m, end) == 0;
}

// Where the frames go: the encoder's input, or one PNG file each.
struct FrameSink {
    const ZoomVideoPlan* Plan;
    PlatChild*           Encoder = nullptr;
    std::string          Part;     // the encoder's output until it is complete
    std::unique_ptr<uint8_t[]> Bytes;   // one frame as the encoder reads it
};

// A failure of the video encoder, told with its name.
PlatResult EncoderFailure(const char* what, int detail = 0) {
    char text[PlatReasonCapacity];
    std::snprintf(text, sizeof text, what, VideoEncoder, detail);
    return PlatFailed(text);
}

PlatResult OpenSink(FrameSink& s) {
    const ZoomVideoPlan& p = *s.Plan;
    if (!p.VideoPath) return PlatDone();
    s.Part = std::string(p.VideoPath) + PartSuffix;
    const std::string size = std::to_string(p.Width) + "x" + std::to_string(p.Height), fps = std::to_string(p.Fps);
    const bool mp4 = EndsWith(p.VideoPath, ".mp4");
    std::vector<const char*> args = {VideoEncoder, "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size.c_str(),
                                     "-framerate", fps.c_str(), "-i", "pipe:0", "-an", "-c:v", "libx264",
                                     "-preset", EncoderPreset, "-crf", EncoderQuality, "-pix_fmt", "yuv420p"};
    if (mp4) args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", mp4 ? "mp4" : "matroska", "-y", s.Part.c_str(), nullptr});
    s.Bytes.reset(new (std::nothrow) uint8_t[size_t(p.Width) * size_t(p.Height) * RgbBytesPerPixel]);
    if (!s.Bytes) return PlatOutOfMemory();
    PlatResult started = PlatDone();
    s.Encoder = PlatStartChild(args.data(), &started);
    if (started) return started;
    char text[PlatReasonCapacity];
    std::snprintf(text, sizeof text, "%s could not be started: %s", VideoEncoder, started.Reason);
    return PlatFailed(text);
}

PlatResult PutFrame(FrameSink& s, const RgbPixel* frame, int32_t index) {
    const ZoomVideoPlan& p = *s.Plan;
    const int pixels = p.Width * p.Height;
    PlatResult result = PlatDone();
    if (s.Encoder) {
        ToRgbRow(frame, pixels, s.Bytes.get());   // the whole frame as one row
        if (!PlatWriteChild(s.Encoder, s.Bytes.get(), int64_t(pixels) * RgbBytesPerPixel))
            result = EncoderFailure("%s stopped reading the frames");
    } else {
        char name[PlatPathCapacity];
        FrameFileName(p.FramesFolder, index, name, sizeof name);
        result = WritePicturePng(name, frame, p.Width, p.Height);
    }
    return result;
}

PlatResult CloseSink(FrameSink& s, PlatResult result) {
    if (!s.Encoder) return result;
    if (!result) {
        PlatKillChild(s.Encoder);
    } else if (const int code = PlatFinishChild(s.Encoder); code != 0) {
        result = code < 0 ? EncoderFailure("%s did not finish") : EncoderFailure("%s ended with exit code %d", code);
    } else {
        result = PlatRenameFile(s.Part.c_str(), s.Plan->VideoPath);
    }
    if (!result) PlatDeleteFile(s.Part.c_str());
    return result;
}

// Frame i lies at zoom From + i * span / intervals: keyframe `Key`, `Fraction` of the way to
// the next.
struct FrameZoom {
    int32_t Key;
    double  Fraction;
};
FrameZoom ZoomOfFrame(const ZoomVideoPlan& p, int32_t i) {
    const int64_t intervals = ZoomVideoFrames(p) - 1, q = int64_t(i) * (p.To - p.From);
    return FrameZoom{p.From + int32_t(q / intervals), double(q % intervals) / double(intervals)};
}

// Makes the frames of keyframe `key` from its picture, in order, from frame `next` on.
struct FrameMaker {
    const ZoomVideoPlan* Plan;
    FrameSink*           Sink;
    LinearPicture        Light;
    std::unique_ptr<RgbPixel[]> Frame;
    int32_t              Next = 0;

    PlatResult Run(int32_t key, const RgbPixel* picture) {
        const ZoomVideoPlan& p = *Plan;
        PlatResult result = DecodeToLight(picture, 2 * p.Width, 2 * p.Height, &Light);
        const int32_t frames = ZoomVideoFrames(p);
        for (; result && Next < frames && !PlatCancelRequested(); ++Next) {
            const FrameZoom z = ZoomOfFrame(p, Next);
            if (z.Key != key) break;
            // 2^(1 - f) keyframe pixels per frame pixel, about the keyframe's centre.
            const double scale = 2.0 * std::exp2(-z.Fraction);
            const double x0 = (2.0 * p.Width - p.Width * scale) / 2, y0 = (2.0 * p.Height - p.Height * scale) / 2;
            result = ResampleRegion(Light, x0, y0, scale, Frame.get(), p.Width, p.Height);
            if (result) result = PutFrame(*Sink, Frame.get(), Next);
            if (!result) break;
            VideoProgress.FramesDone = Next + 1;
        }
        return result;
    }
};
}  // namespace

bool VideoFileKnown(const char* path) { return EndsWith(path, ".mp4") || EndsWith(path, ".mkv"); }

int32_t ZoomVideoFrames(const ZoomVideoPlan& p) {
    const double intervals = std::round(double(p.To - p.From) * p.SecondsPerZoom * double(p.Fps));
    return intervals < 1 ? 2 : int32_t(intervals) + 1;
}

void FrameFileName(const char* folder, int32_t frame, char* out, int outSize) {
    std::snprintf(out, size_t(outSize), "%s%c%06d.png", folder, PlatPathSeparator(), int(frame));
}

KeyframeRange KeyframesOfShare(const ZoomVideoPlan& p) {
    const int32_t keys = p.To - p.From + 1, index = p.ShareCount ? p.ShareIndex : 0, count = p.ShareCount ? p.ShareCount : 1;
    const int32_t first = p.From + int32_t(int64_t(index) * keys / count);
    const int32_t last = p.From + int32_t(int64_t(index + 1) * keys / count) - 1;
    // The first frame of keyframe k is the first i with i * span / intervals >= k - From.
    const int64_t span = p.To - p.From, intervals = ZoomVideoFrames(p) - 1;
    auto firstFrameOf = [&](int32_t key) {
        return int32_t(std::min<int64_t>(intervals + 1, ((key - p.From) * intervals + span - 1) / span));
    };
    return KeyframeRange{first, last, firstFrameOf(first), firstFrameOf(last + 1)};
}

PlatResult MakeZoomVideo(const ZoomVideoPlan& p) {
    const KeyframeRange share = KeyframesOfShare(p);
    VideoProgress.Keyframes = share.Last - share.First + 1;
    VideoProgress.KeyframesDone = 0;
    VideoProgress.Frames = ZoomVideoFrames(p);
    VideoProgress.FramesDone = 0;
    FrameSink sink;
    sink.Plan = &p;
    FrameMaker maker;
    maker.Plan = &p;
    maker.Sink = &sink;
    maker.Next = share.FirstFrame;
    std::unique_ptr<RgbPixel[]> keys[2];
    maker.Frame.reset(new (std::nothrow) RgbPixel[size_t(p.Width) * size_t(p.Height)]);
    for (auto& k : keys) k.reset(new (std::nothrow) RgbPixel[size_t(4) * size_t(p.Width) * size_t(p.Height)]);
    if (!maker.Frame || !keys[0] || !keys[1]) return PlatOutOfMemory();
    PlatResult result = OpenSink(sink);
    if (!result) return CloseSink(sink, result);
    result = ComputeWhileUsing(
        share.Last - share.First + 1,
        [&](int32_t i) {
            // Keyframe First + i: the region of that zoom with twice the pixels along each side.
            BeginPoster(p.View, share.First + i + 1, 2 * p.Width, 2 * p.Height, 1);
            const bool computed = ComputePosterRows(0, 2 * p.Height, keys[i & 1].get(), 2 * p.Width);
            VideoProgress.KeyframesDone++;
            return computed;
        },
        [&](int32_t i) { return maker.Run(share.First + i, keys[i & 1].get()); });
    if (result && maker.Next != share.EndFrame) result = PlatFailed("frames are missing");
    return CloseSink(sink, result);
}

PlatResult EncodeFrameFiles(const ZoomVideoPlan& p, const char* folder) {
    const std::string part = std::string(p.VideoPath) + PartSuffix, fps = std::to_string(p.Fps);
    const std::string frames = std::string(folder) + PlatPathSeparator() + "%06d.png";
    const bool mp4 = EndsWith(p.VideoPath, ".mp4");
    std::vector<const char*> args = {VideoEncoder, "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-framerate", fps.c_str(), "-i", frames.c_str(), "-an", "-c:v", "libx264",
                                     "-preset", EncoderPreset, "-crf", EncoderQuality, "-pix_fmt", "yuv420p"};
    if (mp4) args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", mp4 ? "mp4" : "matroska", "-y", part.c_str(), nullptr});
    PlatResult result = PlatDone();
    PlatChild* encoder = PlatStartChild(args.data(), &result);
    if (!encoder) return EncoderFailure("%s could not be started");
    if (const int code = PlatFinishChild(encoder); code != 0)
        result = code < 0 ? EncoderFailure("%s did not finish") : EncoderFailure("%s ended with exit code %d", code);
    else result = PlatRenameFile(part.c_str(), p.VideoPath);
    if (!result) PlatDeleteFile(part.c_str());
    return result;
}
