// Every command's passes end in the picture a full computation of the new view gives: exactly
// without the interior shortcut, and with it apart from skipped pixels left black.
#include <gtest/gtest.h>
#include "engine/centre.h"
#include "render/input.h"
#include "tests/preview_util.h"

constexpr int W = 320, H = 200;

// The start view computed in full: the old picture of every command below.
static void StartPicture(uint8_t automatic) {
    StartEngine(W, H);
    UseStartView(automatic);
    ComputeFullPicture();
}

static int CountDifferences(const std::vector<int32_t>& got, const std::vector<int32_t>& want,
                            bool allowBlack) {
    int bad = 0;
    for (size_t i = 0; i < got.size(); i++)
        if (got[i] != want[i] && !(allowBlack && got[i] == 0)) bad++;
    return bad;
}

static void ExpectFullPicture(bool shortcut) {
    const std::vector<int32_t> got = PictureCounts();
    const std::vector<int32_t> want = FullCountsOfThisView();
    EXPECT_EQ(CountDifferences(got, want, shortcut), 0);
    if (!shortcut) return;
    // Whatever the shortcut skipped is black, never a wrong colour.
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++)
            ASSERT_EQ(ScreenImage[r * W + c], CountColour(got[r * W + c])) << c << "," << r;
}

TEST(PreviewPasses, ZoomInAtPointMovesTheCentreToThePressedPixel) {
    StartPicture(0);
    const long128 originX = Calc.Origin_zX, originY = Calc.Origin_zY;
    const double step = Calc.PixelStep;
    Input.PressX = 100;
    Input.PressY = 3;   // clamped to (200 >> 5) + 8 = 14
    PrepareZoomIn(16, 4);
    EXPECT_EQ(View.ld_Zoom, 4);
    EXPECT_EQ(View.Center_zX, Add128(originX, ToLong128(100 * step)));
    EXPECT_EQ(View.Center_zY, Add128(originY, ToLong128(14 * step)));
    RunPasses();
    ExpectFullPicture(false);
}

TEST(PreviewPasses, ZoomInAtPointNearTheDeepestZoomTakesSmallerSteps) {
    StartEngine(W, H);
    UseStartView(0);
    View.Center_zX = ToLong128(0.3);
    View.Center_zY = ToLong128(-0.75);
    View.ld_Zoom = 110;
    SetupCalculation();
    Input.PressX = W / 2;
    Input.PressY = H / 2;
    PrepareZoomIn(16, 4);
    EXPECT_EQ(View.ld_Zoom, 112);
    EXPECT_EQ(Calc.NumberMode, ModeLong128);
}

TEST(PreviewPasses, ZoomInPreviewMagnifiesTheOldCounts) {
    StartPicture(0);
    const std::vector<int32_t> old = PictureCounts();
    PrepareZoomIn(2, 1);
    // Without an automatic limit the preview keeps the old counts unshifted.
    const MagnifySpan cols = MagnifySpanFor(W, 2, W / 2), rows = MagnifySpanFor(H, 2, H / 2);
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            const int32_t v = old[MagnifiedSource(rows, 2, r) * W + MagnifiedSource(cols, 2, c)];
            ASSERT_EQ(NAt(c, r), v) << c << "," << r;
            ASSERT_EQ(ScreenImage[r * W + c], CountColour(v));
        }
}

TEST(PreviewPasses, ZoomOutPutsTheHalvedPictureInTheCentralQuarter) {
    StartPicture(0);
    const std::vector<int32_t> old = PictureCounts();
    PrepareZoomOut();
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            int32_t want = (r % 16 == 0 && c % 16 == 0) ? -1 : 0;
            const int qr = r - 50, qc = c - 80;   // the quarter starts at (80, 50)
            if (qr >= 0 && qr < H / 2 && qc >= 0 && qc < W / 2) want = old[2 * qr * W + 2 * qc];
            ASSERT_EQ(MaskAt(c, r), want) << c << "," << r;
        }
    // After the grid pass the preview shows grid blocks round the halved old picture.
    RunTiles();
    Cycle.RecomputeAll = 1;
    ZoomOutTakeOver();
    EXPECT_EQ(NAt(80, 50), old[0]);
    EXPECT_EQ(NAt(239, 149), old[198 * W + 318]);
    EXPECT_EQ(NAt(79, 50), NAt(80, 48));   // left of the quarter: grid point (80, 48) nearest
    EXPECT_EQ(NAt(7, 7), NAt(0, 0));
    EXPECT_EQ(NAt(319, 199), NAt(304, 192));
}

