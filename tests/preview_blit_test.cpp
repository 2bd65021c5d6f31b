// What reaches the window: picture rectangles in place, and the shifted pan preview with its
// dark bands and centre cross.
#include <gtest/gtest.h>
#include "engine/state.h"
#include "platform/headless/headless.h"
#include "render/input.h"
#include "render/paint.h"
#include "render/preview.h"
#include "tests/headless_window.h"
#include "ui/text.h"

constexpr int W = 320, H = 200;
constexpr uint32_t Marker = 0x345634;   // canvas colour before a blit, the same in RGB and BGR order


// A window of W x H whose canvas holds the marker, and a picture with a distinct value per pixel.
static void OpenWindow() {
    OpenQuietWindow(W, H);
    Calc.WindowWidth = W;
    Calc.WindowHeight = H;
    PlatFillRect(0, 0, W, H, Marker);
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            ScreenImage[r * W + c] = uint32_t(r << 12 | c);
            ProgressImage[r * W + c] = uint32_t(0x800000 | r << 12 | c);
        }
    CreatePaintResources();
}

static bool Inside(int c, int r, int x, int y, int w, int h) {
    return c >= x && c < x + w && r >= y && r < y + h;
}

static void ExpectRectBlitted(const uint32_t* image, int x, int y, int w, int h) {
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            const uint32_t want = Inside(c, r, x, y, w, h) ? image[r * W + c] : Marker;
            ASSERT_EQ(HeadlessPixel(c, r), want) << c << "," << r;
        }
}

TEST(PictureBlit, RectangleLandsWhereItIsInThePicture) {
    OpenWindow();
    BlitRect(ScreenImage, 10, 20, 30, 40);
    ExpectRectBlitted(ScreenImage, 10, 20, 30, 40);
}

TEST(PictureBlit, ProgressTileInTheBottomRightCorner) {
    OpenWindow();
    BlitRect(ProgressImage, W - 10, H - 7, 10, 7);
    ExpectRectBlitted(ProgressImage, W - 10, H - 7, 10, 7);
}

TEST(PictureBlit, TopRowsAndWholePicture) {
    OpenWindow();
    BlitRect(ScreenImage, 0, 0, W, 1);
    ExpectRectBlitted(ScreenImage, 0, 0, W, 1);
    BlitAll();
    ExpectRectBlitted(ScreenImage, 0, 0, W, H);
}

TEST(PaintResources, BrushColoursAndRelease) {
    OpenWindow();
    EXPECT_EQ(Brushes.RedBrush, 0x0000FFu);
    EXPECT_EQ(Brushes.GreenBrush, 0x00A000u);
    EXPECT_EQ(Brushes.DarkBrush, 0x202020u);
    EXPECT_EQ(Brushes.DimBrush, 0x404040u);
    EXPECT_EQ(Brushes.GreyBrush, 0x808080u);
    ReleasePaintResources();
    EXPECT_EQ(Brushes.RedBrush, 0u);
    EXPECT_EQ(Brushes.GreyBrush, 0u);
}

// The canvas after a pan preview: old pixel (c - dx, r - dy) where it is still visible, dark
// where nothing is known, and the grey cross over everything.
static void CheckPanPreview(int dx, int dy) {
    OpenWindow();
    Input.DragDX = dx;
    Input.DragDY = dy;
    DrawPanPreview();
    const int cx = W / 2, cy = H / 2;
    for (int r = 0; r < H; r++)
        for (int c = 0; c < W; c++) {
            const bool cross = (r == cy && c >= cx - 63 && c < cx + 63) ||
                               (c == cx && r >= cy - 63 && r < cy + 63);
            const int sc = c - dx, sr = r - dy;
            uint32_t want = 0x202020;
            if (cross) want = 0x808080;
            else if (sc >= 0 && sc < W && sr >= 0 && sr < H) want = ScreenImage[sr * W + sc];
            ASSERT_EQ(HeadlessPixel(c, r), want) << dx << "," << dy << " at " << c << "," << r;
        }
    const PanOverlap o = Preview.Overlap;
    EXPECT_EQ(o.OverlapW, W - std::abs(dx));
    EXPECT_EQ(o.OverlapH, H - std::abs(dy));
}

TEST(PanPreview, ShiftRightAndDown) { CheckPanPreview(40, 25); }
TEST(PanPreview, ShiftLeftAndUp) { CheckPanPreview(-70, -3); }
TEST(PanPreview, ShiftRightAndUp) { CheckPanPreview(1, -150); }
TEST(PanPreview, ShiftLeftAndDown) { CheckPanPreview(-319, 199); }
TEST(PanPreview, NoShiftShowsThePictureWithTheCross) { CheckPanPreview(0, 0); }
