// tests/files_render_test.cpp - zentrix-render writes the picture the explorer saves for the
// same view, and refuses bad arguments clearly.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include "app/app.h"
#include "engine/work.h"
#include "files/params.h"
#include "tests/files_test_util.h"
#include "platform/headless/headless.h"
#include "tests/support.h"
#include "ui/message.h"

namespace {

// Built beside the explorer, one folder above the test programs.
std::string RendererPath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "zentrix-render").string();
}

// A shell word, built by appending (concatenating onto a literal upsets the compiler's
// overlap check).
std::string Quoted(const std::string& text) {
    std::string q(1, '\'');
    q += text;
    q += '\'';
    return q;
}

struct RunResult {
    int         Code;
    std::string Err;
};

RunResult RunRenderer(const std::string& args) {
    ScratchFolder logs;
    std::string command = Quoted(RendererPath());
    command += ' ' + args + " >" + Quoted(logs / "out") + " 2>" + Quoted(logs / "err");
    const int status = std::system(command.c_str());
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(logs / "err")};
}

void WriteView(const std::string& path, const ViewParams& v) {
    char text[ParamFileMaxBytes];
    const int n = FormatParameterFile(v, "test view", text, sizeof text);
    WriteWholeFile(path, std::string(text, n));
}

ViewParams HomeView() {
    ViewParams v{};
    v.Center_zY = long128{0, 0xFF80000000000000ull};   // -0.5
    v.Iteration = v.Alt_Iteration = 256;
    v.Color = v.Alt_Color = 4.0;
    v.Automatic = v.FPU_Mode = 1;
    return v;
}

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

TEST(Renderer, DeepAutomaticViewEqualsTheExplorersSavedPicture) {
    ViewParams v = HomeView();
    v.Center_zX = DecimalToLong128("0.1318259042053988");
    v.Center_zY = DecimalToLong128("-0.7436438870371587");
    v.ld_Zoom = 48;   // beyond the double format
    v.Iteration = v.Alt_Iteration = 1000;
    ExpectRendererMatchesExplorer(v, 320, 180, "");
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
    outOfRange.ld_Zoom = 113;
    WriteView(dir / "bad.zxp", outOfRange);
    ViewParams nanColour = HomeView();
    nanColour.Color = std::nan("");
    WriteView(dir / "nan.zxp", nanColour);
    const std::string good = Quoted(dir / "good.zxp"), out = Quoted(dir / "out.png");
    struct Case {
        std::string Args;
        int         Code;
        const char* Says;
    };
    const Case cases[] = {
        {"--size 15x100 " + good + ' ' + out, 2, "bad size"},
        {"--size 1921x100 " + good + ' ' + out, 2, "bad size"},
        {"--size 100x1201 " + good + ' ' + out, 2, "bad size"},
        {"--size 100 " + good + ' ' + out, 2, "bad size"},
        {"--threads 9 " + good + ' ' + out, 2, "bad thread count"},
        {"--threads 0 " + good + ' ' + out, 2, "bad thread count"},
        {"--frames 2 " + good + ' ' + out, 2, "unknown option"},
        {good, 2, "usage:"},
        {good + ' ' + out + " extra", 2, "unexpected argument"},
        {Quoted(dir / "missing.zxp") + " " + out, 1, "cannot find the view file"},
        {Quoted(dir / "bad.zxp") + " " + out, 1, "is not a valid view file"},
        {Quoted(dir / "nan.zxp") + " " + out, 1, "is not a valid view file"},
        {good + ' ' + Quoted(dir / "no-folder/out.png"), 1, "cannot write"},
        {good + ' ' + Quoted(dir.Path.string()), 1, "cannot write"},
    };
    for (const Case& c : cases) {
        RunResult r = RunRenderer(c.Args);
        EXPECT_EQ(r.Code, c.Code) << c.Args;
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << c.Args << "\n" << r.Err;
    }
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"bad.zxp", "good.zxp", "nan.zxp"}));
}
