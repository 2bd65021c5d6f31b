// Zoom videos: the right frames, each its keyframe's middle made smaller in linear light, and a
// video file from ffmpeg, or a clear hint where it is missing. Also run under ThreadSanitizer:
// frames are made on a thread of their own, and the posters compared with them encode on one.
#include <gtest/gtest.h>
#include <string>
#include "tests/light_oracle.h"
#include "tests/renderer_run.h"

namespace {
// Zoom 3 to 4 at four frames a second: five frames, the last on the view itself. The colour
// scale is fixed, so the views at both zooms have the video's colours.
struct TinyVideo {
    ScratchFolder Dir;
    std::string   Args;
    TinyVideo() {
        for (int zoom : {3, 4}) {
            ViewParams v = SeahorseView(zoom);
            v.Alt_Color = 0;
            WriteView(Dir / ("zoom" + std::to_string(zoom) + ".zxp"), v);
        }
        Args = "--size 32x16 --from 3 --fps 4 " + Quoted(Dir / "zoom4.zxp");
    }
};
}  // namespace

TEST(ZoomVideo, FramesAreTheirKeyframesResampled) {
    TinyVideo v;
    RunResult r = RunRenderer("--frames " + Quoted(v.Dir / "frames") + ' ' + v.Args);
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::vector<std::string> frames = {"000000.png", "000001.png", "000002.png", "000003.png", "000004.png"};
    ASSERT_EQ(FolderEntries(v.Dir.Path / "frames"), frames);
    for (const std::string& f : frames) EXPECT_EQ(DecodedFile(v.Dir / ("frames/" + f)).Width, 32u) << f;
    // A keyframe has the region of its zoom at twice the pixels: --aa 2 of the view at that zoom.
    for (int zoom : {3, 4}) {
        const std::string view = v.Dir / ("zoom" + std::to_string(zoom) + ".zxp"), halved = view + ".png";
        ASSERT_EQ(RunRenderer("--size 32x16 --aa 2 " + Quoted(view) + ' ' + Quoted(halved)).Code, 0);
        const std::string frame = v.Dir / ("frames/" + frames[zoom == 3 ? 0 : 4]);
        EXPECT_TRUE(DecodedFile(frame).Pixels == DecodedFile(halved).Pixels) << zoom;
    }
    // Frame i of keyframe 3 (the view at zoom 4, twice the size) is its middle at 2^(1 - i/4)
    // keyframe pixels per frame pixel.
    const std::string key = v.Dir / "key.png";
    ASSERT_EQ(RunRenderer("--size 64x32 " + Quoted(v.Dir / "zoom4.zxp") + ' ' + Quoted(key)).Code, 0);
    const std::vector<uint32_t> keyframe = DecodedFile(key).Pixels;
    for (int i = 0; i < 4; ++i) {
        const double scale = 2 * std::exp2(-i / 4.0), x0 = (64 - 32 * scale) / 2, y0 = (32 - 16 * scale) / 2;
        const Decoded frame = DecodedFile(v.Dir / ("frames/" + frames[size_t(i)]));
        EXPECT_EQ(FirstWrongPixel(keyframe, 64, 32, x0, y0, scale, frame.Pixels.data(), 32, 16), -1) << i;
    }
}

TEST(ZoomVideo, FfmpegEncodesTheFramesOrItsAbsenceIsExplained) {
    TinyVideo v;
    const std::string video = v.Dir / "zoom.mp4";
    RunResult missing = RunRenderer("--zoom-video " + Quoted(video) + ' ' + v.Args, "PATH=/nonexistent ");
    EXPECT_EQ(missing.Code, 1);
    EXPECT_NE(missing.Err.find("--frames DIR"), std::string::npos) << missing.Err;
    if (std::system("command -v ffmpeg >/dev/null") != 0) return;   // scripts/deps.sh installs it
    RunResult r = RunRenderer("--zoom-video " + Quoted(video) + ' ' + v.Args);
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::string probe = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=nb_read_frames,width,height -of csv=p=0 " + Quoted(video) + " >" +
                              Quoted(v.Dir / "probe");
    ASSERT_EQ(std::system(probe.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(v.Dir / "probe"), "32,16,5\n");
    EXPECT_EQ(FolderEntries(v.Dir.Path), (std::vector<std::string>{"probe", "zoom.mp4", "zoom3.zxp", "zoom4.zxp"}));
}
