// Drawing on the headless canvas: COLORREF brushes against 0x00RRGGBB pixels, exclusive
// rectangle edges, clipping, and the bottom-up source row of the image copy.
#include <gtest/gtest.h>
#include <vector>
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

TEST(Canvas, WholeImageCopiesWithSourceOriginZero) {
    OpenWindow(16, 12);
    std::vector<uint32_t> img = PositionImage(16, 12);
    PlatSetDIBitsToDevice(0, 0, 16, 12, 0, 0, img.data(), 16, 12);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 16; x++) ASSERT_EQ(HeadlessPixel(x, y), img[(size_t)y * 16 + x]);
}

TEST(Canvas, SourceRowIsCountedFromTheBottomEdge) {
    OpenWindow(16, 12);
    std::vector<uint32_t> img = PositionImage(16, 12);
    // A 4 x 3 tile whose top row is image row 5: ySrc = 12 - 5 - 3 = 4.
    PlatSetDIBitsToDevice(2, 1, 4, 3, 7, 4, img.data(), 16, 12);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 16; x++) {
            bool in = x >= 2 && x < 6 && y >= 1 && y < 4;
            uint32_t want = in ? 0x800000u | (uint32_t)((y - 1 + 5) << 8) | (uint32_t)(x - 2 + 7) : 0u;
            ASSERT_EQ(HeadlessPixel(x, y), want) << x << "," << y;
        }
}

TEST(Canvas, CopyClipsToTheImage) {
    OpenWindow(16, 12);
    std::vector<uint32_t> img = PositionImage(8, 6);
    // Source 6 x 4 from column -2 and top row 6 - 1 - 4 = 1: the two missing columns on
    // the left and nothing below row 5 keep the window as it was.
    PlatSetDIBitsToDevice(3, 3, 6, 4, -2, 1, img.data(), 8, 6);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 16; x++) {
            bool in = x >= 5 && x < 9 && y >= 3 && y < 7;
            uint32_t want = in ? 0x800000u | (uint32_t)((y - 3 + 1) << 8) | (uint32_t)(x - 3 - 2) : 0u;
            ASSERT_EQ(HeadlessPixel(x, y), want) << x << "," << y;
        }
    // A source above the image's top edge (ySrc too large) copies only the rows that exist.
    OpenWindow(16, 12);
    PlatSetDIBitsToDevice(0, 0, 8, 4, 0, 4, img.data(), 8, 6);   // top row 6 - 4 - 4 = -2
    EXPECT_EQ(HeadlessPixel(0, 1), 0u);
    EXPECT_EQ(HeadlessPixel(0, 2), 0x800000u);
    EXPECT_EQ(HeadlessPixel(7, 3), 0x800000u | (1u << 8) | 7u);
    EXPECT_EQ(HeadlessPixel(0, 4), 0u);
}

TEST(Canvas, CopyClipsToTheWindow) {
    OpenWindow(10, 8);
    std::vector<uint32_t> img = PositionImage(20, 20);
    PlatSetDIBitsToDevice(-3, 6, 20, 20, 0, 0, img.data(), 20, 20);
    // Window (0, 6) shows image column 3, row 0; only two window rows remain.
    EXPECT_EQ(HeadlessPixel(0, 6), 0x800000u | 3u);
    EXPECT_EQ(HeadlessPixel(9, 7), 0x800000u | (1u << 8) | 12u);
    EXPECT_EQ(HeadlessPixel(0, 5), 0u);
    PlatSetDIBitsToDevice(10, 0, 5, 5, 0, 0, img.data(), 20, 20);    // wholly outside
    PlatSetDIBitsToDevice(0, 0, 5, 5, 20, 0, img.data(), 20, 20);    // source wholly outside
    PlatSetDIBitsToDevice(0, 0, 5, 5, 0x7FFFFFFF, -0x7FFFFFFF, img.data(), 20, 20);
    EXPECT_EQ(HeadlessPixel(0, 0), 0u);
}
