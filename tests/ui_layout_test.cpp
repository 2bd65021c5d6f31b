// The legend areas from the window size, the exit label, and the drawing of buttons, hints
// and the whole legend.
#include <initializer_list>
#include <tuple>
#include "ui/font.h"
#include "ui/layout.h"
#include "tests/ui_canvas.h"

namespace {

void ExpectBox(const ScreenBox& b, const ScreenBox& want, const char* name) {
    EXPECT_EQ(std::tie(b.Left, b.Right, b.Top, b.Bottom), std::tie(want.Left, want.Right, want.Top, want.Bottom)) << name;
}

struct Worked {
    int W, H, A, G, K;
    ScreenBox InfoBar, PictureBox, KeyF1, KeyF12, MessageStrip;
    int D, E;
};

constexpr Worked WorkedValues[] = {
    {1920, 1200, 120, 8, 89, {0, 1799, 0, 111}, {120, 1799, 120, 1079}, {255, 344, 11, 100},
     {1575, 1664, 11, 100}, {131, 1788, 590, 611}, 111, 595},
    {1280, 720, 80, 4, 61, {0, 1199, 0, 75}, {80, 1199, 80, 639}, {169, 230, 7, 68},
     {1049, 1110, 7, 68}, {87, 1192, 350, 371}, 75, 357},
    {640, 360, 40, 2, 27, {0, 599, 0, 37}, {40, 599, 40, 319}, {86, 113, 5, 32},
     {526, 553, 5, 32}, {45, 594, 170, 191}, 37, 178},
};

}  // namespace

TEST(Layout, WorkedValuesOfTheThreeSizes) {
    for (const Worked& v : WorkedValues) {
        SCOPED_TRACE(v.W);
        const LegendLayout l = LayoutFor(v.W, v.H);
        EXPECT_EQ(l.CellSize, v.A);
        EXPECT_EQ(l.Gap, v.G);
        EXPECT_EQ(l.KeySize, v.K);
        const int w = v.W, h = v.H, a = v.A, d = v.D, e = v.E;
        ExpectBox(l.InfoBar, v.InfoBar, "InfoBar");
        ExpectBox(l.PictureBox, v.PictureBox, "PictureBox");
        ExpectBox(l.KeyF[1], v.KeyF1, "KeyF1");
        ExpectBox(l.KeyF[12], v.KeyF12, "KeyF12");
        ExpectBox(l.MessageStrip, v.MessageStrip, "MessageStrip");
        ExpectBox(l.ExitButton, {w - 1 - d, w - 1, 0, d}, "ExitButton");
        ExpectBox(l.BackButton, {0, d, a, e}, "BackButton");
        ExpectBox(l.ResetButton, {0, d, h - 1 - e, h - 1 - a}, "ResetButton");
        ExpectBox(l.ZoomInButton, {w - 1 - d, w - 1, a, e}, "ZoomInButton");
        ExpectBox(l.ZoomOutButton, {w - 1 - d, w - 1, h - 1 - e, h - 1 - a}, "ZoomOutButton");
        ExpectBox(l.ColorBar, {0, w - 1, h - 1 - d, h - 1}, "ColorBar");
        for (int i = 2; i <= 12; i++) EXPECT_EQ(l.KeyF[i].Left - l.KeyF[i - 1].Left, a) << i;
        // The key row is centred: as many free columns right of F12 as left of F1.
        EXPECT_EQ(w - 1 - l.KeyF[12].Right, l.KeyF[1].Left);
    }
}

TEST(Layout, CellSizeRoundsTiesToEven) {
    EXPECT_EQ(LayoutFor(1352, 760).CellSize, 84);
    EXPECT_EQ(LayoutFor(1368, 768).CellSize, 86);   // 85.5
}

TEST(Layout, NeighbouringAreasAreOneGapApart) {
    for (const Worked& v : WorkedValues) {
        const LegendLayout l = LayoutFor(v.W, v.H);
        const int g = v.G;
        SCOPED_TRACE(v.W);
        EXPECT_EQ(l.ExitButton.Left - l.InfoBar.Right - 1, g);
        EXPECT_EQ(l.ResetButton.Top - l.BackButton.Bottom - 1, g);
        EXPECT_EQ(l.ZoomOutButton.Top - l.ZoomInButton.Bottom - 1, g);
        EXPECT_EQ(l.ColorBar.Top - l.ResetButton.Bottom - 1, g);
        EXPECT_EQ(l.BackButton.Top - l.InfoBar.Bottom - 1, g);
        EXPECT_EQ(l.PictureBox.Left - l.BackButton.Right - 1, g);
        EXPECT_EQ(l.ZoomInButton.Left - l.PictureBox.Right - 1, g);
    }
}

