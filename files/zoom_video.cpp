// files/zoom_video.cpp - a video zooming down to a view: keyframes computed at each whole
// zoom, frames taken from them in linear light while the next keyframe computes.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include "files/batch.h"
#include "files/png.h"
#include "platform/platform.h"
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
    std::vector<uint8_t> Bytes;    // one frame as the encoder reads it
    int32_t              Written = 0;
};

bool OpenSink(FrameSink& s) {
    const ZoomVideoPlan& p = *s.Plan;
    if (!p.VideoPath) return true;
    s.Part = std::string(p.VideoPath) + PartSuffix;
    const std::string size = std::to_string(p.Width) + "x" + std::to_string(p.Height), fps = std::to_string(p.Fps);
    const bool mp4 = EndsWith(p.VideoPath, ".mp4");
    std::vector<const char*> args = {VideoEncoder, "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size.c_str(),
                                     "-framerate", fps.c_str(), "-i", "pipe:0", "-an", "-c:v", "libx264",
                                     "-preset", EncoderPreset, "-crf", EncoderQuality, "-pix_fmt", "yuv420p"};
    if (mp4) args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", mp4 ? "mp4" : "matroska", "-y", s.Part.c_str(), nullptr});
    s.Bytes.resize(size_t(p.Width) * size_t(p.Height) * 3);
    s.Encoder = PlatStartChild(args.data());
    return s.Encoder != nullptr;
}

bool PutFrame(FrameSink& s, const RgbPixel* frame, int32_t index) {
    const ZoomVideoPlan& p = *s.Plan;
    const size_t pixels = size_t(p.Width) * size_t(p.Height);
    if (s.Encoder) {
        for (size_t i = 0; i < pixels; ++i) {
            s.Bytes[3 * i] = uint8_t(frame[i] >> 16);
            s.Bytes[3 * i + 1] = uint8_t(frame[i] >> 8);
            s.Bytes[3 * i + 2] = uint8_t(frame[i]);
        }
        if (!PlatWriteChild(s.Encoder, s.Bytes.data(), int64_t(s.Bytes.size()))) return false;
    } else {
        char name[4096];
        FrameFileName(p.FramesFolder, index, name, sizeof name);
        try {
            WritePicturePng(name, frame, p.Width, p.Height);
        } catch (const std::exception&) {
            return false;
        }
    }
    s.Written++;
    return true;
}

BatchResult CloseSink(FrameSink& s, BatchResult result) {
    if (!s.Encoder) return result;
    if (result != BatchResult::Done) {
        PlatKillChild(s.Encoder);
    } else if (PlatFinishChild(s.Encoder) != 0 || !PlatRenameFile(s.Part.c_str(), s.Plan->VideoPath)) {
        result = BatchResult::Failed;
    }
    if (result != BatchResult::Done) PlatDeleteFile(s.Part.c_str());
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
    std::vector<RgbPixel> Frame;
    int32_t              Next = 0;
    std::atomic<bool>    Failed{false};

    void Run(int32_t key, const std::vector<RgbPixel>* picture) {
        const ZoomVideoPlan& p = *Plan;
        DecodeToLight(picture->data(), 2 * p.Width, 2 * p.Height, &Light);
        const int32_t frames = ZoomVideoFrames(p);
        for (; Next < frames && !PlatCancelRequested(); ++Next) {
            const FrameZoom z = ZoomOfFrame(p, Next);
            if (z.Key != key) break;
            // 2^(1 - f) keyframe pixels per frame pixel, about the keyframe's centre.
            const double scale = 2.0 * std::exp2(-z.Fraction);
            const double x0 = (2.0 * p.Width - p.Width * scale) / 2, y0 = (2.0 * p.Height - p.Height * scale) / 2;
            ResampleRegion(Light, x0, y0, scale, Frame.data(), p.Width, p.Height);
            if (!PutFrame(*Sink, Frame.data(), Next)) {
                Failed = true;
                return;
            }
            VideoProgress.FramesDone = Next + 1;
        }
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

BatchResult MakeZoomVideo(const ZoomVideoPlan& p) {
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
    std::vector<RgbPixel> keys[2];
    try {
        maker.Frame.resize(size_t(p.Width) * size_t(p.Height));
        for (auto& k : keys) k.resize(size_t(4) * size_t(p.Width) * size_t(p.Height));
    } catch (const std::bad_alloc&) {
        return BatchResult::Failed;
    }
    if (!OpenSink(sink)) return BatchResult::Failed;
    BatchResult result = BatchResult::Done;
    std::thread frames;
    for (int32_t key = share.First; key <= share.Last && result == BatchResult::Done; ++key) {
        // Keyframe `key`: the region of that zoom with twice the pixels along each side.
        std::vector<RgbPixel>& picture = keys[key & 1];
        BeginPoster(p.View, key + 1, 2 * p.Width, 2 * p.Height, 1);
        const bool computed = ComputePosterRows(0, 2 * p.Height, picture.data(), 2 * p.Width);
        if (frames.joinable()) frames.join();
        if (!computed || PlatCancelRequested()) result = BatchResult::Cancelled;
        else if (maker.Failed) result = BatchResult::Failed;
        else frames = std::thread(&FrameMaker::Run, &maker, key, &picture);
        VideoProgress.KeyframesDone++;
    }
    if (frames.joinable()) frames.join();
    if (result == BatchResult::Done && PlatCancelRequested()) result = BatchResult::Cancelled;
    if (result == BatchResult::Done && (maker.Failed || maker.Next != share.EndFrame)) result = BatchResult::Failed;
    return CloseSink(sink, result);
}

BatchResult EncodeFrameFiles(const ZoomVideoPlan& p, const char* folder) {
    const std::string part = std::string(p.VideoPath) + PartSuffix, fps = std::to_string(p.Fps);
    const std::string frames = std::string(folder) + PlatPathSeparator() + "%06d.png";
    const bool mp4 = EndsWith(p.VideoPath, ".mp4");
    std::vector<const char*> args = {VideoEncoder, "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-framerate", fps.c_str(), "-i", frames.c_str(), "-an", "-c:v", "libx264",
                                     "-preset", EncoderPreset, "-crf", EncoderQuality, "-pix_fmt", "yuv420p"};
    if (mp4) args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", mp4 ? "mp4" : "matroska", "-y", part.c_str(), nullptr});
    PlatChild* encoder = PlatStartChild(args.data());
    if (encoder && PlatFinishChild(encoder) == 0 && PlatRenameFile(part.c_str(), p.VideoPath)) return BatchResult::Done;
    PlatDeleteFile(part.c_str());
    return BatchResult::Failed;
}
