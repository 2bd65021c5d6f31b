// Geometry of the previews: which old pixel each screen pixel shows, and the stepped limits.
#include <gtest/gtest.h>
#include "render/preview.h"

TEST(ZoomInPreview, DoublingAtTheCentreOf1920Columns) {
    const MagnifySpan s = MagnifySpanFor(1920, 2, 960);
    EXPECT_EQ(s.FirstSource, 480);
    EXPECT_EQ(s.FirstFill, 1);
    EXPECT_EQ(MagnifiedSource(s, 2, 0), 480);   // once
    EXPECT_EQ(MagnifiedSource(s, 2, 1), 481);   // then every column twice
    EXPECT_EQ(MagnifiedSource(s, 2, 2), 481);
    EXPECT_EQ(MagnifiedSource(s, 2, 958), 959);
    EXPECT_EQ(MagnifiedSource(s, 2, 959), 960);  // the centre column covers 959 and 960
    EXPECT_EQ(MagnifiedSource(s, 2, 960), 960);
    EXPECT_EQ(MagnifiedSource(s, 2, 961), 961);
    EXPECT_EQ(MagnifiedSource(s, 2, 1918), 1439);
    EXPECT_EQ(MagnifiedSource(s, 2, 1919), 1440);  // the far edge is cut like the near one
}

TEST(ZoomInPreview, SixteenfoldPutsThePressedPixelInTheCentre) {
    const int px = 700;
    const MagnifySpan s = MagnifySpanFor(1920, 16, px);
    EXPECT_EQ(s.FirstSource, px - 60);
    EXPECT_EQ(s.FirstFill, 8);
    EXPECT_EQ(MagnifiedSource(s, 16, 7), px - 60);
    EXPECT_EQ(MagnifiedSource(s, 16, 8), px - 59);
    EXPECT_EQ(MagnifiedSource(s, 16, 951), px - 1);
    EXPECT_EQ(MagnifiedSource(s, 16, 952), px);
    EXPECT_EQ(MagnifiedSource(s, 16, 960), px);
    EXPECT_EQ(MagnifiedSource(s, 16, 967), px);
    EXPECT_EQ(MagnifiedSource(s, 16, 968), px + 1);
    EXPECT_EQ(MagnifiedSource(s, 16, 1919), px + 60);

    const MagnifySpan rows = MagnifySpanFor(1080, 16, 500);   // 33.75 - 0.5: 33 whole, 4 of 16
    EXPECT_EQ(rows.FirstSource, 500 - 34);
    EXPECT_EQ(rows.FirstFill, 4);
    EXPECT_EQ(MagnifiedSource(rows, 16, 3 + 33 * 16), 499);
    EXPECT_EQ(MagnifiedSource(rows, 16, 4 + 33 * 16), 500);    // first row of the pressed pixel
    EXPECT_EQ(MagnifiedSource(rows, 16, 540), 500);            // the centre row
}

TEST(ZoomInPreview, WholeHalfWidthGivesAFullFirstColumn) {
    // 1366 / 4 - 0.5 = 341 exactly: no partial column, so the first one is shown in full.
    const MagnifySpan s = MagnifySpanFor(1366, 2, 683);
    EXPECT_EQ(s.FirstSource, 683 - 341);
    EXPECT_EQ(s.FirstFill, 2);
    EXPECT_EQ(MagnifiedSource(s, 2, 1), 683 - 341);
    EXPECT_EQ(MagnifiedSource(s, 2, 2), 683 - 340);
    EXPECT_EQ(MagnifiedSource(s, 2, 683), 683);
    EXPECT_EQ(MagnifiedSource(s, 2, 1365), 683 + 341);
}

