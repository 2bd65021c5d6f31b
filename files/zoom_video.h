// files/zoom_video.h - a zoom video from the whole set down to a view, made without a window.
#pragma once
#include <atomic>
#include <cstdint>
#include "engine/state.h"
#include "platform/platform.h"

// A video that zooms from zoom From (the whole set at 0) down to zoom To about the view's
// centre, one doubling every SecondsPerZoom seconds. Keyframes are computed at each whole
// zoom z, with twice the frame's pixels along each side; a frame at zoom z + f (0 <= f < 1)
// is the centre 2W/2^f x 2H/2^f of keyframe z, made W x H in linear light, so every frame has
// at least full detail and the motion is smooth. The view's limit and colours hold throughout.
struct ZoomVideoPlan {
    ViewParams  View;            // limit and colours as the explorer's first picture has them
    int32_t     From, To;        // zooms of the first and the last frame, From < To < MaxZoom
    int32_t     Width, Height;   // frame size, at most the window's
    int32_t     Fps;
    double      SecondsPerZoom;
    const char* VideoPath;       // a .mp4 or .mkv file encoded by the video encoder, or null
    const char* FramesFolder;    // else numbered PNG frames (000000.png ...) in this folder
    // A share of the video, for making it on several machines: the keyframes of part
    // ShareIndex of ShareCount and their frames (ShareCount 0: the whole video).
    int32_t     ShareIndex, ShareCount;
};

constexpr const char* VideoEncoder = "ffmpeg";   // the program that encodes video files

struct VideoProgressState {
    int32_t Keyframes, KeyframesDone;
    int32_t Frames;
    std::atomic<int32_t> FramesDone;   // written by the thread that makes the frames
};
extern VideoProgressState VideoProgress;

bool    VideoFileKnown(const char* path);              // ends in ".mp4" or ".mkv"
int32_t ZoomVideoFrames(const ZoomVideoPlan& plan);    // the first frame is at From, the last at To
// The name of frame i in the frames folder.
void    FrameFileName(const char* folder, int32_t frame, char* out, int outSize);
// Makes the video; a video file appears whole or not at all, frames each whole.
PlatResult MakeZoomVideo(const ZoomVideoPlan& plan);

// The keyframes of a share: whole keyframes, each in one share, so the shares together compute
// no more than the whole video. Empty (First > Last) for a share beyond the keyframes.
struct KeyframeRange {
    int32_t First, Last;          // zooms
    int32_t FirstFrame, EndFrame;   // the frames taken from them
};
KeyframeRange KeyframesOfShare(const ZoomVideoPlan& plan);
// Encodes the frames folder's PNG frames into plan.VideoPath, which appears whole or not at all.
PlatResult EncodeFrameFiles(const ZoomVideoPlan& plan, const char* folder);
