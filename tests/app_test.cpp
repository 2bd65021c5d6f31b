// The whole program on the headless backend: start-up, the first picture, slices, commands,
// history, focus and the frame.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "engine/centre.h"
#include "engine/kernels.h"
#include "files/params.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "render/shortcut.h"
#include "tests/files_test_util.h"
#include "tests/support.h"
#include "ui/display.h"
#include "ui/layout.h"
#include "ui/message.h"
#include "ui/panel.h"
#include "ui/text.h"

namespace {
uint32_t Rgb(uint32_t colourref) {
    return ((colourref & 0xFF) << 16) | (colourref & 0xFF00) | ((colourref >> 16) & 0xFF);
}

// A view far outside the set: every pixel escapes within a few steps, whatever the limit.
ViewParams CheapView(int32_t iteration) {
    ViewParams v{};
    v.Center_zX = ToLong128(0.0);
    v.Center_zY = ToLong128(3.0);
    v.ld_Zoom = 2;
    v.Iteration = iteration;
    v.Alt_Iteration = 0;
    v.Color = v.Alt_Color = 4.0;
    v.Automatic = 0;
    v.FPU_Mode = 1;
    return v;
}
}  // namespace

TEST(StartUp, ArgumentsSetWindowThreadsAndPicturesFolder) {
    HeadlessSetScreen(1920, 1080);
    HeadlessSetProcessorCount(16);
    ScratchFolder dir;   // a real, writable program folder: saves stay beside the program
    std::filesystem::create_directory(dir.Path / "bin");
    const std::string self = dir / "bin/zentrix";
    StartProgram({self.c_str(), "50", "70", "3", "9", "0", "101", "-1"});
    EXPECT_EQ(Calc.WindowWidth, 1344);     // 70 % wins over 50 %
    EXPECT_EQ(Calc.WindowHeight, 756);
    EXPECT_EQ(Work.ThreadCount, 3);
    EXPECT_EQ(Cycle.FormatOption, -1);
    EXPECT_EQ(App.PicturesFolder, ProgramFolder(self.c_str()) + "Pictures" + PlatPathSeparator());
    EXPECT_EQ(Work.TilePos, -1);
    EXPECT_TRUE(HeadlessWindowExists());
    EXPECT_EQ(HeadlessWindowX(), 288);
    EXPECT_EQ(HeadlessWindowY(), 162);
}

TEST(StartUp, EmptyArgumentEndsTheScanAndNumbersParseStrictly) {
    HeadlessSetScreen(1920, 1080);
    StartProgram({"zentrix", "$2", "", "50"});
    EXPECT_EQ(Work.ThreadsOption, 2);
    EXPECT_EQ(Display.WindowPercent, 100);
    int32_t v = 0;
    EXPECT_TRUE(ParseInt32("-2", &v));
    EXPECT_EQ(v, -2);
    EXPECT_TRUE(ParseInt32("$64", &v));
    EXPECT_EQ(v, 100);
    EXPECT_TRUE(ParseInt32("$ff", &v));
    EXPECT_EQ(v, 255);
    EXPECT_FALSE(ParseInt32("12a", &v));
    EXPECT_FALSE(ParseInt32("", &v));
    EXPECT_FALSE(ParseInt32("-", &v));
    EXPECT_FALSE(ParseInt32("99999999999", &v));
    EXPECT_FALSE(ParseInt32("2147483648", &v));
    EXPECT_TRUE(ParseInt32("-2147483648", &v));
    EXPECT_EQ(v, INT32_MIN);
}

TEST(StartUp, ProgramPathWithoutSeparatorUsesTheCurrentFolder) {
    HeadlessSetScreen(1920, 1080);
    // The full path of a bare name always holds a separator here; the rule for a path
    // without one is only reachable when the full path cannot be formed.
    StartProgram({"zentrix"});
    EXPECT_NE(std::strstr(App.PicturesFolder, (std::string("Pictures") + PlatPathSeparator()).c_str()), nullptr);
}

