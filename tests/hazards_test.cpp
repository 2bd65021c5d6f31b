// tests/hazards_test.cpp - inputs that once led the program astray: damaged view files,
// mistyped arguments, input before the first picture, colour scales run off their range and
// views at the edge of the number range.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include "files/params.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "tests/commands_util.h"
#include "tests/files_test_util.h"

TEST(Hazard, ViewFileWithANaNColourIsRefusedAndTheDefaultViewShown) {
    ScratchFolder dir;
    ViewParams v = HomeView();
    v.Color = std::numeric_limits<double>::quiet_NaN();
    v.ld_Zoom = 3;
    WriteView(dir / "nan.zxp", v);
    HeadlessSetScreen(SmallW, SmallH);
    const std::string path = dir / "nan.zxp";
    StartProgram({"zentrix", path.c_str()});
    EXPECT_EQ(Messages.LoadState, LoadFailed);
    EXPECT_EQ(std::string(Messages.MessageFileName), path);
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 0);
    EXPECT_EQ(View.Color, 4.0);
    EXPECT_EQ(StripFill(), RedStrip);
}

TEST(Hazard, NoRunOfColourStepsLeavesTheRangeTheGuardReports) {
    StartSmall();
    View.Color = 1e300;                       // far beyond any command, to show the hold
    for (int i = 0; i < 1000; i++) HeadlessWheel(120);
    PumpInput(1000);
    EXPECT_EQ(View.Color, ColourTooLarge);
    PumpUntilPictureDone();
    EXPECT_EQ(View.Color, 1.0001e9);
    EXPECT_EQ(StripFill(), RedStrip);
    HeadlessAdvanceClock(4000);               // the message goes
    PumpUntilPictureDone();
    View.Color = std::numeric_limits<double>::quiet_NaN();
    PostCommand(CmdRecolour);
    PumpUntilPictureDone();
    EXPECT_EQ(View.Color, 1.0001e9);
}

TEST(Hazard, ArgumentThatIsNeitherAViewNorANumberIsIgnoredSilently) {
    ScratchFolder dir;
    WriteView(dir / "good.zxp", HomeView());
    HeadlessSetScreen(SmallW, SmallH);
    const std::string folder = dir.Path.string(), good = dir / "good.zxp";
    struct Case { std::vector<const char*> Args; uint8_t State; std::string Named; };
    const Case cases[] = {
        {{"no-such-view"}, LoadNothing, ""},
        {{folder.c_str()}, LoadNothing, ""},
        {{"12a", "7"}, LoadNothing, ""},
        {{"typo", good.c_str()}, LoadDone, good},   // a later view still loads
        {{good.c_str(), "typo"}, LoadDone, good},   // and is not displaced
        {{"0", "9", "101"}, LoadNothing, ""},       // numbers out of range stay silent too
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"zentrix"};
        argv.insert(argv.end(), c.Args.begin(), c.Args.end());
        Messages.MessageFileName[0] = 0;
        ReadCommandLine(int(argv.size()), argv.data());
        EXPECT_EQ(Messages.LoadState, c.State) << c.Named;
        EXPECT_EQ(std::string(Messages.MessageFileName), c.Named);
    }
    StartProgram({"zentrix", "no-such-view"});
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 0);
    EXPECT_NE(StripFill(), RedStrip);
}

TEST(Hazard, InputBeforeTheFirstPaintWaitsForTheFirstPicture) {
    HeadlessSetScreen(SmallW, SmallH);
    StartProgram({"zentrix"});
    // A slow start-up: every press passes the lock-out, and none finds a picture to act on.
    for (uint32_t vk : {uint32_t(VK_PRIOR), uint32_t(VK_NEXT), uint32_t(VK_TAB), uint32_t('5'), uint32_t('6'), uint32_t('F')}) {
        Press(vk);
        EXPECT_EQ(Work.TilePos, CmdNewPicture) << "key " << vk;
    }
    for (const ScreenBox* box : {&PictureBox, &ZoomInButton, &ZoomOutButton}) {
        ClickOn(*box);
        EXPECT_EQ(Work.TilePos, CmdNewPicture);
    }
    ASSERT_TRUE(PlatPaintPending());
    PumpUntilPictureDone();
    EXPECT_EQ(Cycle.LastCommand, CmdNewPicture);
    EXPECT_EQ(View.ld_Zoom, 0);
    EXPECT_EQ(View.Iteration, History[Cycle.HistoryIndex].Params.Iteration);
    // Once the picture has begun, commands act on it as ever.
    Press(VK_PRIOR);
    EXPECT_EQ(Work.TilePos, CmdZoomIn);
}

