// Counts to colours: the palette, the colour rule, the automatic iteration limit and the
// range check of the colour scale.
#include <gtest/gtest.h>
#include <cmath>
#include "engine/state.h"
#include "render/colour.h"
#include "ui/message.h"

namespace {
uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

void Picture(int w, int h, int iteration) {
    BuildPalette();
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
    View = ViewParams{};
    View.Iteration = View.Alt_Iteration = iteration;
    View.Color = View.Alt_Color = 4.0;
}
}  // namespace

TEST(Colour, PaletteStopsAndBlends) {
    BuildPalette();
    EXPECT_EQ(Palette[0], 0u);
    EXPECT_EQ(Palette[253], 0u);
    EXPECT_EQ(Palette[254], 0u);
    EXPECT_EQ(Palette[255], 0u);
    EXPECT_EQ(Palette[27], Rgb(34, 47, 174));
    EXPECT_EQ(Palette[114], Rgb(237, 255, 255));
    EXPECT_EQ(Palette[157], Rgb(255, 165, 0));
    EXPECT_EQ(Palette[226], Rgb(128, 0, 0));
    // Between stops 3 and 4, halfway in index is 191.5; at 190 red = round(255 - 127 * 33/69).
    EXPECT_EQ(Palette[190] >> 16, uint32_t(std::nearbyint(-127.0 * (33.0 / 69.0) + 255.0)));
    // Ties go to even: stop 4 to 5 has 27 steps from 128 to 0; no entry rounds away from even.
    for (int j = 226; j <= 253; ++j) {
        double x = double(j - 226) / 27.0;
        EXPECT_EQ(Palette[j] >> 16, uint32_t(std::nearbyint(-128.0 * x + 128.0))) << j;
    }
}

TEST(Colour, CountColourRule) {
    Picture(4, 4, 256);
    EXPECT_EQ(CountColour(0), 0u);
    EXPECT_EQ(CountColour(256 - 64), Palette[0]);     // index 256 mod 256
    EXPECT_EQ(CountColour(255), Palette[4]);          // n = 1
    View.Offset = 300;                                // only the low 8 bits of the sum count
    EXPECT_EQ(CountColour(255), Palette[(4 + 300) & 255]);
    View.Offset = 0;
    View.Color = 0.5;
    EXPECT_EQ(CountColour(255), Palette[0]);          // 0.5 rounds to 0
    EXPECT_EQ(CountColour(253), Palette[2]);          // 1.5 rounds to 2
    EXPECT_EQ(CountColour(251), Palette[2]);          // 2.5 rounds to 2
    View.Color = 1.0001e9;                            // large products still pick an entry
    EXPECT_EQ(CountColour(1), Palette[uint64_t(std::llrint(255 * 1.0001e9)) & 255]);
    View.Color = -3;                                  // negative indices wrap
    EXPECT_EQ(CountColour(255), Palette[253]);
}

TEST(Colour, AutomaticLimitWithoutEscapes) {
    struct { int zoom; int32_t limit; } cases[] = {{0, 256}, {3, 256}, {4, 269}, {10, 2247}};
    for (auto c : cases) {
        Picture(8, 4, 300);
        View.ld_Zoom = c.zoom;
        for (int p = 0; p < 32; ++p) ScreenImage[p] = 0;
        MeasureAndColour();
        EXPECT_EQ(View.Iteration, c.limit) << c.zoom;
        EXPECT_EQ(View.Alt_Iteration, c.limit);
        EXPECT_EQ(InsideCount, 32u);
        EXPECT_EQ(NAt(7, 3), 0);
    }
}

TEST(Colour, AutomaticLimitFromEscapeStatistics) {
    Picture(4, 2, 1000);
    // Escape step 100 four times and four inside pixels: the divisor is 4 + 1, the factor
    // 5 + 7 * 4 / 8, and the result lies above 256, so it is averaged with 256.
    for (int p = 0; p < 8; ++p) ScreenImage[p] = p < 4 ? 900 : 0;
    MeasureAndColour();
    EXPECT_EQ(InsideCount, 4u);
    double mean = std::sqrt(std::sqrt(4 * 1e8 / 5));
    EXPECT_EQ(View.Iteration, std::llrint((8.5 * mean + 256) / 2));
    EXPECT_EQ(View.Alt_Iteration, View.Iteration);
    // The counts move with the limit, so the escape step and the colour stay.
    EXPECT_EQ(NAt(0, 0), View.Iteration - 100);
    EXPECT_EQ(NAt(0, 1), 0);
}

TEST(Colour, ManualLimitStaysAndCountsShiftWithTheLimit) {
    Picture(2, 1, 300);
    View.Alt_Iteration = 0;
    ScreenImage[0] = 50;
    ScreenImage[1] = 0;
    MeasureAndColour();
    EXPECT_EQ(View.Iteration, 300);
    EXPECT_EQ(View.Alt_Iteration, 0);
    EXPECT_EQ(NAt(0, 0), 50);
    EXPECT_EQ(ScreenImage[0], CountColour(50));

    // An automatic limit far below the escape step of a pixel turns it inside (black);
    // pixels that escaped within the new limit keep their colour.
    Picture(100, 11, 5000);
    ScreenImage[0] = 1;                                        // escape step 4999
    for (int p = 1; p < 1100; ++p) ScreenImage[p] = 4990;      // escape step 10
    uint32_t before = CountColour(4990);
    MeasureAndColour();
    ASSERT_LT(View.Iteration, 4999);
    EXPECT_EQ(NAt(0, 0), 0);
    EXPECT_EQ(ScreenImage[0], 0u);
    EXPECT_EQ(NAt(1, 0), View.Iteration - 10);
    EXPECT_EQ(ScreenImage[1], before);
}

TEST(Colour, RangeCheckClampsAndReports) {
    Picture(2, 2, 256);
    Messages.MessageCode = 0;
    View.Color = 2e9;
    EXPECT_FALSE(CheckColorRange());
    EXPECT_EQ(View.Color, 1.0001e9);
    EXPECT_EQ(Messages.MessageCode, 91);
    View.Color = 9.091e-10;
    EXPECT_FALSE(CheckColorRange());
    EXPECT_EQ(View.Color, 9.999e-10);
    EXPECT_EQ(Messages.MessageCode, 92);
    Messages.MessageCode = 0;
    View.Color = 1;
    EXPECT_TRUE(CheckColorRange());
    View.Color = NAN;
    EXPECT_TRUE(CheckColorRange());
    EXPECT_EQ(Messages.MessageCode, 0);
}

TEST(Colour, RecolourFromCounts) {
    Picture(3, 2, 256);
    int32_t counts[6] = {0, 255, 192, 17, 1, 256};
    for (int i = 0; i < 6; ++i) NAt(i % 3, i / 3) = counts[i];
    View.Offset = 32;
    RecolourCounts();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ScreenImage[i], CountColour(counts[i])) << i;
    EXPECT_EQ(ScreenImage[0], 0u);
    EXPECT_EQ(ScreenImage[1], Palette[36]);
}