TEST(FirstPicture, CompletesAfter1024TileStepsWithTheKernelsColours) {
    HeadlessSetScreen(640, 400);   // the window fills the screen
    StartProgram({"zentrix", "2"});
    PanelVisible = 0;
    ASSERT_TRUE(HeadlessPumpOne());   // the first paint: NewPicture
    EXPECT_EQ(Work.TilePos, 0);
    EXPECT_EQ(Cycle.LastCommand, CmdNewPicture);
    int steps = 0;
    while (Work.TilePos != TileIdle && HeadlessPumpOne()) steps++;
    EXPECT_EQ(steps, TileCount);
    EXPECT_EQ(Work.TilePos, TileIdle);
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    int mismatches = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t c = CountColour(NAt(x, y));
            if (ScreenImage[y * w + x] != c || HeadlessPixel(x, y) != c) mismatches++;
        }
    EXPECT_EQ(mismatches, 0);
    // The centre of the default view is inside the set (black), the corner escapes at once.
    EXPECT_EQ(NAt(w / 2, h / 2), 0);
    EXPECT_EQ(NAt(0, 0), 255);         // the corner leaves the disc after one step
}

TEST(FirstPicture, SlowTileIsContinuedByTheNextPaintWithProgressShown) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix", "1"});
    PanelVisible = 0;
    LoadedParams = CheapView(1000000);   // one clock read every 11 computed pixels
    Messages.LoadState = 1;
    ASSERT_TRUE(HeadlessPumpOne());      // NewPicture
    ASSERT_EQ(Work.TilePos, 0);
    HeadlessSetTicksPerRead(PlatPerfFrequency() * 2);   // every clock read is past the deadline
    ASSERT_TRUE(HeadlessPumpOne());
    EXPECT_EQ(Work.TilePos, 0);          // the tile is unfinished
    const int x1 = Work.TileX1[1][0], y1 = Work.TileY1[1][0];
    const int x2 = Work.TileX2[1][0], y2 = Work.TileY2[1][0];
    int green = 0, grey = 0;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) {
            uint32_t p = HeadlessPixel(x, y);
            green += p == 0x00FF00;
            grey += p == 0x808080;
        }
    EXPECT_EQ(green, 10);            // the eleventh pixel found the slice over and stays pending
    EXPECT_EQ(grey, (x2 - x1 + 1) * (y2 - y1 + 1) - 10);
    EXPECT_TRUE(PlatPaintPending());
    HeadlessSetTicksPerRead(0);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Work.TilePos, TileIdle);
    // The same counts as an uninterrupted computation of the view.
    EXPECT_TRUE(ShownCounts() == FreshCounts());
}

TEST(RenderCycle, CommandPostedMidPassAbandonsIt) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix", "2"});
    ASSERT_TRUE(HeadlessPumpOne());
    for (int i = 0; i < 10; i++) ASSERT_TRUE(HeadlessPumpOne());
    EXPECT_EQ(Work.TilePos, 10);
    PostCommand(CmdNewPicture);
    ASSERT_TRUE(HeadlessPumpOne());
    EXPECT_EQ(Cycle.LastCommand, CmdNewPicture);
    EXPECT_EQ(Work.TilePos, 0);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Work.TilePos, TileIdle);
}

TEST(RenderCycle, FirstPictureFillsEveryHistorySlot) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix"});
    EXPECT_TRUE(Cycle.HistoryEmpty);
    HeadlessPumpUntilIdle();
    EXPECT_FALSE(Cycle.HistoryEmpty);
    EXPECT_EQ(Cycle.HistoryIndex, 3);
    for (int i = 0; i < HistorySlots; i++) {
        EXPECT_EQ(History[i].Params.ld_Zoom, 0);
        EXPECT_EQ(History[i].Params.Iteration, View.Iteration);
        EXPECT_TRUE(std::equal(HistoryCounts(i), HistoryCounts(i) + WorkMaskCount, &NAt(0, 0)));
    }
    // Back on a complete picture steps to the previous slot and recolours it.
    GoBack();
    EXPECT_EQ(Cycle.HistoryIndex, 2);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Work.TilePos, TileIdle);
    EXPECT_EQ(Cycle.CalcTimeMs, 0);
}

TEST(Focus, LossWhileIdleMinimisesAndLateReturnRestores) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix"});
    HeadlessPumpUntilIdle();
    HeadlessFocus(false);
    HeadlessPumpOne();
    EXPECT_TRUE(Display.Minimised);
    EXPECT_TRUE(HeadlessMinimised());
    // Back within 500 ms: minimised again.
    HeadlessFocus(true);
    HeadlessPumpOne();
    EXPECT_TRUE(Display.Minimised);
    HeadlessAdvanceClock(600);
    HeadlessPumpUntilIdle();             // the focus timer clears FocusJustLost
    EXPECT_FALSE(App.FocusJustLost);
    HeadlessFocus(true);
    HeadlessPumpUntilIdle();
    EXPECT_FALSE(Display.Minimised);
    EXPECT_FALSE(HeadlessMinimised());
    EXPECT_EQ(Cycle.LastCommand, CmdRecolour);
}

