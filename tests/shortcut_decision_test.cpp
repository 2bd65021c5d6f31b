// The interior shortcut: which blocks are skipped, when the shortcut is trusted, and which
// skipped pixels a refinement round queues.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "engine/state.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/shortcut.h"

static void UsePicture(int w, int h) {
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
}

TEST(ShortcutDecision, PercentIsRoundedInSinglePrecision) {
    EXPECT_EQ(InsidePercent(0, 2073600), 0u);
    EXPECT_EQ(InsidePercent(10368, 2073600), 0u);    // exactly 0.5 goes to the even 0
    EXPECT_EQ(InsidePercent(31104, 2073600), 2u);    // exactly 1.5 goes to 2
    EXPECT_EQ(InsidePercent(2073600, 2073600), 100u);
    EXPECT_EQ(InsidePercent(777u * 1000000u, 100), 100u);   // no overflow on a stale count
}

TEST(ShortcutDecision, ThresholdsPerNumberFormatAndCasesThatComputeEverything) {
    // percent, iteration, number format, history empty, automatic, compute everything
    const uint32_t cases[][6] = {
        {30, 256, ModeDouble, 0, 1, 0},  {29, 256, ModeDouble, 0, 1, 1},   // 7,680 and 7,424
        {30, 256, ModeFixed60, 0, 1, 0}, {29, 256, ModeFixed60, 0, 1, 1},
        {75, 100, ModeDouble, 0, 1, 0},                                     // exactly 7,500
        {25, 100, ModeLong128, 0, 1, 0}, {24, 100, ModeLong128, 0, 1, 1},  // long128 pays more a pixel
        {24, 100, 2, 0, 1, 0},                                              // an unknown format never objects
        {50, 100000, ModeDouble, 1, 1, 1},                                  // nothing stored yet
        {50, 100000, ModeDouble, 0, 0, 1},                                  // automatic mode off
        {1, 100000, ModeDouble, 0, 1, 1},  {2, 100000, ModeDouble, 0, 1, 0},
        {99, 100000, ModeDouble, 0, 1, 0}, {100, 100000, ModeDouble, 0, 1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecomputeAllFor(c[0], int32_t(c[1]), uint8_t(c[2]), uint8_t(c[3]), uint8_t(c[4])), c[5])
            << c[0] << "% of " << c[1] << " in format " << c[2];
}

TEST(ShortcutDecision, DecideTurnsTheCountIntoAPercent) {
    UsePicture(100, 100);
    View.Iteration = 256;
    View.Automatic = 1;
    Cycle.HistoryEmpty = 0;
    Calc.NumberMode = ModeDouble;
    InsideCount = 3000;
    DecideRecomputeAll();
    EXPECT_EQ(InsideCount, 30u);
    EXPECT_EQ(Cycle.RecomputeAll, 0);
    InsideCount = 2900;
    DecideRecomputeAll();
    EXPECT_EQ(Cycle.RecomputeAll, 1);
}

TEST(ShortcutGrid, MarkGridMarksOnlyGridPointsInsideThePicture) {
    UsePicture(40, 33);
    FillWorkMask(5);
    MarkGrid();
    for (int r = 0; r < MaxHeight; r++)
        for (int c = 0; c < CountStride; c++) {
            const bool grid = r < 33 && c < 40 && r % 16 == 0 && c % 16 == 0;
            ASSERT_EQ(MaskAt(c, r), grid ? -1 : 0) << c << "," << r;
        }
}

TEST(ShortcutGrid, BlocksWithFourInsideCornersAreSkipped) {
    UsePicture(40, 40);   // blocks at 0, 16 and a partial one at 32 in both directions
    NAt(16, 16) = 9;      // one escaping grid point spoils the four blocks that share it
    MaskAt(40, 0) = 7;
    SkipInsideBlocks();
    auto skipped = [](int c, int r) { return MaskAt(c, r) == 0; };
    EXPECT_FALSE(skipped(0, 0));
    EXPECT_FALSE(skipped(20, 3));
    EXPECT_FALSE(skipped(3, 20));
    EXPECT_FALSE(skipped(31, 31));
    // Partial blocks at the right and bottom read their missing corners as inside.
    EXPECT_TRUE(skipped(32, 0));
    EXPECT_TRUE(skipped(39, 39));
    EXPECT_TRUE(skipped(0, 32));
    EXPECT_EQ(MaskAt(40, 0), 7);    // nothing outside the picture is touched
    // 5 of the 9 blocks: two 16 x 8 edge blocks on each side of the corner, and the 8 x 8 one.
    EXPECT_EQ(InsideCount, 4u * 16 * 8 + 8 * 8);
}

TEST(ShortcutGrid, PictureWithoutInsidePixelsSkipsNothing) {
    UsePicture(64, 48);
    for (int r = 0; r < 48; r++)
        for (int c = 0; c < 64; c++) NAt(c, r) = 3;
    SkipInsideBlocks();
    EXPECT_EQ(InsideCount, 0u);
    Cycle.HistoryEmpty = 0;
    View.Automatic = 1;
    DecideRecomputeAll();
    EXPECT_EQ(Cycle.RecomputeAll, 1);
}

// Pixels a refinement round queues around one escaping pixel in an all-inside picture.
static std::vector<std::pair<int, int>> QueuedAround(int w, int h, int col, int row) {
    UsePicture(w, h);
    std::fill_n(Counts.N_array, NArrayCount, 0);
    NAt(col, row) = 7;
    ClearSettledFlags();
    RefineBoundary();
    std::vector<std::pair<int, int>> queued;
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w; c++)
            if (MaskAt(c, r) == -1) queued.push_back({c, r});
    return queued;
}

