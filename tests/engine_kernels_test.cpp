// The three kernels pinned pixel by pixel against the reference escape counts over whole
// pictures, the special points of each format, and the strip protocol: known counts, empty
// strips, and tiles cut short by their time slice. Strips run one after another here.
#include <gtest/gtest.h>
#include <set>
#include "tests/engine_reference.h"
#include "platform/headless/headless.h"

using ref::Scene;

namespace {
// A real point whose orbit lands on a fixed point after three steps: its neighbourhood shows
// varied counts at every depth with small limits.
const char* const Misiurewicz = "-1.54368901269207636157085597180174798652";

// Every picture pixel: count, mask, colour and progress as the reference has them.
void ExpectReferencePicture(const Scene& s) {
    std::set<int32_t> distinct;
    for (int row = 0; row < s.Height; ++row)
        for (int col = 0; col < s.Width; ++col) {
            const int32_t want = ref::PixelCount(col, row);
            const int p = col + s.Width * row;
            ASSERT_EQ(NAt(col, row), want) << "pixel " << col << "," << row << " zoom " << s.Zoom;
            ASSERT_TRUE(MaskAt(col, row) == want && ScreenImage[p] == ref::Colour(want) && ProgressImage[p] == 0x00FF00u);
            distinct.insert(want);
        }
    EXPECT_EQ(NAt(-1, 0) | NAt(s.Width, s.Height - 1), 0);   // nothing outside the picture
    EXPECT_EQ(ProgressImage[s.Width * s.Height], 0x808080u);
    EXPECT_GT(distinct.size(), 5u) << "a picture of few counts pins little, zoom " << s.Zoom;
}

void CheckScenes(uint8_t mode, std::initializer_list<Scene> scenes) {
    for (const Scene& s : scenes) {
        ref::Install(s, 1);
        ASSERT_EQ(Calc.NumberMode, mode) << s.Zoom;
        ref::RunPass();
        ExpectReferencePicture(s);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

int32_t CentreCount(const char* y, const char* x, int mode, int32_t limit = 100) {
    ref::Install({y, x, 40, limit, 64, 48, 1, 0, mode}, 1);
    ref::RunPass();
    return NAt(32, 24);
}
}  // namespace

TEST(Kernels, DoubleMatchesReference) {
    CheckScenes(ModeDouble, {{"-0.5", "0", -4, 300, 64, 48},      // the whole set and beyond |c| = 2
                             {"-0.75", "0.1", 0, 500, 96, 64},
                             {"-1.7687788", "0.0017389", 12, 800, 48, 36},
                             {Misiurewicz, "0", 45, 400, 32, 24},  // last double zoom
                             {"0", "-1", 45, 400, 32, 24}});
}

TEST(Kernels, Fixed60MatchesReference) {
    CheckScenes(ModeFixed60, {{"-0.5", "0", -4, 300, 64, 48, 1, 0, ModeFixed60},
                              {"0", "2.5", -4, 300, 64, 48, 1, 0, ModeFixed60},   // cx up to 4.5
                              {"-0.7453", "0.1127", 10, 500, 64, 48, 0},
                              {Misiurewicz, "0", 46, 400, 32, 24},                // first Fixed60 zoom
                              {Misiurewicz, "0", 52, 400, 32, 24},                // step of one unit
                              {"0", "-1", 52, 400, 32, 24},
                              {"-2", "0", 50, 300, 32, 24},
                              {Misiurewicz, "0", 38, 400, 32, 24, 1, 8}});        // early switch
}

TEST(Kernels, Long128MatchesReference) {
    CheckScenes(ModeLong128, {{"-0.5", "0", -4, 300, 64, 48, 1, 0, ModeLong128},
                              {"0", "2.5", -4, 300, 64, 48, 1, 0, ModeLong128},
                              {Misiurewicz, "0", 53, 400, 32, 24},                // first long128 zoom
                              {Misiurewicz, "0", 45, 400, 32, 24, 1, 8},
                              {Misiurewicz, "0", 112, 400, 32, 24},               // step of one unit
                              {"0", "-1", 70, 400, 32, 24},
                              {"-2", "0", 62, 200, 32, 24},
                              {"0", "1", 112, 300, 16, 12}});
}

TEST(Kernels, SpecialPoints) {
    for (int mode : {ModeDouble, ModeFixed60, ModeLong128}) {
        EXPECT_EQ(CentreCount("0", "0", mode), 0) << mode;
        EXPECT_EQ(CentreCount("1", "0", mode), 99) << mode;   // z1 = 2
    }
    // The imaginary unit cycles between -1 + i and -i.
    EXPECT_EQ(CentreCount("0", "1", ModeDouble, 1000), 0);
    EXPECT_EQ(CentreCount("0", "1", ModeFixed60, 1000), 0);
    // -2 escapes at once where its square is exact, coloured at index Offset; the complement
    // magnitude of long128 squares it to 4 - 2^-118, so there it does not.
    EXPECT_EQ(CentreCount("-2", "0", ModeFixed60), 100);
    EXPECT_EQ(CentreCount("-2", "0", ModeDouble), 100);
    EXPECT_EQ(ScreenImage[32 + 64 * 24], Palette[16]);
    EXPECT_LT(CentreCount("-2", "0", ModeLong128), 100);
    EXPECT_EQ(NAt(32, 24), ref::PixelCount(32, 24));
}

TEST(Kernels, StripProtocol) {
    for (int mode : {ModeDouble, ModeFixed60, ModeLong128}) {
        // A limit of 2 gives counts 0, 1 and 2 only.
        ref::Install({"-0.5", "0", -4, 2, 64, 48, 1, 0, mode}, 1);
        ref::RunPass();
        std::set<int32_t> seen;
        for (int i = 0; i < 64 * 48; ++i) seen.insert(NAt(i % 64, i / 64));
        EXPECT_EQ(seen, (std::set<int32_t>{0, 1, 2})) << mode;
        // Known counts are copied and recoloured, not computed; three strips per tile.
        ref::Install({"-0.5", "0", -2, 300, 64, 48, 1, 0, mode}, 3);
        std::fill_n(&MaskAt(0, 7), 64, 17);
        MaskAt(5, 9) = 0;
        ref::RunPass();
        for (int col = 0; col < 64; ++col)
            ASSERT_TRUE(NAt(col, 7) == 17 && ScreenImage[col + 64 * 7] == ref::Colour(17) &&
                        ProgressImage[col + 64 * 7] == 0x00FF00u);
        EXPECT_EQ(NAt(5, 9), 0);
        EXPECT_EQ(NAt(6, 9), ref::PixelCount(6, 9));
    }
    // 64 columns in 32 x 8 strips leave most strips without a column; 24 rows in 32 bands
    // leave some bands without a row.
    const Scene narrow{"-0.75", "0.1", 0, 300, 64, 24};
    ref::Install(narrow, 8);
    int empty = 0;
    for (int p = 0; p < TileCount; ++p)
        for (int t = 1; t <= 8; ++t) empty += Work.TileX2[t][p] < Work.TileX1[t][p];
    EXPECT_EQ(empty, 1024 * 6);
    ref::RunPass();
    ExpectReferencePicture(narrow);
}

TEST(Kernels, SlicedTilesStoreOnePixelPerSliceAndResume) {
    Scene s{"-0.75", "0.1", 0, 400, 64, 48};
    for (int mode : {ModeDouble, ModeFixed60, ModeLong128}) {
        s.ForceMode = mode;
        ref::Install(s, 2);
        Work.LivePass = true;
        // Every clock read lands two seconds later, so each read finds the deadline passed.
        HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);
        for (Work.TilePos = 0; Work.TilePos < TileCount; ++Work.TilePos) {
            const int p = Work.TilePos;
            int pending = 0;
            for (int t = 1; t <= 2; ++t)
                for (int col = Work.TileX1[t][p]; col <= Work.TileX2[t][p]; ++col)
                    for (int row = Work.TileY1[1][p]; row <= Work.TileY2[1][p]; ++row) pending += MaskAt(col, row) == -1;
            for (int left = pending; left > 0; --left) {
                PrepareSlice();
                Work.SliceCounter = 1;   // one pixel, then a clock read that ends the slice
                ComputeTile();
                ASSERT_EQ(bool(Work.SliceExpired), left > 1) << p;
            }
            ASSERT_EQ(Work.TilePos, p);
        }
        HeadlessSetTicksPerRead(0);
        ExpectReferencePicture(s);
    }
}
