// Pictures of the legend, the info panel, a message and the whole glyph table, written to
// the test's working folder so that a person can check that every word reads well.
#include <cmath>
#include "engine/work.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "ui/display.h"
#include "ui/font.h"
#include "ui/message.h"
#include "ui/text.h"
#include "tests/ui_canvas.h"

namespace {

// A quick escape-time picture as a busy background, blitted as the render cycle would.
void PaintBackground(int w, int h) {
    static uint32_t image[MaxPixels];
    for (int row = 0; row < h; row++)
        for (int col = 0; col < w; col++) {
            const double cr = -0.75 + (row - h / 2) * 2.6 / h, ci = (col - w / 2) * 2.6 / h;
            double zr = 0, zi = 0;
            int n = 0;
            while (n < 200 && zr * zr + zi * zi < 4) {
                const double t = zr * zr - zi * zi + cr;
                zi = 2 * zr * zi + ci, zr = t, n++;
            }
            const int s = n * 9 % 256;
            image[row * w + col] = n == 200 ? 0 : uint32_t(s << 16 | (255 - s) << 8 | (s * 3 % 256));
        }
    PlatSetDIBitsToDevice(0, 0, w, h, 0, 0, image, w, h);
}

void SetPanelValues(int w, int h) {
    Display.DisplayWidth = 2560, Display.DisplayHeight = 1440, Display.DpiPercent = 125;
    Calc.WindowWidth = w, Calc.WindowHeight = h;
    Work.ThreadCount = 8;
    View.ld_Zoom = 17;
    Calc.NumberMode = ModeDouble, Calc.WideRange = false;
    View.FPU_Mode = 1, View.CPU_Prev = 0;
    View.Iteration = View.Alt_Iteration = 4096;
    View.Color = 0.5, View.Alt_Color = 0.25, View.Offset = 48;
    View.Automatic = 1;
    InsideCount = 12;
    Cycle.RecomputeAll = 0;
    Cycle.CalcTimeMs = 1234;
}

void Screenshot(int w, int h, uint8_t code, const char* name) {
    OpenPaintCanvas(w, h);
    PaintBackground(w, h);
    SetPanelValues(w, h);
    DrawPanel(PictureStatusNow());
    Messages.MessageCode = code;
    std::snprintf(Messages.MessageFileName, sizeof Messages.MessageFileName, "2024-05-17-21-04-33");
    ShowMessage();
    PlatEndPaint();
    EXPECT_TRUE(SaveCanvas(name));
}

// Three times enlarged pieces of the big window: the panel, the key row, the corners.
void SaveDetails() {
    EXPECT_TRUE(SaveCanvasRegion("ui_detail_panel", 120, 860, 200, 230, 3));
    EXPECT_TRUE(SaveCanvasRegion("ui_detail_keys", 0, 0, 960, 120, 2));
    EXPECT_TRUE(SaveCanvasRegion("ui_detail_keys_right", 960, 0, 960, 120, 2));
    EXPECT_TRUE(SaveCanvasRegion("ui_detail_sides", 0, 480, 260, 260, 3));
    EXPECT_TRUE(SaveCanvasRegion("ui_detail_bottom", 0, 1060, 400, 140, 3));
    EXPECT_TRUE(SaveCanvasRegion("ui_detail_right", 1780, 100, 140, 520, 2));
}

}  // namespace

TEST(UiScreenshot, LegendPanelAndCreditAt1920x1200) {
    Screenshot(1920, 1200, 3, "ui_screen_1920x1200");
    SaveDetails();
}

TEST(UiScreenshot, LegendPanelAndSaveMessageAt640x360) {
    Screenshot(640, 360, 1, "ui_screen_640x360");
}

// Every glyph of the table on a 16 x 16 grid, four times enlarged, with the baseline marked.
TEST(UiScreenshot, GlyphTableSheet) {
    OpenPaintCanvas(16 * 20, 16 * 20);
    FillBox(0, 319, 0, 319, 0x202020);
    for (int code = 0; code < 256; code++) {
        const int x = code % 16 * 20 + 4, y = code / 16 * 20 + 3;
        FillBox(x - 1, x + GlyphTable[code].Advance - 1, y + 9, y + 9, 0x403000);
        const Glyph& g = GlyphTable[code];
        for (int i = 0; i < GlyphPixelCount(g); i++) PlatSetPixel(x + g.Pixels[2 * i], y + g.Pixels[2 * i + 1], 0xFFFFFF);
    }
    PlatEndPaint();
    EXPECT_TRUE(SaveCanvas("ui_glyph_table", 4));
}

// The program's own words at four times their size, red on the dark plate as in the panel.
TEST(UiScreenshot, PanelWordsEnlarged) {
    OpenPaintCanvas(480, 300);
    FillBox(0, 479, 0, 299, 0x202020);
    const char* lines[] = {
        "Info Space @[Auto Less More Prev La@[te Sa@[ve Min Ex@[it ESC Back- space",
        "Reset DEL x16 x2 @[/2 @]+ @]- Co@[lo@]r @]N/M  C@[tr@[l-N/M F1 F10 F12",
        "Screen:  2560#=#x#<1440 Window: 1920#=#x#<1200 DPI: 125@_%",
        "T@]hreads: 8 Zoom: 131.1#<k (2^17) 1#<M 2#<G 3#<T 2E+16",
        "53 FPU (up#=to 2^45) 60 CPU (2^46 - 2^52) 120 Bit (from 2^53)",
        "53 Bit (w@[ide#>r@[ange) Iter@[a@[t@[ion: 4096 Co@[lo@]r:  0.500#>@D3",
        "Auto: OFF s@[t@[andby pass@[ive ak@[t@[ive Time: 1.234 sec 999 ms",
        "#<LIMI@[T max@[. @[Thresho@[ld #<ERROR Load @]\"a.zxp\" #<Sa@[ve @]\"x.png\"",
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz",
        "0123456789 !\"$%&'()*+,-./:;<=>?[\\]^_`{|}~ #C@@",
        "@a@b@c@d@e@f@g@h@i@k@l@m@n@o@p@q@r@s@t@u@w@x@y@z @D@O@J@V@W@X@^#A#O#U#a#o#u#s#c#v#x#|",
    };
    int y = 4;
    for (const char* line : lines) {
        DrawText(4, y, 0x0000FF, line);
        y += 18;
    }
    PlatEndPaint();
    EXPECT_TRUE(SaveCanvas("ui_words", 3));
    EXPECT_TRUE(SaveCanvasRegion("ui_words_left", 0, 0, 240, 210, 5));
    EXPECT_TRUE(SaveCanvasRegion("ui_words_right", 240, 0, 240, 210, 5));
}