TEST(ShortcutRefine, QueuesTheDiamondOfEightAroundAnEscapingPixel) {
    auto q = QueuedAround(100, 80, 50, 40);
    std::vector<std::pair<int, int>> expected = {
        {50, 24}, {42, 32}, {58, 32}, {34, 40}, {66, 40}, {42, 48}, {58, 48}, {50, 56}};
    EXPECT_EQ(q, expected);
    EXPECT_EQ(Cycle.PassState, 1);
    EXPECT_EQ(MaskAt(50, 40), 7);    // the escaping pixel is taken over
    EXPECT_EQ(MaskAt(51, 40), 0);    // unqueued inside pixels stay skipped
    EXPECT_EQ(SettledFlags[MaskIndex(50, 24)], 1);
}

TEST(ShortcutRefine, EdgesReadTheZeroMargins) {
    auto q = QueuedAround(100, 80, 0, 0);
    std::vector<std::pair<int, int>> expected = {{16, 0}, {8, 8}, {0, 16}};
    EXPECT_EQ(q, expected);
    auto far = QueuedAround(100, 80, 99, 79);
    std::vector<std::pair<int, int>> expectedFar = {{99, 63}, {91, 71}, {83, 79}};
    EXPECT_EQ(far, expectedFar);
}

TEST(ShortcutRefine, QueuedPixelsAreNeverQueuedAgain) {
    QueuedAround(100, 80, 50, 40);
    RefineBoundary();   // the pass computed nothing new: the same pixels are settled
    EXPECT_EQ(Cycle.PassState, 0);
    for (int r = 0; r < 80; r++)
        for (int c = 0; c < 100; c++) ASSERT_NE(MaskAt(c, r), -1);
    // A queued pixel that escaped widens the search by its own diamond.
    NAt(50, 24) = 3;
    RefineBoundary();
    EXPECT_EQ(Cycle.PassState, 1);
    EXPECT_EQ(MaskAt(50, 8), -1);
    EXPECT_EQ(MaskAt(50, 24), 3);
    EXPECT_EQ(MaskAt(50, 40), 7);
    EXPECT_EQ(MaskAt(42, 32), 0);   // settled in the first round
}

TEST(ShortcutRefine, NeighboursOffTheDiamondAreNotSeen) {
    // A thin filament that misses every sample point of a pixel's diamond leaves it black.
    UsePicture(100, 80);
    for (int r = 0; r < 80; r++) NAt(45, r) = 2;   // escaping column 45
    ClearSettledFlags();
    RefineBoundary();
    EXPECT_EQ(MaskAt(50, 40), 0);    // 5 columns off: no diamond point on column 45
    EXPECT_EQ(MaskAt(53, 40), -1);   // 8 columns off
    EXPECT_EQ(MaskAt(61, 40), -1);   // 16 columns off
    EXPECT_EQ(MaskAt(62, 40), 0);
}
