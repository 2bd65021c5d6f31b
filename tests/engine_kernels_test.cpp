// The three kernels, pinned pixel by pixel against the reference escape counts over whole
// pictures, the special points of each format, and the strip protocol (known counts, empty
// strips, an interrupted tile). Strips run one after another on the main thread here.
#include <gtest/gtest.h>
#include <set>
#include <vector>
#include "engine_reference.h"
#include "platform/headless/headless.h"

using ref::Scene;

namespace {
// A real point whose orbit lands on a fixed point after three steps (z3 = z4).
const char* const Misiurewicz = "-1.54368901269207636157085597180174798652";

// Every picture pixel: count, mask, colour and progress as the reference has them.
void ExpectReferencePicture(const Scene& s) {
    std::set<int32_t> distinct;
    for (int row = 0; row < s.Height; ++row)
        for (int col = 0; col < s.Width; ++col) {
            const int32_t want = ref::PixelCount(col, row);
            ASSERT_EQ(NAt(col, row), want) << "pixel " << col << "," << row << " zoom " << s.Zoom;
            ASSERT_EQ(MaskAt(col, row), want);
            ASSERT_EQ(ScreenImage[col + s.Width * row], ref::Colour(want));
            ASSERT_EQ(ProgressImage[col + s.Width * row], 0x00FF00u);
            distinct.insert(want);
        }
    // Nothing outside the picture is touched.
    EXPECT_EQ(NAt(-1, 0), 0);
    EXPECT_EQ(NAt(s.Width, s.Height - 1), 0);
    EXPECT_EQ(ProgressImage[s.Width * s.Height], 0x808080u);
    // A picture of a single count would pin little.
    EXPECT_GT(distinct.size(), 5u) << "zoom " << s.Zoom;
}

void CheckScenes(const std::vector<Scene>& scenes, uint8_t mode) {
    for (const Scene& s : scenes) {
        ref::Install(s, 1);
        ASSERT_EQ(Calc.NumberMode, mode) << s.Zoom;
        ref::RunPass();
        ExpectReferencePicture(s);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

int32_t CentreCount(const char* y, const char* x, int zoom, int mode, int32_t limit = 100) {
    ref::Install({y, x, zoom, limit, 64, 48, 1, 0, mode}, 1);
    ref::RunPass();
    return NAt(32, 24);
}
}  // namespace

// Misiurewicz points: their neighbourhoods show varied counts at every depth with small limits.
TEST(Kernels, DoubleMatchesReference) {
    CheckScenes({{"-0.5", "0", -4, 300, 64, 48},                  // whole set and beyond |c| = 2
                 {"-0.75", "0.1", 0, 500, 96, 64},
                 {"-1.7687788", "0.0017389", 12, 800, 48, 36},
                 {Misiurewicz, "0", 45, 400, 32, 24},             // last double zoom
                 {"0", "-1", 45, 400, 32, 24}},
                ModeDouble);
}

TEST(Kernels, Fixed60MatchesReference) {
    CheckScenes({{"-0.5", "0", -4, 300, 64, 48, 1, 0, ModeFixed60},   // |c| up to 2.8
                 {"0", "2.5", -4, 300, 64, 48, 1, 0, ModeFixed60},    // cx up to 4.5
                 {"-0.7453", "0.1127", 10, 500, 64, 48, 0},
                 {"-1.25", "-0.3", 3, 500, 64, 48, 0},
                 {Misiurewicz, "0", 46, 400, 32, 24},                   // first Fixed60 zoom
                 {Misiurewicz, "0", 52, 400, 32, 24},                   // step of one unit
                 {"0", "-1", 46, 400, 32, 24},
                 {"0", "-1", 52, 400, 32, 24},
                 {"-2", "0", 50, 300, 32, 24},
                 {Misiurewicz, "0", 38, 400, 32, 24, 1, 8}},            // early switch
                ModeFixed60);
}

TEST(Kernels, Long128MatchesReference) {
    CheckScenes({{"-0.5", "0", -4, 300, 64, 48, 1, 0, ModeLong128},
                 {"0", "2.5", -4, 300, 64, 48, 1, 0, ModeLong128},
                 {"-0.16", "1.0405", 6, 500, 64, 48, 1, 0, ModeLong128},
                 {Misiurewicz, "0", 53, 400, 32, 24},                   // first long128 zoom
                 {Misiurewicz, "0", 45, 400, 32, 24, 1, 8},
                 {Misiurewicz, "0", 112, 400, 32, 24},                  // step of one unit
                 {"0", "-1", 70, 400, 32, 24},
                 {"-2", "0", 62, 200, 32, 24},
                 {"-2", "0", 112, 200, 16, 12},
                 {"0", "1", 112, 300, 16, 12}},
                ModeLong128);
}

TEST(Kernels, SpecialPoints) {
    for (int mode : {ModeDouble, ModeFixed60, ModeLong128}) {
        EXPECT_EQ(CentreCount("0", "0", 40, mode), 0) << mode;       // never escapes
        EXPECT_EQ(CentreCount("1", "0", 40, mode), 99) << mode;      // z1 = 2
        EXPECT_EQ(CentreCount("0.25", "0", 30, mode, 50), 0) << mode;
    }
    // The imaginary unit cycles between -1 + i and -i.
    EXPECT_EQ(CentreCount("0", "1", 40, ModeDouble, 1000), 0);
    EXPECT_EQ(CentreCount("0", "1", 40, ModeFixed60, 1000), 0);
    // -2 escapes at once where the square is exact; the complement magnitude of long128
    // squares it to 4 - 2^-118, so there it does not.
    EXPECT_EQ(CentreCount("-2", "0", 40, ModeDouble), 100);
    EXPECT_EQ(CentreCount("-2", "0", 40, ModeFixed60), 100);
    int32_t deep = CentreCount("-2", "0", 40, ModeLong128);
    EXPECT_LT(deep, 100);
    EXPECT_EQ(deep, ref::PixelCount(32, 24));
    EXPECT_EQ(ScreenImage[32 + 64 * 24], ref::Colour(deep));
    // Colour of an immediate escape: index Offset.
    CentreCount("-2", "0", 40, ModeDouble);
    EXPECT_EQ(ScreenImage[32 + 64 * 24], Palette[16]);
}

TEST(Kernels, LimitOfTwoGivesCountsUpToTwo) {
    for (int mode : {ModeDouble, ModeFixed60, ModeLong128}) {
        Scene s{"-0.5", "0", -4, 2, 64, 48, 1, 0, mode};   // corners beyond |c| = 2
        ref::Install(s, 1);
        ref::RunPass();
        bool seen[3] = {};
        for (int row = 0; row < 48; ++row)
            for (int col = 0; col < 64; ++col) {
                int32_t n = NAt(col, row);
                ASSERT_TRUE(n >= 0 && n <= 2);
                seen[n] = true;
            }
        EXPECT_TRUE(seen[0] && seen[1] && seen[2]) << mode;
    }
}

TEST(Kernels, KnownCountsAreCopiedAndRecoloured) {
    for (int mode : {ModeDouble, ModeFixed60, ModeLong128}) {
        Scene s{"-0.5", "0", -2, 300, 64, 48, 1, 0, mode};
        ref::Install(s, 3);   // three strips per tile, run one after another
        for (int col = 0; col < 64; ++col) MaskAt(col, 7) = 17;
        MaskAt(5, 9) = 0;
        ref::RunPass();
        for (int col = 0; col < 64; ++col) {
            ASSERT_EQ(NAt(col, 7), 17);
            ASSERT_EQ(ScreenImage[col + 64 * 7], ref::Colour(17));
            ASSERT_EQ(ProgressImage[col + 64 * 7], 0x00FF00u);
        }
        EXPECT_EQ(NAt(5, 9), 0);
        EXPECT_EQ(NAt(6, 9), ref::PixelCount(6, 9));
    }
}

TEST(Kernels, EmptyStripsAndBandsVisitNothing) {
    // 64 columns in 32 x 8 strips: three of every four strips have no column; 24 rows in
    // 32 bands: some bands have no row.
    Scene s{"-0.75", "0.1", 0, 300, 64, 24};
    ref::Install(s, 8);
    int empty = 0;
    for (int p = 0; p < TileCount; ++p)
        for (int t = 1; t <= 8; ++t) empty += Work.TileX2[t][p] < Work.TileX1[t][p];
    EXPECT_EQ(empty, 1024 * 6);
    ref::RunPass();
    ExpectReferencePicture(s);
}

TEST(Kernels, InterruptedTileResumesToTheSameCounts) {
    Scene s{"-0.75", "0.1", 0, 400, 64, 48};
    for (int mode : {ModeDouble, ModeFixed60, ModeLong128}) {
        s.ForceMode = mode;
        ref::Install(s, 2);
        Work.LivePass = true;
        // Every clock read from now on lands two seconds later: each read sees the deadline gone.
        HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);
        int calls = 0;
        for (int p = 0; p < TileCount; ++p) {
            Work.TilePos = p;
            for (;;) {
                PrepareSlice();
                Work.SliceCounter = 1;   // one more pixel, then the clock
                ComputeTile();
                ++calls;
                if (!Work.SliceExpired) break;
                ASSERT_EQ(Work.TilePos, p);
            }
        }
        HeadlessSetTicksPerRead(0);
        EXPECT_GE(calls, 64 * 48);   // one pixel per call
        ExpectReferencePicture(s);
    }
}

TEST(Kernels, ExpiredSliceStoresExactlyTheCountedPixels) {
    ref::Install({"-0.75", "0.1", 0, 400, 256, 192}, 1);   // tiles of 8 x 6 pixels
    Work.LivePass = true;
    Work.TilePos = 0;
    auto pending = [] {
        int n = 0;
        for (int row = Work.TileY1[1][0]; row <= Work.TileY2[1][0]; ++row)
            for (int col = Work.TileX1[1][0]; col <= Work.TileX2[1][0]; ++col) n += MaskAt(col, row) == -1;
        return n;
    };
    ASSERT_EQ(pending(), 48);
    HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);
    for (int before = pending(); before > 0;) {
        PrepareSlice();
        Work.SliceCounter = 1;   // one pixel, then a clock read that ends the slice
        ComputeTile();
        int after = pending();
        ASSERT_EQ(before - after, 1);
        ASSERT_EQ(bool(Work.SliceExpired), after > 0);
        before = after;
    }
}
