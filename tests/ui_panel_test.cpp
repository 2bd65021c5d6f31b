// The info panel's texts and colours, and the plate and its lines on a 1920 x 1200 canvas.
#include <cstring>
#include "engine/work.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "ui/display.h"
#include "ui/font.h"
#include "ui/panel.h"
#include "ui/text.h"
#include "tests/ui_canvas.h"

namespace {

// Every pixel of every glyph of text drawn at (x, y) has the colour (0x00RRGGBB).
void ExpectTextAt(int x, int y, uint32_t rgb, const char* text) {
    const int length = TextLength(text);
    int pen = x;
    for (int pos = 0; pos < length;) {
        const int code = NextGlyphCode(text, length, pos);
        if (code < 0) continue;
        if (code == PenBackCode) pen--;
        const Glyph& g = GlyphTable[code];
        for (int i = 0; i < GlyphPixelCount(g); i++)
            ASSERT_EQ(HeadlessPixel(pen + g.Pixels[2 * i], y + g.Pixels[2 * i + 1]), rgb) << text;
        pen += g.Advance;
    }
}

void SetLiveValues() {
    Display.DisplayWidth = 1920, Display.DisplayHeight = 1200, Display.DpiPercent = 100;
    Calc.WindowWidth = 1920, Calc.WindowHeight = 1200;
    Work.ThreadCount = 4;
    View.ld_Zoom = 0;
    Calc.NumberMode = ModeDouble, Calc.WideRange = true;
    View.FPU_Mode = 1, View.CPU_Prev = 0;
    View.Iteration = View.Alt_Iteration = 256;
    View.Color = View.Alt_Color = 1.0;
    View.Offset = 0;
    View.Automatic = 1;
    InsideCount = 777;
    Cycle.RecomputeAll = 0;
    Cycle.CalcTimeMs = 0;
}

}  // namespace

TEST(PanelText, ZoomFromFractionsToExponents) {
    EXPECT_STREQ(ZoomText(-1).Chars, "0.500");
    EXPECT_STREQ(ZoomText(0).Chars, "1");
    EXPECT_STREQ(ZoomText(16).Chars, "65536");
    EXPECT_STREQ(ZoomText(17).Chars, "131.1#<k");
    EXPECT_STREQ(ZoomText(20).Chars, "1.0#<M");
    EXPECT_STREQ(ZoomText(30).Chars, "1.1#<G");
    EXPECT_STREQ(ZoomText(40).Chars, "1.1#<T");
    EXPECT_STREQ(ZoomText(49).Chars, "562.9#<T");
    EXPECT_STREQ(ZoomText(50).Chars, "1E+15");
    EXPECT_STREQ(ZoomText(54).Chars, "2E+16");
    EXPECT_STREQ(ZoomText(73).Chars, "9E+21");    // 9.44e21: second digit below 5
    EXPECT_STREQ(ZoomText(83).Chars, "1E+25");    // 9.67e24 rounds up into the next decade
    EXPECT_STREQ(ZoomText(112).Chars, "5E+33");
    // Past the doubles' range from the decimal logarithm; the deepest line still fits the plate.
    EXPECT_STREQ(ZoomText(1023).Chars, "9E+307");
    EXPECT_STREQ(ZoomText(1024).Chars, "2E+308");
    EXPECT_STREQ(ZoomText(MaxDeepZoom).Chars, "4E+6020");
}