TEST(Focus, LossWhileComputingTheFirstPictureStartsDefaultAndMinimisesWhenDone) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix"});
    for (int i = 0; i < 20; i++) HeadlessPumpOne();
    ASSERT_GE(Work.TilePos, 0);
    ASSERT_LT(Work.TilePos, TileCount);
    HeadlessFocus(false);
    HeadlessPumpOne();
    EXPECT_TRUE(Display.MinimiseWhenIdle);
    EXPECT_FALSE(Display.Minimised);
    EXPECT_EQ(Work.TilePos, CmdNewPicture);
    HeadlessPumpUntilIdle();
    EXPECT_TRUE(Display.Minimised);
    EXPECT_FALSE(Display.MinimiseWhenIdle);
    EXPECT_FALSE(Cycle.HistoryEmpty);
}

TEST(Focus, LossWhileComputingLaterPictureGoesBackToTheLastOne) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix"});
    HeadlessPumpUntilIdle();
    View.Iteration = 500;
    PostCommand(CmdNewPicture);          // a new pass over the default view
    for (int i = 0; i < 5; i++) HeadlessPumpOne();
    HeadlessFocus(false);
    HeadlessPumpUntilIdle();
    EXPECT_TRUE(Display.Minimised);
    EXPECT_EQ(Cycle.LastCommand, CmdRecolour);
    EXPECT_EQ(View.Iteration, History[Cycle.HistoryIndex].Params.Iteration);
}

TEST(Exit, EscDuringACalculationEndsTheProgram) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix"});
    for (int i = 0; i < 5; i++) HeadlessPumpOne();
    ASSERT_LT(Work.TilePos, TileCount);
    HeadlessAdvanceClock(300);           // past the lock-out that follows start-up
    HeadlessKey(VK_ESCAPE);
    HeadlessPumpUntilIdle();
    EXPECT_FALSE(HeadlessWindowExists());
    EXPECT_TRUE(HeadlessQuitPosted());
    EXPECT_EQ(HeadlessQuitCode(), 0);
}

TEST(Frame, FramedWindowShowsARedFrameAfterEachTileAndAtTheEnd) {
    HeadlessSetScreen(1280, 800);
    StartProgram({"zentrix", "50"});     // 640 x 400, centred: framed
    ASSERT_TRUE(Display.FramedWindow);
    PanelVisible = 0;
    HeadlessPumpOne();
    HeadlessPumpOne();                   // one tile
    const uint32_t red = Rgb(0x0000FF);
    EXPECT_EQ(HeadlessPixel(0, 200), red);
    EXPECT_EQ(HeadlessPixel(639, 0), red);
    HeadlessPumpUntilIdle();
    for (int x = 0; x < 640; x += 37) {
        EXPECT_EQ(HeadlessPixel(x, 0), red);
        EXPECT_EQ(HeadlessPixel(x, 399), red);
    }
    for (int y = 0; y < 400; y += 23) {
        EXPECT_EQ(HeadlessPixel(0, y), red);
        EXPECT_EQ(HeadlessPixel(639, y), red);
    }
    EXPECT_NE(HeadlessPixel(1, 1), red);
}

TEST(ScreenCheck, PictureMissingFromTheScreenIsRedrawnAtMostFiveTimes) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix"});
    PanelVisible = 0;
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Cycle.RedrawRetries, -1);  // the picture reached the screen
    EXPECT_FALSE(HeadlessTimerSet(RedrawRetryTimer));
}

namespace {
std::string ViewFile(int32_t zoom) {
    ViewParams v = CheapView(300);
    v.ld_Zoom = zoom;
    return ViewText(v);
}
}  // namespace

