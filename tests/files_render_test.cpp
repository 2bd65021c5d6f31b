// tests/files_render_test.cpp - zentrix-render writes the picture the explorer saves for the
// same view, and refuses bad arguments clearly.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include "app/app.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "tests/deep_places.h"
#include "tests/deep_view.h"
#include "tests/renderer_run.h"
#include "tests/support.h"
#include "ui/message.h"

namespace {

// The explorer on a display of the given size opens the view, finishes its first picture
// and saves it with the 9 key; returns the saved PNG file.
std::string ExplorerSavedPicture(const std::string& view, int screenW, int screenH, const ScratchFolder& dir) {
    HeadlessSetScreen(screenW, screenH);
    StartProgram({"zentrix", view.c_str()});
    EXPECT_EQ(Messages.LoadState, 1);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Work.TilePos, TileIdle);
    EXPECT_EQ(Calc.WindowWidth, screenW);
    std::snprintf(App.PicturesFolder, sizeof App.PicturesFolder, "%s/", dir.Path.c_str());
    HeadlessAdvanceClock(1000);   // well past the lock-out after the last input
    HeadlessKey('9');
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Messages.MessageCode, 255);   // the save message is on the screen
    return ReadWholeFile(std::string(Messages.MessageFileName) + ".png");
}

void ExpectRendererMatchesExplorer(const ViewParams& v, int w, int h, const std::string& threads) {
    ScratchFolder dir;
    WriteView(dir / "view.zxp", v);
    const std::string out = dir / "render.png";
    // Named without its extension, as the explorer's command line allows.
    RunResult r = RunRenderer("--size " + std::to_string(w) + "x" + std::to_string(h) + threads + " " +
                              Quoted(dir / "view") + " " + Quoted(out));
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::string rendered = ReadWholeFile(out);
    const std::string saved = ExplorerSavedPicture(dir / "view.zxp", w, h, dir);
    Decoded a, b;
    ASSERT_TRUE(Decode(rendered, &a));
    ASSERT_TRUE(Decode(saved, &b));
    EXPECT_EQ(a.Width, uint32_t(w));
    EXPECT_EQ(a.Height, uint32_t(h));
    EXPECT_TRUE(a.Pixels == b.Pixels);
    EXPECT_TRUE(rendered == saved);   // the same encoder makes the same file of the same pixels
}

}  // namespace

TEST(Renderer, HomeViewEqualsTheExplorersSavedPicture) {
    ViewParams v = HomeView();
    v.Automatic = 0;   // fixed colour scale and limit
    v.Color = v.Alt_Color = 3.0;
    v.Offset = 40;
    ExpectRendererMatchesExplorer(v, 640, 360, " --threads 1");
}

// A deep place of the tests, with the automatic limit and colours on.
ViewParams AutomaticDeepView(const char* name) {
    ViewParams v = HomeView();
    const DeepPlace& d = *FindDeepPlace(name);
    SetCentre(v, AxisY, deepview::Coordinate(d.Re));
    SetCentre(v, AxisX, deepview::Coordinate(d.Im));
    v.ld_Zoom = d.Zoom;
    v.Automatic = 1;
    return v;
}

TEST(Renderer, DeepAutomaticViewEqualsTheExplorersSavedPicture) {
    ExpectRendererMatchesExplorer(SeahorseView(48), 320, 180, "");   // beyond the double format
}

TEST(Renderer, PerturbationViewEqualsTheExplorersSavedPicture) {
    ExpectRendererMatchesExplorer(AutomaticDeepView("bench-1000"), 320, 180, "");
}

// A view given by its values is the view of a file with those values: the default view's other
// values, and the same file made from it.
TEST(Renderer, ViewGivenByItsValuesEqualsItsFile) {
    ScratchFolder dir;
    ViewParams v = SeahorseView(48);
    v.Iteration = v.Alt_Iteration = 256;   // the default view's limit
    WriteView(dir / "view.zxp", v);
    const std::string common = "--threads 1 --size 160x90 ";
    RunResult a = RunRenderer(common + Quoted(dir / "view.zxp") + ' ' + Quoted(dir / "a.png"));
    RunResult b = RunRenderer(common + "--re -0.7436438870371587 --im 0.1318259042053988 --zoom 48 " +
                              Quoted(dir / "b.png"));
    ASSERT_EQ(a.Code + b.Code, 0) << a.Err << b.Err;
    EXPECT_TRUE(ReadWholeFile(dir / "a.png") == ReadWholeFile(dir / "b.png"));
}