TEST(Hazard, PicturesFolderStandsBesideTheProgramHoweverItWasStarted) {
    HeadlessSetScreen(SmallW, SmallH);
    StartProgram({"zentrix"});
    HeadlessSetProgramPath(nullptr);
    const std::string self = std::filesystem::path(ProgramFolder(nullptr)).parent_path().string();
    ScratchFolder dir;   // folders that can be written, so none gives way to the user's own
    std::filesystem::create_directories(dir.Path / "opt/bin");
    const std::string opt = dir / "opt/bin/zentrix", local = dir / "zentrix";
    struct Case { const char* System; const char* Argv0; std::string Folder; };
    const Case cases[] = {
        {nullptr, "zentrix", self + "/Pictures/"},                 // through PATH
        {nullptr, "/elsewhere/bin/zentrix", self + "/Pictures/"},  // argv0 names a link or lies
        {opt.c_str(), "zx", dir / "opt/bin/Pictures/"},
        {"", local.c_str(), dir / "Pictures/"},                    // the system cannot tell
        {"", "", "./Pictures/"},                                   // nor can argv0
    };
    const auto inSeparators = [](std::string path) {
        std::replace(path.begin(), path.end(), '/', PlatPathSeparator());
        return path;
    };
    for (const Case& c : cases) {
        HeadlessSetProgramPath(c.System);
        const char* argv[] = {c.Argv0, nullptr};
        ReadCommandLine(1, argv);
        EXPECT_EQ(std::string(App.PicturesFolder), inSeparators(c.Folder)) << c.Argv0;
    }
}

TEST(Hazard, CentreIsHeldInsideTheNumberRangeWherePanningAndZoomingOutWouldWrapIt) {
    HeadlessSetScreen(SmallW, SmallH);
    StartProgram({"zentrix", "1"});      // one thread: no hand-over waits on a busy machine
    LoadedParams = HomeView();
    LoadedParams.ld_Zoom = -3;
    LoadedParams.Automatic = 0;
    LoadedParams.Center_zX = ToLong128(100.0);
    LoadedParams.Center_zY = ToLong128(-120.0);
    Messages.LoadState = LoadDone;
    PumpUntilPictureDone();
    // Steps of 5 and 2.8125 towards the ends, limits 128 less 10 and 5.625 at this zoom.
    for (int i = 0; i < 6; i++) {
        for (uint32_t arrow : {uint32_t(VK_RIGHT), uint32_t(VK_UP)}) {
            Press(arrow);
            PumpUntilPictureDone();
        }
    }
    EXPECT_TRUE(View.Center_zX == ToLong128(118.0));
    EXPECT_TRUE(View.Center_zY == ToLong128(-122.375));
    EXPECT_TRUE(View.Center_zX == CentreLimitFor(SmallW, -3));
    // A drag past the edge previews the shift the release applies: none, so no dark band.
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(320, 180);
    HeadlessMouseMove(300, 180);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(HeadlessPixel(SmallW - 5, 100), ScreenImage[100 * SmallW + SmallW - 5]);
    HeadlessButtonUp(300, 180);
    PumpUntilPictureDone();
    EXPECT_TRUE(View.Center_zX == CentreLimitFor(SmallW, -3));
    Press(VK_DOWN);                           // away from the edge, across more than half the range
    PumpUntilPictureDone();
    EXPECT_TRUE(View.Center_zY == ToLong128(-119.5625));
    Press(VK_NEXT);                           // zooming out moves the centre inwards
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, -4);
    EXPECT_TRUE(View.Center_zX == ToLong128(108.0));
    EXPECT_TRUE(View.Center_zY == ToLong128(-116.75));   // moved in from -119.5625
    EXPECT_TRUE(ShownCounts() == FreshCounts());
    // A view saved there comes back as it was.
    char text[ParamFileMaxBytes];
    const int n = FormatParameterFile(View, "edge", text, sizeof text);
    const ViewParams edge = View;
    ASSERT_TRUE(ParseParameterFile(text, n, &LoadedParams));
    Messages.LoadState = LoadDone;
    PostCommand(CmdNewPicture);
    PumpUntilPictureDone();
    EXPECT_TRUE(View.Center_zX == edge.Center_zX && View.Center_zY == edge.Center_zY);
}

TEST(Hazard, MessageLeftPendingDoesNotCutOffACommandThatHasBegun) {
    StartSmall();
    struct Row { uint32_t Key; int32_t Zoom; };
    for (const Row& r : {Row{VK_NEXT, -1}, Row{VK_PRIOR, 0}, Row{VK_DELETE, 0}}) {
        Press('I');                           // the credit line waits for the redraw ...
        Press(r.Key);                         // ... which a command replaces before it is painted
        PumpUntilPictureDone();
        EXPECT_EQ(View.ld_Zoom, r.Zoom);
        EXPECT_EQ(History[Cycle.HistoryIndex].Params.ld_Zoom, r.Zoom);   // completed and stored
        EXPECT_TRUE(History[Cycle.HistoryIndex].Params.Center_zX == View.Center_zX);
        HeadlessAdvanceClock(4000);
        PumpUntilPictureDone();
    }
}
