// ui/panel.cpp - the info panel: a dark plate in the lower-left corner of the picture area
// that lists the display, the window, the zoom, the number format, the limits, the colour
// settings, the automatic mode and the time of the last picture.
#include "ui/panel.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include "engine/state.h"
#include "engine/work.h"
#include "ui/display.h"
#include "ui/font.h"
#include "ui/layout.h"
#include "ui/text.h"

uint8_t PanelVisible;

namespace {

constexpr uint32_t PanelRed   = 0x0000FF;   // a value set by hand (COLORREF)
constexpr uint32_t PanelDim   = 0x00009F;   // a value the automatic mode steers
// The widest line that keeps the plate's left margin on its right too.
constexpr int32_t PanelTextRoom = 143;

template <typename... Args>
PanelText Format(const char* format, Args... args) {
    PanelText t{};
    std::snprintf(t.Chars, sizeof t.Chars, format, args...);
    return t;
}

// Appends as much of text as fits; the panel's pieces are short, so nothing is ever cut.
PanelText& Append(PanelText& t, const char* text) {
    size_t n = 0;
    while (n + 1 < sizeof t.Chars && t.Chars[n] != '\0') n++;
    for (size_t i = 0; n + 1 < sizeof t.Chars && text[i] != '\0'; i++) t.Chars[n++] = text[i];
    t.Chars[n] = '\0';
    return t;
}

// Above 10^15 the panel shows one significant digit and the decimal exponent, rounded from
// the first two of eight written digits.
// Past 2^1023, where the double overflows, from the decimal logarithm: f = mantissa x 10^tens.
PanelText ExponentZoomText(double f, int tens = 0) {
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.7e", f);     // "d.ddddddde+XX"
    int lead = digits[0] - '0';
    int exponent = std::atoi(digits + 10) + tens;
    if (digits[2] >= '5') {
        lead++;
        if (lead == 10) {
            lead = 1;
            exponent++;
        }
    }
    return Format("%dE+%d", lead, exponent);
}

}  // namespace

PanelText ZoomText(int32_t ldZoom) {
    const double f = std::exp(ldZoom * 0.6931471805599453);
    if (!std::isfinite(f)) {
        const double digits = ldZoom * 0.30102999566398120;   // log10 of 2^ldZoom
        const double tens = std::floor(digits);
        return ExponentZoomText(std::pow(10.0, digits - tens), int(tens));
    }
    if (f < 1.0) return Format("%.3f", f);
    if (f < 1e5) return Format("%.0f", std::nearbyint(f));
    if (f < 1e6) return Format("%.1f#<k", f / 1e3);
    if (f < 1e9) return Format("%.1f#<M", f / 1e6);
    if (f < 1e12) return Format("%.1f#<G", f / 1e9);
    if (f < 1e15) return Format("%.1f#<T", f / 1e12);
    return ExponentZoomText(f);
}

PanelText NumberFormatText(uint8_t numberMode, bool wideRange, uint8_t fpuMode, int32_t cpuPrev) {
    const int32_t v = cpuPrev;
    switch (numberMode) {
    case ModeFixed60:
        if (fpuMode) return Format("60 CPU (2^%d - 2^%d)", 46 - v, 52 - v);
        return Format("60 Bit (up#=to 2^%d)", 52 - v);
    case ModeDouble:
        if (wideRange) return Format("53%s(w@[ide#>r@[ange)", fpuMode ? " FPU " : " Bit ");
        return Format("53 FPU (up#=to 2^%d)", 45 - v);
    case ModeLong128:
        return Format("120%s(from 2^%d)", fpuMode ? " CPU " : " Bit ", 53 - v);
    case ModePerturb:
        return Format("perturb (deep#=zoom)");
    default:
        return PanelText{};
    }
}