TEST(Renderer, OddSizesComeOutExactly) {
    ScratchFolder dir;
    WriteView(dir / "view.zxp", HomeView());
    RunResult r = RunRenderer("--size 17x23 " + Quoted(dir / "view.zxp") + " " + Quoted(dir / "odd.png"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    Decoded d;
    ASSERT_TRUE(Decode(ReadWholeFile(dir / "odd.png"), &d));
    EXPECT_EQ(d.Width, 17u);
    EXPECT_EQ(d.Height, 23u);
}

TEST(Renderer, BadArgumentsFailClearlyAndWriteNothing) {
    ScratchFolder dir;
    WriteView(dir / "good.zxp", HomeView());
    ViewParams outOfRange = HomeView();
    outOfRange.ld_Zoom = MaxDeepZoom + 1;
    WriteView(dir / "bad.zxp", outOfRange);
    ViewParams nanColour = HomeView();
    nanColour.Color = std::nan("");
    WriteView(dir / "nan.zxp", nanColour);
    WriteView(dir / "deep.zxp", SeahorseView(111));
    const std::string good = Quoted(dir / "good.zxp"), out = Quoted(dir / "out.png");
    struct Case {
        std::string Args;
        int         Code;
        const char* Says;
    };
    const Case cases[] = {
        {"--size 15x100 " + good + ' ' + out, 2, "bad size"},
        {"--size 65537x100 " + good + ' ' + out, 2, "bad size"},
        {"--size 0x100 " + good + ' ' + out, 2, "bad size"},
        {"--size 100 " + good + ' ' + out, 2, "bad size"},
        {"--threads 9 " + good + ' ' + out, 2, "bad thread count"},
        {"--threads 0 " + good + ' ' + out, 2, "bad thread count"},
        {"--colours 2 " + good + ' ' + out, 2, "unknown option"},
        {"--scale 3 " + good + ' ' + out, 2, "bad scale"},
        {"--aa 3 " + good + ' ' + out, 2, "bad anti-aliasing"},
        {"--size 32x32 --scale 4096 " + good + ' ' + out, 2, "at most 65536x65536"},
        {"--aa 4 " + Quoted(dir / "deep.zxp") + ' ' + out, 2, "beyond 112 (--deep goes deeper)"},
        {"--to 112 --frames " + Quoted(dir / "frames") + ' ' + good, 2, "zoom 111 at the deepest"},
        {"--zoom 20001 " + out, 2, "bad zoom"},
        {"--re 1e5 " + out, 2, "bad coordinate"},
        {"--kernel fast " + good + ' ' + out, 2, "bad kernel path"},
        {"--zoom 5", 2, "are needed"},
        {"--zoom-video " + Quoted(dir / "v.avi") + ' ' + good, 2, "unknown video extension"},
        {"--from 5 --frames " + Quoted(dir / "frames") + ' ' + good, 2, "must lie below"},
        {good, 2, "usage:"},
        {good + ' ' + out + " extra", 2, "unexpected argument"},
        {Quoted(dir / "missing.zxp") + " " + out, 1, "cannot find the view file"},
        {Quoted(dir / "bad.zxp") + " " + out, 1, "is not a valid view file"},
        {Quoted(dir / "nan.zxp") + " " + out, 1, "is not a valid view file"},
        {good + ' ' + Quoted(dir / "no-folder/out.png"), 2, "out.png\": No such file or directory"},
        {good + ' ' + Quoted(dir.Path.string()), 2, "cannot write"},
    };
    for (const Case& c : cases) {
        RunResult r = RunRenderer(c.Args);
        EXPECT_EQ(r.Code, c.Code) << c.Args;
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << c.Args << "\n" << r.Err;
    }
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"bad.zxp", "deep.zxp", "good.zxp", "nan.zxp"}));
}

// Posters: at scale 1 the explorer's picture, and beyond the buffers its pieces join exactly. In
// Fixed60 a wider picture's origin lies whole pixels further out, so the window's picture is
// its middle.
TEST(Renderer, PostersAreTheExplorersPictureAtScaleOneAndBeyondTheBuffers) {
    ScratchFolder dir;
    for (const ViewParams& v : {SeahorseView(48), AutomaticDeepView("bench-1000")}) {
    WriteView(dir / "view.zxp", v);
    const std::string view = Quoted(dir / "view.zxp") + ' ';
    for (const char* args : {"--size 1920x16 ", "--size 1920x16 --scale 1 ", "--size 1960x16 "}) {
        RunResult r = RunRenderer(args + view + Quoted(dir / (std::string(args) + ".png")));
        ASSERT_EQ(r.Code, 0) << args << r.Err;
    }
    EXPECT_EQ(ReadWholeFile(dir / "--size 1920x16 .png"), ReadWholeFile(dir / "--size 1920x16 --scale 1 .png"));
    const Decoded window = DecodedFile(dir / "--size 1920x16 .png"), wide = DecodedFile(dir / "--size 1960x16 .png");
    ASSERT_EQ(wide.Width, 1960u);
    for (int row = 0; row < 16; ++row)
        ASSERT_TRUE(std::equal(&window.Pixels[1920 * row], &window.Pixels[1920 * row + 1920], &wide.Pixels[1960 * row + 20]));
    }
}

TEST(Renderer, CancelledPosterLeavesNoFile) {
    ScratchFolder dir;
    WriteView(dir / "view.zxp", SeahorseView(48));
    const pid_t pid = StartRenderer({"--size", "8000x8000", dir / "view.zxp", dir / "poster.png"});
    // The picture file is begun under a fresh name beside its own before the first band.
    for (int i = 0; i < 500 && FolderEntries(dir.Path).size() < 2; ++i) usleep(10000);
    usleep(300000);
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"view.zxp"}));
}

// A small picture maps in only what it needs. The system's figure is the larger of the
// renderer's peak and this test program's size when it started the renderer, a few MB.
TEST(Renderer, SmallPictureStaysSmallInMemory) {
#ifdef ZENTRIX_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory";
#endif
    ScratchFolder dir;
    WriteView(dir / "view.zxp", HomeView());
    const pid_t pid = StartRenderer({"--size", "320x200", dir / "view.zxp", dir / "small.png"});
    int status = 0;
    rusage use{};
    ASSERT_EQ(wait4(pid, &status, 0, &use), pid);
    EXPECT_EQ(status, 0);
    EXPECT_LT(use.ru_maxrss, 16 * 1024) << "peak resident KiB";
}