TEST(PreviewPasses, IterationUpTakesOverEveryEscapingPixel) {
    StartPicture(1);
    const std::vector<int32_t> old = PictureCounts();
    PrepareIterationUp();
    EXPECT_EQ(View.Iteration, 384);
    EXPECT_EQ(View.Alt_Iteration, 0);
    EXPECT_EQ(Cycle.PassState, 3);
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            const int32_t v = old[r * W + c];
            const int32_t want = v != 0 ? v + 128 : (r % 16 == 0 && c % 16 == 0) ? -1 : 0;
            ASSERT_EQ(MaskAt(c, r), want) << c << "," << r;
        }
    RunPasses();
    ExpectFullPicture(true);
}

TEST(PreviewPasses, LowerIterationShiftsCountsAndKeepsColours) {
    StartPicture(0);
    const std::vector<int32_t> old = PictureCounts();
    const std::vector<uint32_t> before(ScreenImage, ScreenImage + W * H);
    LowerIteration();
    EXPECT_EQ(View.Iteration, 171);
    RecolourCounts();
    SetupCalculation();
    const std::vector<int32_t> want = FullCountsOfThisView();
    EXPECT_EQ(CountDifferences(PictureCounts(), want, false), 0);
    int kept = 0;
    for (int i = 0; i < W * H; i++)
        if (old[i] > 256 - 171) {   // escaped within the new limit
            ASSERT_EQ(ScreenImage[i], before[i]) << i;
            kept++;
        } else {
            ASSERT_EQ(NAt(i % W, i / W), 0) << i;
        }
    EXPECT_GT(kept, 0);
}

// A pan keeps the overlap's old counts and computes only the uncovered band.
static void CheckPan(int dx, int dy, uint8_t automatic) {
    StartPicture(automatic);
    const std::vector<int32_t> old = PictureCounts();
    const long128 centreX = View.Center_zX, centreY = View.Center_zY;
    Input.DragDX = dx;
    Input.DragDY = dy;
    PreparePan();
    EXPECT_EQ(View.Center_zX, Sub128(centreX, ToLong128(dx * Calc.PixelStep)));
    EXPECT_EQ(View.Center_zY, Sub128(centreY, ToLong128(dy * Calc.PixelStep)));
    RunPasses();
    const std::vector<int32_t> got = PictureCounts();
    const std::vector<int32_t> want = FullCountsOfThisView();
    const PanOverlap o = Preview.Overlap;
    int bad = 0;
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            const int i = r * W + c;
            const bool overlap = c >= o.OverlapX && c < o.OverlapX + o.OverlapW &&
                                 r >= o.OverlapY && r < o.OverlapY + o.OverlapH;
            if (overlap) {
                ASSERT_EQ(got[i], old[(r - dy) * W + (c - dx)]) << c << "," << r;
            } else if (got[i] != want[i] && !(automatic && got[i] == 0)) {
                bad++;
            }
            ASSERT_EQ(ScreenImage[i], CountColour(got[i]));
        }
    EXPECT_EQ(bad, 0) << dx << "," << dy;
}

TEST(PreviewPasses, PanRightWithoutShortcut) { CheckPan(100, 0, 0); }
TEST(PreviewPasses, PanLeftUpWithoutShortcut) { CheckPan(-37, -21, 0); }
TEST(PreviewPasses, PanDownLeftWithShortcut) { CheckPan(-90, 60, 1); }
TEST(PreviewPasses, PanUpRightWithShortcut) { CheckPan(150, -99, 1); }

TEST(PreviewPasses, PanCountsInsidePixelsOfTheOverlap) {
    StartPicture(1);
    Input.DragDX = 100;
    Input.DragDY = 0;
    uint32_t inside = 0;
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W - 100; c++) inside += NAt(c, r) == 0;
    PreparePan();
    EXPECT_EQ(Preview.OverlapInsideCount, inside);
    EXPECT_EQ(Cycle.PassState, 4);
    // Grid points of the band are computed; the rest of the band waits for the main pass.
    EXPECT_EQ(MaskAt(0, 0), -1);
    EXPECT_EQ(MaskAt(1, 0), 0);
    EXPECT_EQ(MaskAt(96, 16), -1);
    RunTiles();
    PanTakeOver();
    for (int r = 0; r < H; r++) {
        ASSERT_EQ(SettledFlags[MaskIndex(99, r)], 0);
        ASSERT_EQ(SettledFlags[MaskIndex(100, r)], 1);
        ASSERT_EQ(MaskAt(100, r), NAt(100, r));
    }
}

