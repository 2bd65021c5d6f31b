// ui/layout.cpp - the legend areas from the window size, and the legend drawn over them.
#include "ui/layout.h"
#include <cmath>
#include "engine/state.h"
#include "ui/panel.h"
#include "ui/text.h"

LegendLayout Layout;

namespace {

constexpr uint32_t LabelRed = 0x0000FF;   // COLORREF
constexpr uint32_t KeyGrey  = 0x404040;

ScreenBox Box(int32_t left, int32_t right, int32_t top, int32_t bottom) {
    return ScreenBox{left, right, top, bottom};
}

}  // namespace

LegendLayout LayoutFor(int32_t width, int32_t height) {
    const int32_t w = width;
    const int32_t h2 = height / 2;
    LegendLayout l{};
    // The cell is a sixteenth of the width in single precision, so 1352 gives 84, not 85.
    const int32_t a = int32_t(std::nearbyint(float(w) * 0.0625f));
    // An even gap lets the side buttons split the height about its middle evenly.
    const int32_t g = int32_t(std::nearbyint(double(w) / 1920.0 * 8.0)) & ~1;
    const int32_t d = a - g - 1;
    const int32_t e = h2 - g / 2 - 1;
    const int32_t k = a - 3 * g - 7;
    const int32_t left0 = w / 2 - (a - k) / 2 - k - 5 * a - 1;
    const int32_t hb = height - 1;
    l.CellSize = a;
    l.Gap = g;
    l.KeySize = k;
    l.InfoBar       = Box(0, w - 1 - a, 0, d);
    l.ExitButton    = Box(w - 1 - d, w - 1, 0, d);
    l.BackButton    = Box(0, d, a, e);
    l.ResetButton   = Box(0, d, hb - e, hb - a);
    l.PictureBox    = Box(a, w - 1 - a, a, hb - a);
    l.ZoomInButton  = Box(w - 1 - d, w - 1, a, e);
    l.ZoomOutButton = Box(w - 1 - d, w - 1, hb - e, hb - a);
    l.ColorBar      = Box(0, w - 1, hb - d, hb);
    l.MessageStrip  = Box(a + g + 3, w - 1 - (a + g + 3), h2 - 10, h2 + 11);
    for (int i = 1; i <= 12; i++) {
        const int32_t x = left0 + (i - 1) * a;
        l.KeyF[i] = Box(x, x + k, g + 3, g + 3 + k);
    }
    return l;
}

void ComputeLayout() {
    Layout = LayoutFor(Calc.WindowWidth, Calc.WindowHeight);
}

ButtonLabel ExitLabelFor(int32_t width) {
    if (width <= 709) return ButtonLabel{"E@[x@[@[i@[t", 35};
    return ButtonLabel{"Ex@[it", 38};
}

void DrawButton(const ScreenBox& box, const char* label, uint16_t capWidth, const char* keyName) {
    const int32_t l = box.Left, r = box.Right, t = box.Top, b = box.Bottom;
    DrawFrame(l, r, t, b, Brushes.DarkBrush);
    DrawFrame(l + 1, r - 1, t + 1, b - 1, Brushes.GreyBrush);
    DrawFrame(l + 2, r - 2, t + 2, b - 2, Brushes.DarkBrush);
    FillBox(l + 3, l + capWidth, t + 3, t + 18, Brushes.DarkBrush);
    DrawText(l + 7, t + 5, LabelRed, label);
    DrawText(l + 7, b - 16, KeyGrey, keyName);
}

void DrawKeyHint(const ScreenBox& box, const char* label, const char* keyName) {
    DrawFrame(box.Left + 1, box.Right - 1, box.Top + 1, box.Bottom - 1, Brushes.DimBrush);
    DrawText(box.Left + 7, box.Top + 5, KeyGrey, label);
    DrawText(box.Left + 7, box.Bottom - 16, KeyGrey, keyName);
}

void DrawLegend() {
    DrawButton(InfoBar, "Info", 41, "Space");
    DrawKeyHint(KeyF1, "Info", "F1");
    DrawButton(KeyF2, "@[Auto", 42, "F2");
    DrawButton(KeyF3, "Less", 38, "F3");
    DrawButton(KeyF4, "More", 41, "F4");
    DrawButton(KeyF5, "Prev", 41, "F5");
    DrawButton(KeyF6, "La@[te", 39, "F6");
    DrawKeyHint(KeyF7, "", "F7");
    DrawKeyHint(KeyF8, "", "F8");
    DrawButton(KeyF9, "Sa@[ve", 41, "F9");
    DrawKeyHint(KeyF10, "", "F10");
    DrawButton(KeyF11, "Min", 33, "F11");
    DrawKeyHint(KeyF12, "", "F12");
    const ButtonLabel exit = ExitLabelFor(Calc.WindowWidth);
    DrawButton(ExitButton, exit.Text, exit.CapWidth, "ESC");
    // The back key's name takes two lines, 12 pixels apart.
    DrawButton(BackButton, "Back", 40, "space");
    DrawText(BackButton.Left + 7, BackButton.Bottom - 28, KeyGrey, "Back-");
    DrawButton(ResetButton, "Reset", 47, "DEL");
    DrawButton(PictureBox, "x16", 33, "");
    DrawButton(ZoomInButton, "x2", 24, "@]+");
    DrawButton(ZoomOutButton, "@[/2", 24, "@]-");
    DrawButton(ColorBar, "Co@[lo@]r", 47, "@]N/M  C@[tr@[l-N/M");
}
