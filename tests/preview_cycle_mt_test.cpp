// Zoom, pan and limit commands through the render cycle of the whole program: each finished
// picture is what a full computation of the new view gives (apart from black skipped pixels
// under the interior shortcut and a pan's overlap), and a whole tour ends where it should.
#include <gtest/gtest.h>
#include <algorithm>
#include <utility>
#include "render/cycle.h"
#include "render/input.h"
#include "tests/preview_util.h"
#include "tests/support.h"

constexpr int W = 640, H = 360;

static void StartFirstPicture() {
    HeadlessSetScreen(W, H);
    StartProgram({"zentrix"});
    PumpUntilPictureDone();
    ASSERT_EQ(Work.TilePos, TileIdle);
    ASSERT_EQ(Calc.WindowWidth, W);
}

// The user switches the automatic mode off: no shortcut, no automatic limit or colour scale.
static void AutomaticOff() {
    View.Automatic = 0;
    View.Alt_Iteration = 0;
    View.Alt_Color = 0;
}

static void Command(int32_t code) {
    PostCommand(code);
    PumpUntilPictureDone();
    ASSERT_EQ(Work.TilePos, TileIdle);
    ASSERT_EQ(Cycle.PassState, 0);
}

// Differences from a full computation; with `blackAllowed` a skipped pixel left black is none.
static int Differences(bool blackAllowed) {
    const std::vector<int32_t> got = PictureCounts();
    const std::vector<int32_t> want = FullCountsOfThisView();
    int bad = 0;
    for (size_t i = 0; i < got.size(); i++)
        if (got[i] != want[i] && !(blackAllowed && got[i] == 0)) bad++;
    return bad;
}

TEST(PreviewCycle, WithoutShortcutEveryPictureEqualsAFullComputation) {
    StartFirstPicture();
    AutomaticOff();
    Input.PressX = 320;
    Input.PressY = 116;   // the cusp of the cardioid
    const struct { int32_t Command, Zoom, Iteration; } steps[] = {
        {CmdZoomInAtPoint, 4, 256}, {CmdZoomIn, 5, 256},        {CmdZoomOut, 4, 256},
        {CmdIterationUp, 4, 384},   {CmdIterationDown, 4, 256},
    };
    for (const auto& s : steps) {
        Command(s.Command);
        EXPECT_EQ(std::pair(View.ld_Zoom, View.Iteration), std::pair(s.Zoom, s.Iteration)) << s.Command;
        EXPECT_EQ(Differences(false), 0) << s.Command;
    }
    View.FPU_Mode = 0;   // another number format
    Command(CmdRecompute);
    EXPECT_EQ(Calc.NumberMode, ModeFixed60);
    EXPECT_EQ(Differences(false), 0);
}

TEST(PreviewCycle, WithShortcutOnlySkippedPixelsDiffer) {
    StartFirstPicture();
    View.Alt_Iteration = 0;   // a limit of the user's: the comparisons stay cheap
    Input.PressX = 320;
    Input.PressY = 116;
    for (int32_t command : {CmdZoomInAtPoint, CmdZoomIn, CmdZoomOut, CmdIterationUp, CmdRecompute}) {
        Command(command);
        if (command == CmdZoomInAtPoint) {
            EXPECT_EQ(Cycle.RecomputeAll, 0);   // the shortcut is used
        }
        EXPECT_EQ(Differences(true), 0) << command;
    }
    // Whatever is on the screen is the colour of its count.
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) ASSERT_EQ(ScreenImage[r * W + c], CountColour(NAt(c, r)));
}

TEST(PreviewCycle, LimitChangesKeepEscapingColours) {
    StartFirstPicture();
    const std::vector<int32_t> old = PictureCounts();
    const std::vector<uint32_t> before(ScreenImage, ScreenImage + W * H);
    Command(CmdIterationUp);
    for (int i = 0; i < W * H; i++) {
        if (old[i] != 0) {
            ASSERT_EQ(ScreenImage[i], before[i]) << i;
        }
    }
    Command(CmdIterationDown);
    EXPECT_EQ(View.Iteration, 256);
    for (int i = 0; i < W * H; i++) {
        if (old[i] != 0) {
            ASSERT_EQ(ScreenImage[i], before[i]) << i;
        }
    }
}

TEST(PreviewCycle, PanKeepsTheOverlapAndComputesTheBand) {
    StartFirstPicture();
    AutomaticOff();
    const std::vector<int32_t> old = PictureCounts();
    const int dx = -120, dy = 45;
    Input.DragDX = dx;
    Input.DragDY = dy;
    Command(CmdPanApply);
    const std::vector<int32_t> got = PictureCounts();
    const std::vector<int32_t> want = FullCountsOfThisView();
    int bad = 0;
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            const int sc = c - dx, sr = r - dy;
            if (sc >= 0 && sc < W && sr >= 0 && sr < H) ASSERT_EQ(got[r * W + c], old[sr * W + sc]);
            else bad += got[r * W + c] != want[r * W + c];
        }
    EXPECT_EQ(bad, 0);
}