TEST(PanelText, NumberFormatNamesTheFormatAndItsRange) {
    EXPECT_STREQ(NumberFormatText(ModeDouble, false, 1, 0).Chars, "53 FPU (up#=to 2^45)");
    EXPECT_STREQ(NumberFormatText(ModeFixed60, false, 1, 0).Chars, "60 CPU (2^46 - 2^52)");
    EXPECT_STREQ(NumberFormatText(ModeLong128, false, 1, 0).Chars, "120 CPU (from 2^53)");
    EXPECT_STREQ(NumberFormatText(ModeFixed60, false, 0, 4).Chars, "60 Bit (up#=to 2^48)");
    EXPECT_STREQ(NumberFormatText(ModeLong128, false, 0, 8).Chars, "120 Bit (from 2^45)");
    EXPECT_STREQ(NumberFormatText(ModeDouble, true, 1, 0).Chars, "53 FPU (w@[ide#>r@[ange)");
    EXPECT_STREQ(NumberFormatText(ModeDouble, true, 0, 0).Chars, "53 Bit (w@[ide#>r@[ange)");
    EXPECT_STREQ(NumberFormatText(2, false, 0, 0).Chars, "");
    EXPECT_STREQ(NumberFormatText(ModePerturb, false, 1, 0).Chars, "perturb (deep#=zoom)");
}

TEST(PanelText, ColourInFixedPointOrScientificForm) {
    EXPECT_STREQ(ColourText(4.0, 0).Chars, " 4.00");
    EXPECT_STREQ(ColourText(1000.0, 0).Chars, " 1.00E+03");
    EXPECT_STREQ(ColourText(0.05, 0).Chars, " 5.00E-02");
    EXPECT_STREQ(ColourText(0.5, 0).Chars, " 0.500");
    EXPECT_STREQ(ColourText(12.5, 0).Chars, " 12.5");
    EXPECT_STREQ(ColourText(250.0, 0).Chars, " 250");
    EXPECT_STREQ(ColourText(99.94, 0).Chars, " 99.9");
    EXPECT_STREQ(ColourText(99.95, 0).Chars, " 100");
    EXPECT_STREQ(ColourText(9.994, 0).Chars, " 9.99");
    EXPECT_STREQ(ColourText(1.0001e9, 0).Chars, " 1.00E+09");
    EXPECT_STREQ(ColourText(-0.05, 0).Chars, "-5.00E-02");
    EXPECT_STREQ(ColourText(4.0, 48).Chars, " 4.00#>@D3");
    EXPECT_STREQ(ColourText(4.0, 15).Chars, " 4.00#>@D0");
    EXPECT_GT(std::strlen(ColourText(0.0 / 0.0, 0).Chars), 0u);   // a NaN still writes something
}

TEST(PanelText, AutomaticModeStates) {
    EXPECT_STREQ(AutomaticText(0, 12, 0).Chars, "OFF");
    EXPECT_STREQ(AutomaticText(1, 777, 1).Chars, "s@[t@[andby");
    EXPECT_STREQ(AutomaticText(1, 12, 1).Chars, "pass@[ive");
    EXPECT_STREQ(AutomaticText(1, 12, 0).Chars, "ak@[t@[ive");
}

TEST(PanelText, TimeInMillisecondsThenSeconds) {
    EXPECT_STREQ(TimeText(0).Chars, "- ");
    EXPECT_STREQ(TimeText(1).Chars, "1 ms");
    EXPECT_STREQ(TimeText(999).Chars, "999 ms");
    EXPECT_STREQ(TimeText(1000).Chars, "1.000 sec");
    EXPECT_STREQ(TimeText(9999).Chars, "9.999 sec");
    EXPECT_STREQ(TimeText(10000).Chars, "10.00 sec");
    EXPECT_STREQ(TimeText(99994).Chars, "99.99 sec");
    EXPECT_STREQ(TimeText(99995).Chars, "100.0 sec");
    EXPECT_STREQ(TimeText(999949).Chars, "999.9 sec");
    EXPECT_STREQ(TimeText(999950).Chars, "1000 sec");
    EXPECT_STREQ(TimeText(1234567).Chars, "1235 sec");
    EXPECT_STREQ(TimeText(INT64_MAX).Chars, "9223372474941440 sec");   // single precision
}