TEST(StartUp, FileArgumentsAreLookedUpHereThenInThePicturesFolder) {
    ScratchFolder dir;
    const std::string self = dir / "zentrix";
    const std::filesystem::path pictures = ProgramFolder(self.c_str()) + "Pictures";
    const std::string view = (pictures / "view.zxp").string(), other = (pictures / "other").string();
    std::filesystem::create_directory(pictures);
    WriteWholeFile(view, ViewFile(5));
    WriteWholeFile(other, ViewFile(6));
    std::filesystem::current_path(dir.Path);
    HeadlessSetScreen(320, 200);
    // "view" is neither here nor "view.zxp" here: the Pictures folder supplies view.zxp.
    StartProgram({self.c_str(), "view", "4"});
    EXPECT_EQ(Messages.LoadState, 1);
    EXPECT_EQ(LoadedParams.ld_Zoom, 5);
    EXPECT_EQ(Work.ThreadsOption, 4);
    EXPECT_EQ(std::string(Messages.MessageFileName), view);
    // A file in the current folder comes first, and only the first valid file is used.
    HeadlessPumpUntilIdle();
    EXPECT_EQ(View.ld_Zoom, 5);           // the first picture shows the loaded view
    WriteWholeFile(dir / "view.zxp", ViewFile(7));
    const char* first[] = {self.c_str(), "other", "view", nullptr};
    ReadCommandLine(3, first);
    EXPECT_EQ(LoadedParams.ld_Zoom, 6);
    const char* here[] = {self.c_str(), "view", nullptr};
    ReadCommandLine(2, here);
    EXPECT_EQ(LoadedParams.ld_Zoom, 7);
    EXPECT_STREQ(Messages.MessageFileName, "view.zxp");
    // Where the Pictures folder lies outside the scratch folder, only what the test wrote goes.
    std::error_code ec;
    std::filesystem::remove(view, ec), std::filesystem::remove(other, ec), std::filesystem::remove(pictures, ec);
}

// --re, --im and --zoom give a view by its values, on the default view or on a loaded file's;
// out of range they are ignored. A view deeper than 112, from a file or given, and --deep turn
// deep zoom on.
TEST(StartUp, ViewsGivenByTheirValuesAndDeepZoom) {
    ScratchFolder dir;
    WriteWholeFile(dir / "deep.zxp", ViewFile(300));
    WriteWholeFile(dir / "near.zxp", ViewFile(3));
    const std::string deep = dir / "deep.zxp", near = dir / "near.zxp";
    const std::string re = "-1." + std::string(300, '3') + "1";   // longer than any other argument
    const struct {
        std::vector<const char*> Args;
        uint8_t Load;
        int32_t Zoom;
        bool    Deep;
    } rows[] = {
        {{"--im", "0.25", "--re", re.c_str(), "--zoom", "200"}, LoadGiven, 200, true},
        {{"--zoom", "112", "--re", "-1e3", "--im", "128"}, LoadGiven, 112, false},
        {{"--zoom", "20001"}, LoadNothing, 0, false},
        {{"--deep", "4"}, LoadNothing, 0, true},
        {{deep.c_str()}, LoadDone, 300, true},
        {{near.c_str(), "--zoom", "150"}, LoadDone, 150, true},
    };
    for (const auto& r : rows) {
        std::vector<const char*> argv{"zentrix"};
        argv.insert(argv.end(), r.Args.begin(), r.Args.end());
        argv.push_back(nullptr);
        ReadCommandLine(int(argv.size()) - 1, argv.data());
        TakeGivenView();
        EXPECT_EQ(Messages.LoadState, r.Load) << r.Args[0];
        EXPECT_EQ(Deep.On, r.Deep) << r.Args[0];
        if (r.Load != LoadNothing) EXPECT_EQ(LoadedParams.ld_Zoom, r.Zoom) << r.Args[0];
    }
    CentreCoord x, y;
    const char* given[] = {"zentrix", "--im", "0.25", "--re", re.c_str(), "--zoom", "200", nullptr};
    ReadCommandLine(7, given);
    TakeGivenView();
    ASSERT_TRUE(DecimalToCentre(re.c_str(), &y) && DecimalToCentre("0.25", &x));
    EXPECT_EQ(CompareCentre(CentreOf(LoadedParams, AxisY), y), 0);
    EXPECT_EQ(CompareCentre(CentreOf(LoadedParams, AxisX), x), 0);
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix", "--zoom", "112", "--re", "-1e3"});   // shown without a message, bad values ignored
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 112);
    EXPECT_TRUE(View.Center_zY == ToLong128(-0.5));
    EXPECT_EQ(Messages.MessageTimerRunning, 0);
}

