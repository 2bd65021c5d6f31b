// Work distribution without threads: the thread-count rule, the spiral, the strip tables with
// their self-tests, and the time-slice set-up.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"

namespace {
void Tables(int w, int h, int threads) {
    Calc.WindowWidth = w, Calc.WindowHeight = h;
    Work.ThreadCount = threads;
    BuildTileTables();
}
// The text of the fatal box raised while building the tables, "" if none.
std::string FatalTextFor(int w, int h, int threads = 1) {
    HeadlessThrowOnExit(true);
    try {
        Tables(w, h, threads);
    } catch (const HeadlessExit& e) {
        EXPECT_EQ(e.code, 1);
        return HeadlessLastMessageBox();
    }
    return "";
}
}  // namespace

TEST(Tiles, ThreadCountRule) {
    const struct { int processors, threads; } table[] = {{1, 1}, {2, 2}, {4, 4}, {6, 6}, {8, 8}, {9, 4}, {10, 5},
                                                         {12, 6}, {16, 8}, {24, 8}, {64, 8}, {0, 1}, {17, 8}};
    for (auto c : table) EXPECT_EQ(ThreadCountFor(c.processors, 0), c.threads) << c.processors;
    EXPECT_EQ(ThreadCountFor(64, 3), 3);
    EXPECT_EQ(ThreadCountFor(1, 8), 8);
    HeadlessSetProcessorCount(1);   // no workers: a tile is one strip on the main thread
    StartWorkers();
    EXPECT_EQ(Work.ThreadCount, 1);
}

TEST(Tiles, SpiralRunsClockwiseFromTheCentre) {
    Tables(1024, 768, 1);
    std::vector<int> cellOf(TileCount, -1);
    for (int cell = 0; cell < TileCount; ++cell) {
        int& slot = cellOf.at(Work.SpiralPos[cell / 32][cell % 32]);
        ASSERT_EQ(slot, -1);
        slot = cell;   // gy * 32 + gx
    }
    const struct { int p, gx, gy; } cells[] = {{0, 16, 15}, {1, 16, 16}, {2, 15, 16}, {3, 15, 15}, {4, 15, 14},
                                               {6, 17, 14}, {15, 14, 14}, {16, 14, 13}, {900, 1, 0}, {992, 0, 31},
                                               {1023, 0, 0}};
    for (auto c : cells) EXPECT_EQ(cellOf[c.p], c.gy * 32 + c.gx) << c.p;
}

TEST(Tiles, StripsOfTheStatedSizes) {
    Tables(1920, 1200, 8);
    const int p = Work.SpiralPos[0][0];
    const int x1[] = {0, 8, 15, 22, 30, 38, 45, 52}, x2[] = {7, 14, 21, 29, 37, 44, 51, 59};
    for (int t = 1; t <= 8; ++t) EXPECT_TRUE(Work.TileX1[t][p] == x1[t - 1] && Work.TileX2[t][p] == x2[t - 1]) << t;
    EXPECT_EQ(Work.TileX1[8][Work.SpiralPos[5][31]], 1912);
    const int bandStarts[] = {0, 38, 75, 112, 150};
    for (int gy = 0; gy < 5; ++gy) EXPECT_EQ(Work.TileY1[1][Work.SpiralPos[gy][3]], bandStarts[gy]);
    EXPECT_EQ(Work.TileY1[8][Work.SpiralPos[31][3]], 1162);
    Tables(1024, 768, 4);
    for (int q = 0; q < TileCount; ++q)
        for (int t = 1; t <= 4; ++t)
            ASSERT_TRUE(Work.TileX2[t][q] - Work.TileX1[t][q] == 7 && Work.TileY2[t][q] - Work.TileY1[t][q] == 23);
}

TEST(Tiles, EveryPixelInExactlyOneStrip) {
    const struct { int w, h, threads; } sizes[] = {{1000, 1079, 3}, {1001, 1199, 7}, {1919, 1201, 5}, {64, 24, 8}};
    for (auto s : sizes) {
        ASSERT_EQ(FatalTextFor(s.w, s.h, s.threads), "");
        std::vector<int> hits(size_t(s.w) * s.h, 0);
        for (int p = 0; p < TileCount; ++p)
            for (int t = 1; t <= s.threads; ++t) {
                ASSERT_TRUE(Work.TileY1[t][p] == Work.TileY1[1][p] && Work.TileY2[t][p] == Work.TileY2[1][p]);
                for (int row = Work.TileY1[t][p]; row <= Work.TileY2[t][p]; ++row)
                    for (int col = Work.TileX1[t][p]; col <= Work.TileX2[t][p]; ++col) hits.at(size_t(row) * s.w + col) += 1;
            }
        EXPECT_EQ(std::count(hits.begin(), hits.end(), 1), long(hits.size())) << s.w << "x" << s.h;
    }
    // Beyond 2^24 the single-precision strip width and band height no longer add up.
    EXPECT_EQ(FatalTextFor(16777217, 768), "X-Split");
    EXPECT_EQ(FatalTextFor(1024, 16777217), "Y-Split");
}

// The threads share a tile as the rectangle of its strips, whose rows it hands out once each,
// from the top.
TEST(Tiles, ATileHandsOutEachRowOnce) {
    Tables(1000, 1079, 3);
    for (int p : {0, 517, 1023}) {
        Work.TilePos = p;
        OpenTile();
        EXPECT_TRUE(TileRows.X1 == Work.TileX1[1][p] && TileRows.X2 == Work.TileX2[3][p] &&
                    TileRows.Y1 == Work.TileY1[1][p] && TileRows.Y2 == Work.TileY2[1][p]);
        for (int row = TileRows.Y1; row <= TileRows.Y2 + 2; ++row) EXPECT_EQ(TakeTileRow(), std::min(row, TileRows.Y2 + 1));
    }
}

TEST(Tiles, SliceSetUpAndIdleTiles) {
    InitEngineState();
    View.Iteration = 256;
    Work.LivePass = false;
    Work.SliceExpired = true;
    PrepareSlice();
    EXPECT_EQ(Work.SliceReload, 39062);   // 39062.5, to even
    EXPECT_EQ(Work.SliceCounter, 2304000);
    EXPECT_FALSE(Work.SliceExpired);
    Work.LivePass = true;
    HeadlessAdvanceTicks(123);
    const int64_t now = PlatPerfCounter();
    PrepareSlice();
    EXPECT_EQ(Work.SliceCounter, 39062);
    EXPECT_EQ(Work.SliceDeadline, now + 10000000);
    for (auto c : {std::pair{9999999, 1}, std::pair{3, 3333333}}) {
        View.Iteration = c.first;
        PrepareSlice();
        EXPECT_EQ(Work.SliceReload, c.second);
    }
    // Outside 0 .. 1023 nothing is computed.
    Tables(64, 48, 1);
    Calc.NumberMode = ModeDouble;
    MaskAt(32, 24) = -1;
    for (int32_t pos : {-1, 1024, TileIdle}) {
        Work.TilePos = pos;
        ComputeTile();
    }
    EXPECT_EQ(MaskAt(32, 24), -1);
}
