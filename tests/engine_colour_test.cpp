// Counts to colours: the palette, the colour rule, the automatic iteration limit, the range
// check of the colour scale and the recolouring from counts.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include "engine/state.h"
#include "render/colour.h"
#include "ui/message.h"

namespace {
uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

void Picture(int w, int h, int iteration, std::initializer_list<uint32_t> counts = {}) {
    BuildPalette();
    Calc.WindowWidth = w, Calc.WindowHeight = h;
    View = ViewParams{};
    View.Iteration = View.Alt_Iteration = iteration;
    View.Color = View.Alt_Color = 4.0;
    std::copy(counts.begin(), counts.end(), ScreenImage);
}
}  // namespace

TEST(Colour, PaletteAndColourRule) {
    Picture(4, 4, 256);
    for (int j : {0, 253, 254, 255}) EXPECT_EQ(Palette[j], 0u) << j;
    EXPECT_EQ(Palette[27], Rgb(34, 47, 174));
    EXPECT_EQ(Palette[114], Rgb(237, 255, 255));
    EXPECT_EQ(Palette[157], Rgb(255, 165, 0));
    EXPECT_EQ(Palette[226], Rgb(128, 0, 0));
    for (int j = 226; j <= 253; ++j)   // ties of the blend go to even
        EXPECT_EQ(Palette[j], Rgb(int(std::nearbyint(-128.0 * ((j - 226) / 27.0) + 128.0)), 0, 0)) << j;

    EXPECT_EQ(CountColour(0), 0u);
    EXPECT_EQ(CountColour(256 - 64), Palette[0]);   // index 256 mod 256
    EXPECT_EQ(CountColour(255), Palette[4]);        // escape step 1
    View.Offset = 300;                              // only the low 8 bits of the sum count
    EXPECT_EQ(CountColour(255), Palette[(4 + 300) & 255]);
    View.Offset = 0, View.Color = 0.5;
    EXPECT_EQ(CountColour(255), Palette[0]);        // 0.5 to even
    EXPECT_EQ(CountColour(251), Palette[2]);        // 2.5 to even
    View.Color = -3;
    EXPECT_EQ(CountColour(255), Palette[253]);
}

TEST(Colour, AutomaticLimit) {
    // No escapes: the zoom alone decides.
    // Deep zooms meet the upper bound (a million, inside the limit's range).
    const struct { int zoom, limit; } cases[] = {{0, 256}, {3, 256}, {4, 269}, {10, 2247}, {113, 1000000},
                                                 {MaxDeepZoom, 1000000}};
    for (auto c : cases) {
        Picture(8, 4, 300);
        std::fill(ScreenImage, ScreenImage + 32, 0u);
        View.ld_Zoom = c.zoom;
        MeasureAndColour();
        EXPECT_EQ(View.Iteration, c.limit) << c.zoom;
        EXPECT_EQ(View.Alt_Iteration, c.limit);
        EXPECT_EQ(InsideCount, 32u);
        EXPECT_TRUE(NAt(7, 3) == 0 && ScreenImage[31] == 0) << c.zoom;   // inside stays inside as the limit rises
    }
    // Step 100 four times, four inside: the fourth-power mean over 4 + 1, the factor
    // 5 + 7 * 4 / 8, averaged with 256; the counts move with the limit.
    Picture(4, 2, 1000, {900, 900, 900, 900, 0, 0, 0, 0});
    MeasureAndColour();
    EXPECT_EQ(InsideCount, 4u);
    EXPECT_EQ(View.Iteration, std::llrint((8.5 * std::sqrt(std::sqrt(4e8 / 5)) + 256) / 2));
    EXPECT_EQ(NAt(0, 0), View.Iteration - 100);
    EXPECT_EQ(ScreenImage[0], CountColour(View.Iteration - 100));
    // A limit set by hand stays and switches the automatic one off.
    Picture(2, 1, 300, {50, 0});
    View.Alt_Iteration = 7;
    MeasureAndColour();
    EXPECT_EQ(View.Iteration, 300);
    EXPECT_EQ(View.Alt_Iteration, 0);
    EXPECT_EQ(NAt(0, 0), 50);
}

TEST(Colour, LoweredLimitTurnsLateEscapesBlack) {
    Picture(100, 11, 5000);
    ScreenImage[0] = 1;                                     // escape step 4999
    std::fill(ScreenImage + 1, ScreenImage + 1100, 4990u);  // escape step 10
    const uint32_t early = CountColour(4990);
    MeasureAndColour();
    ASSERT_LT(View.Iteration, 4999);
    EXPECT_EQ(NAt(0, 0), 0);
    EXPECT_EQ(ScreenImage[0], 0u);
    EXPECT_EQ(NAt(1, 0), View.Iteration - 10);
    EXPECT_EQ(ScreenImage[1], early);
}

TEST(Colour, RangeCheckAndRecolour) {
    Picture(3, 2, 256);
    Messages.MessageCode = 0;
    View.Color = 2e9;
    EXPECT_FALSE(CheckColorRange());
    EXPECT_EQ(View.Color, 1.0001e9);
    EXPECT_EQ(Messages.MessageCode, 91);
    View.Color = 9.091e-10;
    EXPECT_FALSE(CheckColorRange());
    EXPECT_EQ(View.Color, 9.999e-10);
    EXPECT_EQ(Messages.MessageCode, 92);
    View.Color = 1.0;
    EXPECT_TRUE(CheckColorRange());
    View.Color = NAN;                 // clamped rather than drawn black
    EXPECT_FALSE(CheckColorRange());
    EXPECT_EQ(View.Color, 1.0001e9);

    View.Color = 4, View.Offset = 32;
    const int32_t counts[6] = {0, 255, 192, 17, 1, 256};
    for (int i = 0; i < 6; ++i) NAt(i % 3, i / 3) = counts[i];
    RecolourCounts();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ScreenImage[i], CountColour(counts[i])) << i;
    EXPECT_EQ(ScreenImage[1], Palette[36]);
}