namespace {
struct StartFormat {
    int         Processors;
    const char* Option;        // a start option, or none
    uint8_t     FpuMode;
    int32_t     CpuPrev;
    uint8_t     NumberMode;    // of the default view at zoom 0
};
void PrintTo(const StartFormat& f, std::ostream* os) { *os << f.Processors << " processors, " << (f.Option ? f.Option : "-"); }
class FirstPictureFormat : public testing::TestWithParam<StartFormat> {};
}  // namespace

TEST_P(FirstPictureFormat, StartOptionAndThreadCountChooseIt) {
    const StartFormat& f = GetParam();
    HeadlessSetScreen(320, 200);
    HeadlessSetProcessorCount(f.Processors);
    if (f.Option) StartProgram({"zentrix", f.Option});
    else StartProgram({"zentrix"});
    ASSERT_TRUE(HeadlessPumpOne());      // the first paint sets the default view up
    EXPECT_EQ(View.FPU_Mode, f.FpuMode);
    EXPECT_EQ(View.CPU_Prev, f.CpuPrev);
    EXPECT_EQ(Calc.NumberMode, f.NumberMode);
}

// Up to four threads the double format is allowed; more threads clear it unless -1 keeps it;
// -2 clears it and moves the thresholds by 4 on any machine.
INSTANTIATE_TEST_SUITE_P(Options, FirstPictureFormat,
                         testing::Values(StartFormat{4, nullptr, 1, 0, ModeDouble},
                                         StartFormat{10, nullptr, 0, 0, ModeFixed60},
                                         StartFormat{2, "5", 0, 0, ModeFixed60},
                                         StartFormat{10, "-1", 1, 0, ModeDouble},
                                         StartFormat{10, "-2", 0, 4, ModeFixed60},
                                         StartFormat{4, "-2", 0, 4, ModeFixed60}),
                         [](const testing::TestParamInfo<StartFormat>& i) {
                             std::string option = i.param.Option ? i.param.Option : "none";
                             if (option[0] == '-') option = "minus" + option.substr(1);
                             return std::to_string(i.param.Processors) + "processors_option_" + option;
                         });

TEST(RenderCycle, GuardsDropTheirCommandAndShowTheirOwnMessage) {
    HeadlessSetScreen(320, 200);
    StartProgram({"zentrix"});
    PumpUntilPictureDone();
    const ViewParams home = View;
    const std::vector<int32_t> counts(&NAt(0, 0), &NAt(0, 0) + 200 * CountStride);
    const auto strip = [] {
        std::vector<uint32_t> pixels;
        for (int y = MessageStrip.Top; y <= MessageStrip.Bottom; y++)
            for (int x = MessageStrip.Left; x <= MessageStrip.Right; x++) pixels.push_back(HeadlessPixel(x, y));
        return pixels;
    };
    struct Guard { void (*Set)(); int32_t Command; uint8_t Code; };
    const Guard guards[] = {
        {[] { View.ld_Zoom = MaxZoom; }, CmdZoomIn, 87},
        {[] { View.ld_Zoom = MaxZoom; }, CmdZoomInAtPoint, 87},
        {[] { View.ld_Zoom = MinZoom; }, CmdZoomOut, 6},
        {[] { View.Iteration = MaxIteration; }, CmdIterationUp, 5},
        {[] { View.Iteration = MinIteration; }, CmdIterationDown, 4},
        {[] { View.Color = 2e9; }, CmdRecolour, 91},
        {[] { View.Color = 1e-10; }, CmdRecolour, 92},
    };
    for (const Guard& g : guards) {
        g.Set();
        PostCommand(g.Command);
        PumpUntilPictureDone();
        EXPECT_EQ(Work.TilePos, TileIdle);
        EXPECT_TRUE(std::equal(counts.begin(), counts.end(), &NAt(0, 0))) << int(g.Code);
        const std::vector<uint32_t> shown = strip();
        PlatBeginPaint();
        DrawMessageStrip(Brushes.RedBrush, MessageFor(g.Code, "").Text);
        PlatEndPaint();
        EXPECT_TRUE(shown == strip()) << "expected message " << int(g.Code);
        View = home;
        PostCommand(CmdRecolour);            // paints the picture over the message
        PumpUntilPictureDone();
    }
}