// Written from the single-precision value, with as many decimals as keep four digits.
PanelText ColourText(double colour, uint32_t offset) {
    const float c = float(colour);
    PanelText t;
    if (c >= 0.09995f && c < 0.9995f) t = Format("%6.3f", double(c));
    else if (c >= 0.9995f && c < 9.995f) t = Format("%5.2f", double(c));
    else if (c >= 9.995f && c < 99.95f) t = Format("%5.1f", double(c));
    else if (c >= 99.95f && c < 999.5f) t = Format("%4.0f", double(std::nearbyint(c)));
    else t = Format("% .2E", double(c));
    if (offset != 0) Append(Append(t, "#>@D"), Format("%u", offset / 16).Chars);
    return t;
}

PanelText AutomaticText(uint8_t automatic, uint32_t insideCount, uint8_t recomputeAll) {
    if (!automatic) return Format("OFF");
    if (insideCount == NoStatistics) return Format("s@[t@[andby");
    if (recomputeAll) return Format("pass@[ive");
    return Format("ak@[t@[ive");
}

// The seconds are divided in single precision; the decimals shrink as the number grows.
PanelText TimeText(int64_t calcTimeMs) {
    const int64_t t = calcTimeMs;
    if (t == 0) return Format("- ");
    if (t < 1000) return Format("%lld ms", static_cast<long long>(t));
    const float seconds = float(t) / 1000.0f;
    if (t < 10000) return Format("%.3f sec", double(seconds));
    if (t < 99995) return Format("%.2f sec", double(seconds));
    if (t < 999950) return Format("%.1f sec", double(seconds));
    return Format("%.0f sec", double(std::nearbyint(seconds)));
}

PanelContent ComposePanel(const PictureStatus& status) {
    const bool autoIteration = View.Iteration == View.Alt_Iteration;
    const bool autoColour = View.Color == View.Alt_Color;
    PanelText zoom = Format("Zoom: ");
    Append(Append(zoom, ZoomText(View.ld_Zoom).Chars), Format(" (2^%d)", View.ld_Zoom).Chars);
    // Deep zooms write the magnification too long for the plate: then the power of two alone.
    if (TextWidth(zoom.Chars) > PanelTextRoom) zoom = Format("Zoom: 2^%d", View.ld_Zoom);
    PanelText automatic = Format("Auto: ");
    Append(automatic, AutomaticText(View.Automatic, status.InsideCount, status.RecomputeAll).Chars);
    PanelText time = Format("Time: ");
    Append(time, TimeText(status.CalcTimeMs).Chars);
    // Three groups: the machine, the view, the automatic mode and the time.
    return PanelContent{{
        {0, -198, PanelRed, Format("Screen:  %d#=#x#<%d", Display.DisplayWidth, Display.DisplayHeight)},
        {0, -180, PanelRed, Format("Window: %d#=#x#<%d", Calc.WindowWidth, Calc.WindowHeight)},
        {0, -162, PanelRed, Format("DPI: %d@_%%", Display.DpiPercent)},
        {0, -144, PanelRed, Format("T@]hreads: %d", Work.ThreadCount)},
        {0, -119, PanelRed, zoom},
        {0, -101, PanelRed, NumberFormatText(Calc.NumberMode, Calc.WideRange, View.FPU_Mode, View.CPU_Prev)},
        {0, -83, PanelRed, Format("Iter@[a@[t@[ion:")},
        {78, -83, autoIteration ? PanelDim : PanelRed, Format("%u", uint32_t(View.Iteration))},
        {0, -65, PanelRed, Format("Co@[lo@]r:")},
        {45, -65, autoColour ? PanelDim : PanelRed, ColourText(View.Color, View.Offset)},
        {0, -40, PanelRed, automatic},
        {0, -22, PanelRed, time},
    }};
}

void DrawPanel(const PictureStatus& status) {
    DrawLegend();
    const int32_t left = PictureBox.Left;
    const int32_t bottom = PictureBox.Bottom;
    const int32_t x = left + 11;
    FillBox(left + 2, left + 163, bottom - 207, bottom - 3, Brushes.DarkBrush);
    const PanelContent panel = ComposePanel(status);
    for (const PanelLine& line : panel.Lines)
        DrawText(x + line.Dx, bottom + line.Dy, line.Colour, line.Text.Chars);
}