TEST(PreviewCycle, TourEndsInTheExpectedViewAndHistory) {
    StartFirstPicture();
    EXPECT_EQ(Cycle.HistoryIndex, 3);   // the first picture fills every slot
    const ViewParams start = View;

    Input.PressX = 320;
    Input.PressY = 116;
    Command(CmdZoomInAtPoint);
    EXPECT_EQ(Cycle.HistoryIndex, 0);
    EXPECT_EQ(View.ld_Zoom, 4);
    const ViewParams zoomed = View;

    Command(CmdZoomOut);
    EXPECT_EQ(Cycle.HistoryIndex, 1);
    EXPECT_EQ(View.ld_Zoom, 3);
    EXPECT_EQ(View.Center_zX, zoomed.Center_zX);
    EXPECT_EQ(View.Center_zY, zoomed.Center_zY);

    Input.DragDX = 64;
    Input.DragDY = -32;
    const long128 before = View.Center_zX, beforeY = View.Center_zY;
    Command(CmdPanApply);
    EXPECT_EQ(Cycle.HistoryIndex, 1);   // the pan replaces the zoomed-out picture
    EXPECT_EQ(View.Center_zX, Sub128(before, ToLong128(64.0 / 2048)));
    EXPECT_EQ(View.Center_zY, Sub128(beforeY, ToLong128(-32.0 / 2048)));
    EXPECT_EQ(History[1].Params.Center_zX, View.Center_zX);

    const int32_t limit = View.Iteration;
    Command(CmdIterationUp);
    EXPECT_EQ(View.Iteration, RaisedIteration(limit));
    EXPECT_EQ(View.Alt_Iteration, 0);
    EXPECT_EQ(Cycle.HistoryIndex, 1);
    EXPECT_EQ(History[1].Params.Iteration, View.Iteration);

    Command(CmdIterationDown);   // stores nothing
    EXPECT_EQ(View.Iteration, LoweredIteration(RaisedIteration(limit)));
    EXPECT_EQ(History[1].Params.Iteration, RaisedIteration(limit));

    GoBack();                    // first undoes the lowering on the same slot
    PumpUntilPictureDone();
    EXPECT_EQ(Cycle.HistoryIndex, 1);
    EXPECT_EQ(View.Iteration, RaisedIteration(limit));
    GoBack();
    PumpUntilPictureDone();
    EXPECT_EQ(Cycle.HistoryIndex, 0);
    EXPECT_EQ(View.ld_Zoom, 4);
    EXPECT_EQ(View.Center_zX, zoomed.Center_zX);
    GoBack();
    PumpUntilPictureDone();
    EXPECT_EQ(Cycle.HistoryIndex, 3);
    EXPECT_EQ(View.ld_Zoom, start.ld_Zoom);
    EXPECT_EQ(View.Center_zY, start.Center_zY);
}

TEST(PreviewCycle, PreviewsReachTheScreenBeforeAnyTile) {
    StartFirstPicture();
    View.Alt_Iteration = 0;   // counts keep their values, so the preview colours are predictable
    const std::vector<int32_t> old = PictureCounts();
    const std::vector<uint32_t> shown(HeadlessCanvas(), HeadlessCanvas() + W * H);

    // Zoom out: the old picture stays while the grid pass runs.
    PostCommand(CmdZoomOut);
    ASSERT_TRUE(HeadlessPumpOne());   // the command
    ASSERT_TRUE(HeadlessPumpOne());   // the first tile
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), HeadlessCanvas()));
    while (Cycle.PassState == 2) ASSERT_TRUE(HeadlessPumpOne());
    // ...and the paint that ends the grid pass shows the halved picture in the centre.
    EXPECT_EQ(HeadlessPixel(160, 90), CountColour(old[0]));
    EXPECT_EQ(HeadlessPixel(160 + 100, 90 + 50), CountColour(old[100 * W + 200]));
    PumpUntilPictureDone();

    // Zoom in twofold: the magnified picture is on the screen after the command's own paint.
    const std::vector<int32_t> before = PictureCounts();
    PostCommand(CmdZoomIn);
    ASSERT_TRUE(HeadlessPumpOne());
    ASSERT_EQ(Work.TilePos, 0);
    const MagnifySpan cols = MagnifySpanFor(W, 2, W / 2), rows = MagnifySpanFor(H, 2, H / 2);
    for (int r = 0; r < H; r += 7)
        for (int c = 0; c < W; c += 5) {
            const int32_t v = before[MagnifiedSource(rows, 2, r) * W + MagnifiedSource(cols, 2, c)];
            ASSERT_EQ(HeadlessPixel(c, r), CountColour(v)) << c << "," << r;
        }
}
