// Geometry of the previews: which old pixel each screen pixel shows, and the stepped limits.
#include <gtest/gtest.h>
#include <utility>
#include <vector>
#include "render/preview.h"

// Each span with the old pixel shown at chosen screen positions.
TEST(ZoomInPreview, EachScreenPixelShowsTheRightOldOne) {
    const struct {
        int32_t Size, Factor, Centre, FirstSource, FirstFill;
        std::vector<std::pair<int32_t, int32_t>> Shown;   // screen position, old pixel
    } spans[] = {
        // Doubling 1920 columns: the first once, then each twice, the centre covering 959 and
        // 960, the far edge cut like the near one.
        {1920, 2, 960, 480, 1, {{0, 480}, {1, 481}, {2, 481}, {958, 959}, {959, 960}, {960, 960}, {961, 961},
                                {1918, 1439}, {1919, 1440}}},
        // Sixteenfold puts the pressed pixel in the centre.
        {1920, 16, 700, 640, 8, {{7, 640}, {8, 641}, {951, 699}, {952, 700}, {967, 700}, {968, 701}, {1919, 760}}},
        {1080, 16, 500, 466, 4, {{3 + 33 * 16, 499}, {4 + 33 * 16, 500}, {540, 500}}},   // 33.75 - 0.5
        // 1366 / 4 - 0.5 = 341 exactly: no partial column, so the first is shown in full.
        {1366, 2, 683, 342, 2, {{1, 342}, {2, 343}, {683, 683}, {1365, 1024}}},
    };
    for (const auto& c : spans) {
        const MagnifySpan s = MagnifySpanFor(c.Size, c.Factor, c.Centre);
        EXPECT_EQ(std::pair(s.FirstSource, s.FirstFill), std::pair(c.FirstSource, c.FirstFill)) << c.Size;
        for (auto [screen, old] : c.Shown) EXPECT_EQ(MagnifiedSource(s, c.Factor, screen), old) << c.Size << " " << screen;
    }
}

TEST(ZoomInPreview, ZoomPointIsKeptOffTheEdges) {
    // press, size, steps, kept; (1080 >> 5) + 8 = 41; a twofold zoom needs a quarter of the width
    const int32_t points[][4] = {{10, 1920, 4, 68},  {1919, 1920, 4, 1852}, {67, 1920, 4, 68},
                                 {68, 1920, 4, 68},  {69, 1920, 4, 69},     {1852, 1920, 4, 1852},
                                 {0, 1080, 4, 41},   {0, 1920, 1, 488},     {5000, 1920, 3, 1920 - 128}};
    for (const auto& p : points) EXPECT_EQ(ClampZoomPoint(p[0], p[1], p[2]), p[3]) << p[0] << " " << p[1];
    // With the clamped point the magnified preview never reads outside the old picture.
    for (int steps = 1; steps <= 4; steps++) {
        const int factor = 1 << steps;
        for (int size : {640, 1000, 1041, 1080, 1366, 1920}) {
            for (int press : {0, size / 2, size - 1}) {
                const int p = ClampZoomPoint(press, size, steps);
                const MagnifySpan s = MagnifySpanFor(size, factor, p);
                EXPECT_GE(MagnifiedSource(s, factor, 0), 0) << size << " " << factor;
                EXPECT_LT(MagnifiedSource(s, factor, size - 1), size) << size << " " << factor;
            }
        }
    }
}

TEST(ZoomInPreview, StepShrinksNearTheDeepestZoom) {
    const int32_t steps[][3] = {{108, 16, 4}, {109, 8, 3}, {110, 4, 2}, {111, 2, 1}, {-4, 16, 4}};
    for (const auto& z : steps) {
        int32_t f = 0, s = 0;
        ZoomStepNearLimit(z[0], &f, &s);
        EXPECT_EQ(std::pair(f, s), std::pair(z[1], z[2])) << z[0];
    }
}

TEST(ZoomOutPreview, QuarterCornerRoundsToEven) {
    EXPECT_EQ(QuarterCorner(1920), 480);   // halved picture in columns 480 .. 1439
    EXPECT_EQ(QuarterCorner(1080), 270);   // rows 270 .. 809
    EXPECT_EQ(QuarterCorner(1366), 342);   // 341.5 goes to the even neighbour
    EXPECT_EQ(QuarterCorner(1362), 340);   // 340.5 likewise
    EXPECT_EQ(QuarterCorner(1041), 260);
}

TEST(PanPreview, OverlapForEveryDragDirection) {
    // drag x and y, then overlap width, height, x, y and source x, y
    const int32_t drags[][8] = {
        {100, 0, 1820, 1080, 100, 0, 0, 0},      // content moves right
        {-100, 0, 1820, 1080, 0, 0, 100, 0},     // left
        {0, 30, 1920, 1050, 0, 30, 0, 0},        // down
        {0, -30, 1920, 1050, 0, 0, 0, 30},       // up
        {-1919, 1079, 1, 1, 0, 1079, 1919, 0},   // the largest shift leaves one pixel
    };
    for (const auto& d : drags) {
        const PanOverlap o = OverlapFor(d[0], d[1], 1920, 1080);
        EXPECT_EQ((std::vector<int32_t>{o.OverlapW, o.OverlapH, o.OverlapX, o.OverlapY, o.SourceX, o.SourceY}),
                  std::vector<int32_t>(d + 2, d + 8)) << d[0] << " " << d[1];
    }
}

TEST(BlockyPreview, NearestGridLineStaysInsideThePicture) {
    for (int r = 0; r <= 7; r++) EXPECT_EQ(BlockyGridLine(r, 1080), 0) << r;
    for (int r = 8; r <= 23; r++) EXPECT_EQ(BlockyGridLine(r, 1080), 16) << r;
    EXPECT_EQ(BlockyGridLine(24, 1080), 32);
    EXPECT_EQ(BlockyGridLine(1063, 1080), 1056);
    EXPECT_EQ(BlockyGridLine(1064, 1080), 1072);
    EXPECT_EQ(BlockyGridLine(1079, 1080), 1072);
    // 1088 is beyond a 1085-row picture, so its last rows keep grid row 1072.
    EXPECT_EQ(BlockyGridLine(1079, 1085), 1072);
    EXPECT_EQ(BlockyGridLine(1084, 1085), 1072);
    // ... but a 1089-row picture has grid row 1088.
    EXPECT_EQ(BlockyGridLine(1080, 1089), 1088);
    EXPECT_EQ(BlockyGridLine(1919, 1920), 1904);
}

TEST(IterationLimit, RaisedAndLoweredInSinglePrecision) {
    // 4.5 and 7.5 go to the even neighbour; 10,000,000.5 is capped
    const int32_t raised[][2] = {{256, 384}, {3, 4}, {5, 8}, {9999998, 9999999}, {6666667, 9999999}};
    for (const auto& r : raised) EXPECT_EQ(RaisedIteration(r[0]), r[1]) << r[0];
    const int32_t lowered[][2] = {{256, 171}, {3, 2}, {4, 3}, {2, 2}, {9999999, 6666666}};
    for (const auto& l : lowered) EXPECT_EQ(LoweredIteration(l[0]), l[1]) << l[0];
}
