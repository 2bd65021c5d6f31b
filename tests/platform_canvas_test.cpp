// Drawing on the headless canvas: COLORREF brushes against 0x00RRGGBB pixels, exclusive
// rectangle edges, clipping, and the bottom-up source row of the image copy.
#include <gtest/gtest.h>
#include <vector>
#include "platform/common/canvas.h"
#include "platform/headless/headless.h"
#include "tests/headless_window.h"

namespace {
void OpenWindow(int w, int h) { OpenQuietWindow(w, h); }

// An image whose every pixel names its own position: 0x00RRGGBB with x in the low byte
// and y in the green byte.
std::vector<uint32_t> PositionImage(int w, int h) {
    std::vector<uint32_t> img((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) img[(size_t)y * w + x] = 0x800000u | (uint32_t)(y << 8) | (uint32_t)x;
    return img;
}
}  // namespace

TEST(Canvas, BrushesAreBgrPixelsAreRgbAndReadsGiveBgrBack) {
    OpenWindow(8, 8);
    PlatFillRect(0, 0, 1, 1, 0x0000FF);          // a red brush
    EXPECT_EQ(HeadlessPixel(0, 0), 0xFF0000u);
    EXPECT_EQ(PlatGetPixel(0, 0), 0x0000FFu);
    PlatSetPixel(1, 0, 0x00A000);                // green is in the middle either way
    EXPECT_EQ(HeadlessPixel(1, 0), 0x00A000u);
    PlatSetPixel(2, 0, 0x123456);
    EXPECT_EQ(HeadlessPixel(2, 0), 0x563412u);
    EXPECT_EQ(PlatGetPixel(2, 0), 0x123456u);
    EXPECT_EQ(PlatGetPixel(-1, 0), CLR_INVALID);
    EXPECT_EQ(PlatGetPixel(8, 0), CLR_INVALID);
    EXPECT_EQ(PlatGetPixel(0, 8), CLR_INVALID);
    PlatSetPixel(8, 8, 0xFFFFFF);                // outside: ignored, not wrapped
    PlatSetPixel(-1, 1, 0xFFFFFF);
    EXPECT_EQ(HeadlessPixel(7, 0), 0u);
    EXPECT_EQ(HeadlessPixel(7, 7), 0u);
}

TEST(Canvas, FillExcludesRightAndBottomAndClipsToTheWindow) {
    OpenWindow(6, 5);
    PlatFillRect(1, 1, 3, 4, 0x808080);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 6; x++)
            EXPECT_EQ(HeadlessPixel(x, y), (x >= 1 && x < 3 && y >= 1 && y < 4) ? 0x808080u : 0u) << x << "," << y;
    PlatFillRect(-100, -100, 100, 100, 0x202020);
    EXPECT_EQ(HeadlessPixel(0, 0), 0x202020u);
    EXPECT_EQ(HeadlessPixel(5, 4), 0x202020u);
    PlatFillRect(4, 4, 2, 2, 0xFFFFFF);          // reversed edges fill nothing
    EXPECT_EQ(HeadlessPixel(3, 3), 0x202020u);
}

// Window pixel (x, y) inside the copy shows image column xSrc + x - xDest and row
// imageH - ySrc - h + y - yDest, counted from the top, where the image has one; the rest of
// the window stays as it was.
TEST(Canvas, CopyCountsSourceRowsFromTheBottomAndClipsToImageAndWindow) {
    const struct { int WinW, WinH, XDest, YDest, W, H, XSrc, YSrc, ImgW, ImgH; } copies[] = {
        {16, 12, 0, 0, 16, 12, 0, 0, 16, 12},                  // the whole image
        {16, 12, 2, 1, 4, 3, 7, 4, 16, 12},                    // a tile whose top row is image row 5
        {16, 12, 3, 3, 6, 4, -2, 1, 8, 6},                     // from column -2: two columns missing
        {16, 12, 0, 0, 8, 4, 0, 4, 8, 6},                      // top row -2: only the rows that exist
        {10, 8, -3, 6, 20, 20, 0, 0, 20, 20},                  // beyond the window left and below
        {10, 8, 10, 0, 5, 5, 0, 0, 20, 20},                    // wholly outside the window
        {10, 8, 0, 0, 5, 5, 20, 0, 20, 20},                    // source wholly outside
        {10, 8, 0, 0, 5, 5, 0x7FFFFFFF, -0x7FFFFFFF, 20, 20},
    };
    for (const auto& c : copies) {
        OpenWindow(c.WinW, c.WinH);
        const std::vector<uint32_t> img = PositionImage(c.ImgW, c.ImgH);
        PlatSetDIBitsToDevice(c.XDest, c.YDest, c.W, c.H, c.XSrc, c.YSrc, img.data(), c.ImgW, c.ImgH);
        for (int y = 0; y < c.WinH; y++)
            for (int x = 0; x < c.WinW; x++) {
                const int64_t ix = int64_t(c.XSrc) + x - c.XDest, iy = int64_t(c.ImgH) - c.YSrc - c.H + y - c.YDest;
                const bool in = x >= c.XDest && x < c.XDest + c.W && y >= c.YDest && y < c.YDest + c.H && ix >= 0 &&
                                ix < c.ImgW && iy >= 0 && iy < c.ImgH;
                ASSERT_EQ(HeadlessPixel(x, y), in ? img[size_t(iy * c.ImgW + ix)] : 0u)
                    << x << "," << y << " copying from " << c.XSrc << "," << c.YSrc;
            }
    }
}

// What changed since the screen last showed the canvas: the union of all drawing, taken once.
TEST(Canvas, DrawingMarksTheUnionOfItsRectanglesUntilTaken) {
    OpenWindow(16, 12);
    int l, t, r, b;
    CanvasTakeDirty(&l, &t, &r, &b);
    PlatFillRect(5, 6, 7, 8, 0x808080);
    PlatSetPixel(2, 9, 0xFFFFFF);
    PlatFillRect(9, 1, 10, 2, 0x808080);
    ASSERT_TRUE(CanvasTakeDirty(&l, &t, &r, &b));
    EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({2, 1, 10, 10}));
    EXPECT_FALSE(CanvasTakeDirty(&l, &t, &r, &b));
}