TEST(PanelContent, LinesFromTheLiveValues) {
    SetLiveValues();
    PanelContent p = ComposePanel(PictureStatusNow());
    EXPECT_STREQ(p.Lines[0].Text.Chars, "Screen:  1920#=#x#<1200");
    EXPECT_STREQ(p.Lines[1].Text.Chars, "Window: 1920#=#x#<1200");
    EXPECT_STREQ(p.Lines[2].Text.Chars, "DPI: 100@_%");
    EXPECT_STREQ(p.Lines[3].Text.Chars, "T@]hreads: 4");
    EXPECT_STREQ(p.Lines[4].Text.Chars, "Zoom: 1 (2^0)");
    EXPECT_STREQ(p.Lines[5].Text.Chars, "53 FPU (w@[ide#>r@[ange)");
    EXPECT_STREQ(p.Lines[7].Text.Chars, "256");
    EXPECT_STREQ(p.Lines[9].Text.Chars, " 1.00");
    EXPECT_STREQ(p.Lines[10].Text.Chars, "Auto: s@[t@[andby");
    EXPECT_STREQ(p.Lines[11].Text.Chars, "Time: - ");
    View.ld_Zoom = -1;
    Cycle.CalcTimeMs = 999;
    p = ComposePanel(PictureStatusNow());
    EXPECT_STREQ(p.Lines[4].Text.Chars, "Zoom: 0.500 (2^-1)");
    EXPECT_STREQ(p.Lines[11].Text.Chars, "Time: 999 ms");
    // Deep zooms: with the magnification while the line keeps the plate's margins, then without.
    for (const auto& [zoom, text] : {std::pair{112, "Zoom: 5E+33 (2^112)"}, {998, "Zoom: 2^998"}, {20000, "Zoom: 2^20000"}}) {
        View.ld_Zoom = zoom;
        EXPECT_STREQ(ComposePanel(PictureStatusNow()).Lines[4].Text.Chars, text);
    }
}

TEST(PanelContent, AutomaticValuesAreDarkRed) {
    SetLiveValues();
    PanelContent p = ComposePanel(PictureStatusNow());
    EXPECT_EQ(p.Lines[7].Colour, 0x00009Fu);
    EXPECT_EQ(p.Lines[9].Colour, 0x00009Fu);
    EXPECT_EQ(p.Lines[6].Colour, 0x0000FFu);
    View.Alt_Iteration = 0;
    View.Alt_Color = 1.0000001;
    p = ComposePanel(PictureStatusNow());
    EXPECT_EQ(p.Lines[7].Colour, 0x0000FFu);
    EXPECT_EQ(p.Lines[9].Colour, 0x0000FFu);
}

TEST(PanelDrawing, PlateAndLinesAt1920x1200) {
    OpenPaintCanvas(1920, 1200);
    SetLiveValues();
    View.Alt_Iteration = 0;   // the limit set by hand: bright red
    DrawPanel(PictureStatusNow());
    // The plate covers columns 122..283 and rows 872..1076.
    ExpectPixels({{122, 872, 0x202020}, {283, 1076, 0x202020}, {284, 900, 0}, {200, 871, 0},
                  {121, 900, 0x808080} /* inside the picture box's grey line */, {200, 1078, 0x808080}});
    const PanelContent p = ComposePanel(PictureStatusNow());
    const int rows[] = {881, 899, 917, 935, 960, 978, 996, 996, 1014, 1014, 1039, 1057};
    const int columns[] = {131, 131, 131, 131, 131, 131, 131, 209, 131, 176, 131, 131};
    for (int i = 0; i < PanelLineCount; i++) {
        EXPECT_EQ(131 + p.Lines[i].Dx, columns[i]);
        EXPECT_EQ(1079 + p.Lines[i].Dy, rows[i]);
        const uint32_t c = p.Lines[i].Colour;
        ExpectTextAt(columns[i], rows[i], (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16, p.Lines[i].Text.Chars);
    }
    ExpectTextAt(209, 996, 0xFF0000, "256");
    ExpectTextAt(176, 1014, 0x9F0000, " 1.00");
}
