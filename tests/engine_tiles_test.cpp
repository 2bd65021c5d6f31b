// Work distribution without threads: the thread-count rule, the spiral, the strip tables with
// their self-tests, and the time-slice set-up.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"

namespace {
void Tables(int w, int h, int threads) {
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
    Work.ThreadCount = threads;
    BuildTileTables();
}
struct Cell { int gx, gy; };
Cell CellOf(int p) {
    for (int gy = 0; gy < 32; ++gy)
        for (int gx = 0; gx < 32; ++gx)
            if (Work.SpiralPos[gy][gx] == p) return {gx, gy};
    return {-1, -1};
}
}  // namespace

TEST(Tiles, ThreadCountRule) {
    struct { int processors, threads; } table[] = {{1, 1}, {2, 2}, {4, 4}, {6, 6}, {8, 8}, {9, 4},
                                                   {10, 5}, {12, 6}, {16, 8}, {24, 8}, {64, 8},
                                                   {0, 1}, {-3, 1}, {17, 8}};
    for (auto c : table) EXPECT_EQ(ThreadCountFor(c.processors, 0), c.threads) << c.processors;
    EXPECT_EQ(ThreadCountFor(64, 3), 3);
    EXPECT_EQ(ThreadCountFor(1, 8), 8);
    EXPECT_EQ(ThreadCountFor(4, 9), 4);   // not a valid option: ignored
    // One processor: no workers, and a tile is one strip on the main thread.
    HeadlessSetProcessorCount(1);
    StartWorkers();
    EXPECT_EQ(Work.ThreadCount, 1);
}

TEST(Tiles, SpiralRunsClockwiseFromTheCentre) {
    Tables(1024, 768, 1);
    std::vector<int> seen(TileCount, 0);
    for (int gy = 0; gy < 32; ++gy)
        for (int gx = 0; gx < 32; ++gx) seen.at(Work.SpiralPos[gy][gx]) += 1;
    for (int p = 0; p < TileCount; ++p) ASSERT_EQ(seen[p], 1) << p;
    const struct { int p, gx, gy; } cells[] = {{0, 16, 15}, {1, 16, 16}, {2, 15, 16}, {3, 15, 15},
                                              {4, 15, 14}, {5, 16, 14}, {6, 17, 14}, {15, 14, 14},
                                              {16, 14, 13}, {900, 1, 0}, {992, 0, 31}, {1022, 0, 1}, {1023, 0, 0}};
    for (auto c : cells) {
        Cell got = CellOf(c.p);
        EXPECT_EQ(got.gx, c.gx) << c.p;
        EXPECT_EQ(got.gy, c.gy) << c.p;
    }
}

TEST(Tiles, StripsOfTheStatedSizes) {
    Tables(1920, 1200, 8);
    const int p = Work.SpiralPos[0][0];
    const int x1[] = {0, 8, 15, 22, 30, 38, 45, 52}, x2[] = {7, 14, 21, 29, 37, 44, 51, 59};
    for (int t = 1; t <= 8; ++t) {
        EXPECT_EQ(Work.TileX1[t][p], x1[t - 1]) << t;
        EXPECT_EQ(Work.TileX2[t][p], x2[t - 1]) << t;
    }
    const int last = Work.SpiralPos[5][31];
    EXPECT_EQ(Work.TileX1[8][last], 1912);
    EXPECT_EQ(Work.TileX2[8][last], 1919);
    const int bandStarts[] = {0, 38, 75, 112, 150};
    for (int gy = 0; gy < 5; ++gy) EXPECT_EQ(Work.TileY1[1][Work.SpiralPos[gy][3]], bandStarts[gy]);
    EXPECT_EQ(Work.TileY1[8][Work.SpiralPos[31][3]], 1162);
    EXPECT_EQ(Work.TileY2[8][Work.SpiralPos[31][3]], 1199);

    Tables(1024, 768, 4);
    for (int p2 = 0; p2 < TileCount; ++p2)
        for (int t = 1; t <= 4; ++t) {
            ASSERT_EQ(Work.TileX2[t][p2] - Work.TileX1[t][p2], 7);
            ASSERT_EQ(Work.TileY2[t][p2] - Work.TileY1[t][p2], 23);
        }
}

TEST(Tiles, EveryPixelInExactlyOneStripAtAnySize) {
    HeadlessThrowOnExit(true);
    const struct { int w, h, threads; } sizes[] = {{1000, 1079, 3}, {1001, 1199, 7}, {1919, 1201, 5},
                                                   {64, 24, 8},    {34, 33, 1},     {1920, 1200, 6}};
    for (auto s : sizes) {
        ASSERT_NO_THROW(Tables(s.w, s.h, s.threads)) << s.w << "x" << s.h;
        std::vector<int> hits(size_t(s.w) * s.h, 0);
        for (int p = 0; p < TileCount; ++p)
            for (int t = 1; t <= s.threads; ++t) {
                ASSERT_EQ(Work.TileY1[t][p], Work.TileY1[1][p]);
                for (int row = Work.TileY1[t][p]; row <= Work.TileY2[t][p]; ++row)
                    for (int col = Work.TileX1[t][p]; col <= Work.TileX2[t][p]; ++col)
                        hits.at(size_t(row) * s.w + col) += 1;
            }
        for (size_t i = 0; i < hits.size(); ++i) ASSERT_EQ(hits[i], 1) << s.w << "x" << s.h << " at " << i;
    }
    EXPECT_STREQ(HeadlessLastMessageBox(), "");
}

// The text of the fatal box raised while building the tables, "" if none.
std::string FatalTextFor(int w, int h) {
    HeadlessThrowOnExit(true);
    try {
        Tables(w, h, 1);
    } catch (const HeadlessExit& e) {
        EXPECT_EQ(e.code, 1);
        return HeadlessLastMessageBox();
    }
    return "";
}

TEST(Tiles, SplitSelfTestsEndTheProgram) {
    // Beyond 2^24 the single-precision strip width and band height no longer add up.
    EXPECT_EQ(FatalTextFor(16777217, 768), "X-Split");
    EXPECT_EQ(FatalTextFor(1024, 16777217), "Y-Split");
}

TEST(Tiles, SliceSetUp) {
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
    View.Iteration = 9999999;
    PrepareSlice();
    EXPECT_EQ(Work.SliceReload, 1);
    View.Iteration = 3;
    PrepareSlice();
    EXPECT_EQ(Work.SliceReload, 3333333);
}

TEST(Tiles, NoTileOutsideThePass) {
    Tables(64, 48, 1);
    InitEngineState();
    Calc.NumberMode = ModeDouble;
    for (int i = 0; i < 48; ++i) MaskAt(i, i % 48) = -1;
    for (int32_t pos : {-1, 1024, TileIdle}) {
        Work.TilePos = pos;
        ComputeTile();
    }
    for (int i = 0; i < 48; ++i) EXPECT_EQ(MaskAt(i, i % 48), -1);
}
