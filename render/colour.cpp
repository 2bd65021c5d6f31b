// render/colour.cpp - the palette, the colour of a count, the automatic colour scale and
// iteration limit, and the range check of the colour scale.
#include "render/colour.h"
#include "engine/state.h"
#include "ui/message.h"

uint32_t InsideCount = NoStatistics;

namespace {
struct PaletteStop { int Index; uint8_t Red, Green, Blue; };
// Black, deep blue, near white, orange, dark red, then black for the last three entries.
constexpr PaletteStop PaletteStops[8] = {
    {0, 0, 0, 0},        {27, 34, 47, 174}, {114, 237, 255, 255}, {157, 255, 165, 0},
    {226, 128, 0, 0},    {253, 0, 0, 0},    {254, 0, 0, 0},       {255, 0, 0, 0},
};

uint32_t Blend(uint8_t lo, uint8_t hi, double x) {
    return static_cast<uint32_t>(std::llrint((double(hi) - double(lo)) * x + double(lo)));
}
}  // namespace

void BuildPalette() {
    for (int s = 0; s < 7; ++s) {
        const PaletteStop& a = PaletteStops[s];
        const PaletteStop& e = PaletteStops[s + 1];
        for (int j = a.Index; j <= e.Index; ++j) {
            double x = double(j - a.Index) / double(e.Index - a.Index);
            Palette[j] = Blend(a.Red, e.Red, x) << 16 | Blend(a.Green, e.Green, x) << 8 |
                         Blend(a.Blue, e.Blue, x);
        }
    }
}

uint32_t CountColour(int32_t count) {
    return CountColourWith(count, View.Iteration, View.Color, View.Offset);
}

void AutoColorScale() {
    if (View.Color == View.Alt_Color) {
        float scale = 4.0f - float(View.ld_Zoom) * 0.06f;
        double colour = scale;
        if (colour < 1.0) colour = 1.0;
        View.Color = colour;
        View.Alt_Color = colour;
    } else {
        View.Alt_Color = 0;   // a colour scale set by hand stays until the automatic one is re-engaged
    }
}

void MeasureAndColour() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    const int pixels = w * h;
    uint32_t inside = 0;
    double sum = 0, divisor = 1;
    for (int p = 0; p < pixels; ++p) {
        int32_t count = static_cast<int32_t>(ScreenImage[p]);
        if (count == 0) {
            ++inside;
            continue;
        }
        double n = double(int64_t(View.Iteration) - count);
        double n2 = n * n;
        sum += n2 * n2;
        divisor += 1;
    }
    InsideCount = inside;

    // The fourth-power mean of the escape steps, stretched when much of the picture is inside.
    const double mean = std::sqrt(std::sqrt(std::fabs(sum / divisor)));
    const float spread = 5.0f + 7.0f * float(inside) / float(pixels);
    double f = double(spread) * mean;
    double z = 256;
    if (View.ld_Zoom >= 4) z = 256 + 0.4 * std::exp(4 * std::log(View.ld_Zoom - 1.6));
    if (f < 256) f = 256;
    if (mean < 1) f = z;
    if (z < f) f = (f + z) / 2;
    if (f > 1000000) f = 1000000;

    int64_t delta = 0;
    if (View.Iteration == View.Alt_Iteration) {
        int32_t limit = static_cast<int32_t>(std::llrint(f));
        delta = int64_t(limit) - View.Iteration;
        View.Iteration = limit;
        View.Alt_Iteration = limit;
    } else {
        View.Alt_Iteration = 0;   // a limit set by hand stays
    }

    // Shifting the counts keeps every escape step, and so every colour, under the new limit.
    const int32_t iteration = View.Iteration;
    const double colour = View.Color;
    const uint32_t offset = View.Offset;
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            uint32_t& pixel = ScreenImage[col + w * row];
            int64_t c = static_cast<int32_t>(pixel);
            if (c != 0) c += delta;
            if (c < 0) c = 0;
            NAt(col, row) = static_cast<int32_t>(c);
            pixel = CountColourWith(static_cast<int32_t>(c), iteration, colour, offset);
        }
    }
}

bool CheckColorRange() {
    // Asked so that a NaN scale is clamped too rather than drawing the picture black.
    if (!(View.Color < ColourTooLarge)) {
        View.Color = 1.0001e9;
        Messages.MessageCode = MsgColourMax;
        return false;
    }
    if (View.Color <= ColourTooSmall) {
        View.Color = 9.999e-10;
        Messages.MessageCode = MsgColourMin;
        return false;
    }
    return true;
}

void RecolourCounts() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    const int32_t iteration = View.Iteration;
    const double colour = View.Color;
    const uint32_t offset = View.Offset;
    for (int row = 0; row < h; ++row) {
        const int32_t* counts = &NAt(0, row);
        uint32_t* pixels = &ScreenImage[w * row];
        for (int col = 0; col < w; ++col) pixels[col] = CountColourWith(counts[col], iteration, colour, offset);
    }
}

double HeldColour(double colour) {
    if (!(colour < ColourTooLarge)) return ColourTooLarge;
    if (colour <= ColourTooSmall) return ColourTooSmall;
    return colour;
}