TEST(Layout, ComputeLayoutUsesTheWindowSize) {
    Calc.WindowWidth = 1280, Calc.WindowHeight = 720;
    ComputeLayout();
    EXPECT_EQ(PictureBox.Right, 1199);
    EXPECT_EQ(KeyF12.Left, 1049);
    EXPECT_EQ(&KeyF7, &Layout.KeyF[7]);
}

TEST(Layout, ExitLabelIsSqueezedUpTo709Pixels) {
    EXPECT_STREQ(ExitLabelFor(709).Text, "E@[x@[@[i@[t");
    EXPECT_EQ(ExitLabelFor(709).CapWidth, 35);
    EXPECT_STREQ(ExitLabelFor(710).Text, "Ex@[it");
    EXPECT_EQ(ExitLabelFor(710).CapWidth, 38);
}

// Each cap reaches 4 to 6 pixels past the label's last glyph, which holds only if the
// glyph advances are right.
TEST(Legend, EveryCapFitsItsLabel) {
    struct Cap { const char* Label; int Width; };
    for (Cap c : {Cap{"Info", 41}, {"@[Auto", 42}, {"Less", 38}, {"More", 41}, {"Prev", 41},
                  {"La@[te", 39}, {"Sa@[ve", 41}, {"Min", 33}, {"Ex@[it", 38}, {"E@[x@[@[i@[t", 35},
                  {"Back", 40}, {"Reset", 47}, {"x16", 33}, {"x2", 24}, {"@[/2", 24}, {"Co@[lo@]r", 47}}) {
        const int spare = c.Width - TextWidth(c.Label);
        EXPECT_GE(spare, 8) << c.Label;
        EXPECT_LE(spare, 10) << c.Label;
    }
}

TEST(Legend, ButtonIsDarkGreyDarkWithARedLabelOnItsCap) {
    OpenPaintCanvas(200, 120);
    const ScreenBox box{10, 110, 20, 100};
    DrawButton(box, "Less", 38, "F3");
    // The frame; the cap from L+3, T+3 to L+38, T+18; the picture through the middle; the L of
    // "Less" at (L+7, T+5) and the F of "F3" at (L+7, B-16).
    ExpectPixels({{10, 60, 0x202020}, {11, 60, 0x808080}, {12, 60, 0x202020}, {110, 100, 0x202020},
                  {109, 99, 0x808080}, {13, 23, 0x202020}, {48, 38, 0x202020}, {49, 23, 0}, {13, 39, 0},
                  {60, 60, 0}, {17, 25 + 2, 0xFF0000}, {17, 84 + 2, 0x404040}});
}

TEST(Legend, HintIsADimOutlineOneInside) {
    OpenPaintCanvas(200, 120);
    DrawKeyHint(ScreenBox{10, 110, 20, 100}, "", "F7");
    ExpectPixels({{10, 60, 0}, {11, 60, 0x404040}, {109, 99, 0x404040}, {13, 23, 0} /* no cap */,
                  {17, 84 + 2, 0x404040}});
}

TEST(Legend, WholeLegendAt1920x1200) {
    OpenPaintCanvas(1920, 1200);
    DrawLegend();
    // The info bar's corner, the gap before the exit button, F1 a hint, F2 (Left 375) a button,
    // F12 a hint; the B of "Back-" above the s of "space", 12 rows apart; the top of Color's C.
    ExpectPixels({{0, 0, 0x202020}, {1800, 50, 0}, {1808, 0, 0x202020}, {256, 50, 0x404040}, {255, 50, 0},
                  {376, 50, 0x808080}, {1575 + 1, 50, 0x404040}, {1575 + 3, 11 + 3, 0},
                  {7 + 0, 595 - 28 + 2, 0x404040}, {7 + 1, 595 - 16 + 3, 0x404040},
                  {7 + 2, 1199 - 111 + 5 + 2, 0xFF0000}});
}

TEST(Legend, NarrowWindowsDrawTheSqueezedExitLabel) {
    OpenPaintCanvas(700, 400);
    DrawLegend();
    const ScreenBox& e = ExitButton;
    EXPECT_EQ(HeadlessPixel(e.Left + 35, e.Top + 3), 0x202020u);
    EXPECT_NE(HeadlessPixel(e.Left + 36, e.Top + 3), 0x202020u);
}