TEST(ZoomInPreview, ZoomPointIsKeptOffTheEdges) {
    EXPECT_EQ(ClampZoomPoint(10, 1920, 4), 68);
    EXPECT_EQ(ClampZoomPoint(1919, 1920, 4), 1852);
    EXPECT_EQ(ClampZoomPoint(67, 1920, 4), 68);
    EXPECT_EQ(ClampZoomPoint(68, 1920, 4), 68);
    EXPECT_EQ(ClampZoomPoint(69, 1920, 4), 69);
    EXPECT_EQ(ClampZoomPoint(1852, 1920, 4), 1852);
    EXPECT_EQ(ClampZoomPoint(0, 1080, 4), 41);      // (1080 >> 5) + 8
    EXPECT_EQ(ClampZoomPoint(0, 1920, 1), 488);     // a twofold zoom needs a quarter of the width
    EXPECT_EQ(ClampZoomPoint(5000, 1920, 3), 1920 - 128);
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
    int f = 0, s = 0;
    ZoomStepNearLimit(108, &f, &s);
    EXPECT_EQ(f, 16); EXPECT_EQ(s, 4);
    ZoomStepNearLimit(109, &f, &s);
    EXPECT_EQ(f, 8); EXPECT_EQ(s, 3);
    ZoomStepNearLimit(110, &f, &s);
    EXPECT_EQ(f, 4); EXPECT_EQ(s, 2);
    ZoomStepNearLimit(111, &f, &s);
    EXPECT_EQ(f, 2); EXPECT_EQ(s, 1);
    ZoomStepNearLimit(-4, &f, &s);
    EXPECT_EQ(f, 16); EXPECT_EQ(s, 4);
}

TEST(ZoomOutPreview, QuarterCornerRoundsToEven) {
    EXPECT_EQ(QuarterCorner(1920), 480);   // halved picture in columns 480 .. 1439
    EXPECT_EQ(QuarterCorner(1080), 270);   // rows 270 .. 809
    EXPECT_EQ(QuarterCorner(1366), 342);   // 341.5 goes to the even neighbour
    EXPECT_EQ(QuarterCorner(1362), 340);   // 340.5 likewise
    EXPECT_EQ(QuarterCorner(1041), 260);
}

TEST(PanPreview, OverlapForEveryDragDirection) {
    PanOverlap o = OverlapFor(100, 0, 1920, 1080);   // content moves right
    EXPECT_EQ(o.OverlapW, 1820); EXPECT_EQ(o.OverlapH, 1080);
    EXPECT_EQ(o.OverlapX, 100);  EXPECT_EQ(o.OverlapY, 0);
    EXPECT_EQ(o.SourceX, 0);     EXPECT_EQ(o.SourceY, 0);

    o = OverlapFor(-100, 0, 1920, 1080);             // left
    EXPECT_EQ(o.OverlapW, 1820);
    EXPECT_EQ(o.OverlapX, 0); EXPECT_EQ(o.SourceX, 100);

    o = OverlapFor(0, 30, 1920, 1080);               // down
    EXPECT_EQ(o.OverlapW, 1920); EXPECT_EQ(o.OverlapH, 1050);
    EXPECT_EQ(o.OverlapY, 30);   EXPECT_EQ(o.SourceY, 0);

    o = OverlapFor(0, -30, 1920, 1080);              // up
    EXPECT_EQ(o.OverlapH, 1050);
    EXPECT_EQ(o.OverlapY, 0); EXPECT_EQ(o.SourceY, 30);

    o = OverlapFor(-1919, 1079, 1920, 1080);         // the largest shift leaves one pixel
    EXPECT_EQ(o.OverlapW, 1); EXPECT_EQ(o.OverlapH, 1);
    EXPECT_EQ(o.OverlapX, 0); EXPECT_EQ(o.SourceX, 1919);
    EXPECT_EQ(o.OverlapY, 1079); EXPECT_EQ(o.SourceY, 0);
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
    EXPECT_EQ(RaisedIteration(256), 384);
    EXPECT_EQ(RaisedIteration(3), 4);            // 4.5 goes to the even neighbour
    EXPECT_EQ(RaisedIteration(5), 8);            // 7.5 likewise
    EXPECT_EQ(RaisedIteration(9999998), 9999999);
    EXPECT_EQ(RaisedIteration(6666667), 9999999);  // 10,000,000.5 capped
    EXPECT_EQ(LoweredIteration(256), 171);
    EXPECT_EQ(LoweredIteration(3), 2);
    EXPECT_EQ(LoweredIteration(4), 3);
    EXPECT_EQ(LoweredIteration(2), 2);
    EXPECT_EQ(LoweredIteration(9999999), 6666666);
}