// The oracle of the centre's moves: a coordinate as its bits, most significant first (bit i
// weighs 2^(7 - i)), added to one bit at a time by long hand.
using OracleBits = std::vector<int>;
static OracleBits BitsOf(const CentreCoord& c) {
    OracleBits b(64 * CentreWords);
    for (size_t i = 0; i < b.size(); i++) b[i] = int(c.W[i / 64] >> (63 - i % 64)) & 1;
    return b;
}
static void AddToBits(OracleBits& b, int64_t k, int fractionBit) {   // b + k 2^-fractionBit
    const int sign = k < 0 ? -1 : 1;
    uint64_t m = k < 0 ? 0 - uint64_t(k) : uint64_t(k);
    for (int at = 7 + fractionBit; m; m >>= 1, at--)
        for (int i = at; (m & 1) && i >= 0; i--) {   // the bit, then its carry or borrow
            b[i] += sign;
            if (b[i] == 0 || b[i] == 1) break;
            b[i] &= 1;
        }
}

// Past the exact formats a pan moves the centre by whole pixels and a zoom at a point onto the
// pressed pixel, every bit of it; at the edge of the range the centre stops and the pan with it.
TEST(PreviewPasses, DeepPansAndZoomsMoveEveryBitOfTheCentre) {
    StartEngine(W, H);
    Deep.On = true;
    enum Op { Pan, ZoomAt, Edge };
    const struct { Op op; int32_t zoom, x, y, newZoom; } rows[] = {
        {Pan, 112, 37, -15, 112},       {Pan, 113, -319, 199, 113},    {Pan, 1000, 1, 0, 1000},
        {Pan, MaxDeepZoom, -5, 77, MaxDeepZoom},  {ZoomAt, 112, 100, 60, 116},  {ZoomAt, 113, 300, 20, 117},
        {ZoomAt, 4321, 19, 150, 4325}, {ZoomAt, MaxDeepZoom - 2, 200, 100, MaxDeepZoom},
        {Edge, 113, -50, 0, 113},       {Edge, 9000, -1, 0, 9000},
    };
    for (const auto& r : rows) {
        UseStartView(0);
        CentreCoord x, y;
        ASSERT_TRUE(DecimalToCentre("0.13182590420531197049576540161124701236476392648716294732190", &x));
        ASSERT_TRUE(DecimalToCentre("-0.7436438870371587047521998713862847582916476380923657110", &y));
        for (int i = 2; i < CentreWords; i += 3) x.W[i] = y.W[i] = 0x9E3779B97F4A7C15ull * uint64_t(i);
        if (r.op == Edge) {   // the highest coordinate, beyond the limit
            for (uint64_t& w : x.W) w = ~uint64_t(0);
            x.W[0] >>= 1;
        }
        SetCentre(View, AxisX, x);
        SetCentre(View, AxisY, y);
        View.ld_Zoom = r.zoom;
        SetupCalculation();
        OracleBits wantX = BitsOf(x), wantY = BitsOf(y);
        if (r.op == Pan) {
            Input.DragDX = r.x, Input.DragDY = r.y;
            PreparePan();
            AddToBits(wantX, -r.x, 8 + r.zoom);
            AddToBits(wantY, -r.y, 8 + r.zoom);
        } else if (r.op == ZoomAt) {
            Input.PressX = uint32_t(r.x), Input.PressY = uint32_t(r.y);
            PrepareZoomIn(16, 4);
            AddToBits(wantX, r.x - W / 2, 8 + r.zoom);
            AddToBits(wantY, r.y - H / 2, 8 + r.zoom);
        } else {
            wantX = BitsOf(CentreCoord{{uint64_t(1) << 63}});   // -128, then half the picture in
            AddToBits(wantX, W / 2, 8 + r.zoom);
            for (int& b : wantX) b ^= 1;                        // and negated: 128 - W/2 pixels
            AddToBits(wantX, 1, CentreFractionBits);
            Input.DragDX = r.x;
            KeepPanInRange();
            EXPECT_EQ(Input.DragDX, 0) << r.zoom;   // the centre may not go further out
        }
        EXPECT_EQ(View.ld_Zoom, r.newZoom);
        EXPECT_TRUE(BitsOf(CentreOf(View, AxisX)) == wantX) << r.op << " at " << r.zoom;
        EXPECT_TRUE(BitsOf(CentreOf(View, AxisY)) == wantY) << r.op << " at " << r.zoom;
    }
}
