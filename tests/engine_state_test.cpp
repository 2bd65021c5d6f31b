// The calculation set-up: geometry in all three formats, the number-format rule, the clock,
// and the start-up checks of the engine state.
#include <gtest/gtest.h>
#include <cmath>
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"

namespace {
void DefaultView(int w, int h) {
    InitEngineState();
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
    View = ViewParams{};
    View.Center_zY = ToLong128(-0.5);
    View.Iteration = View.Alt_Iteration = 256;
    View.Color = View.Alt_Color = 4.0;
    View.FPU_Mode = 1;
}
uint8_t ModeAt(int zoom, int cpuPrev, uint8_t fpu = 1) {
    View.ld_Zoom = zoom;
    View.CPU_Prev = cpuPrev;
    View.FPU_Mode = fpu;
    SetupCalculation();
    return Calc.NumberMode;
}
}  // namespace

TEST(Setup, DefaultViewGeometry) {
    DefaultView(1024, 768);
    Cycle.PassState = 5;
    Work.LivePass = false;
    HeadlessAdvanceClock(2500);
    SetupCalculation();
    EXPECT_EQ(Calc.PixelStep, 1.0 / 256);
    EXPECT_EQ(Calc.PixelStep128, ToLong128(1.0 / 256));
    EXPECT_EQ(Calc.PixelStep60, Fixed60(1) << 52);
    EXPECT_EQ(Calc.Origin_zX, ToLong128(-2.0));
    EXPECT_EQ(Calc.Origin_zY, ToLong128(-2.0));
    EXPECT_EQ(Calc.OriginD_zX, -2.0);
    EXPECT_EQ(Calc.Origin60_zY, -(Fixed60(2) << 60));
    EXPECT_FALSE(Calc.WideRange);
    EXPECT_EQ(Calc.NumberMode, ModeDouble);
    EXPECT_TRUE(Work.LivePass);
    EXPECT_EQ(Cycle.PassState, 0);
    EXPECT_EQ(Calc.CalcStartMs, 2500);
    EXPECT_EQ(Calc.ProgressShowTime, 25000000 + 10000000);
}

TEST(Setup, CentrePixelLiesOnTheCentreAtEveryZoom) {
    DefaultView(1920, 1200);
    View.Center_zX = DecimalToLong128("0.13182590420531197049");
    View.Center_zY = DecimalToLong128("-0.74364388703715870475");
    for (int zoom = -4; zoom <= 112; ++zoom) {
        View.ld_Zoom = zoom;
        SetupCalculation();
        long128 x = Calc.Origin_zX, y = Calc.Origin_zY;
        for (int i = 0; i < 960; ++i) x = Add128(x, Calc.PixelStep128);
        for (int i = 0; i < 600; ++i) y = Add128(y, Calc.PixelStep128);
        ASSERT_EQ(x, View.Center_zX) << zoom;
        ASSERT_EQ(y, View.Center_zY) << zoom;
        ASSERT_EQ(Calc.PixelStep, std::ldexp(1.0, -(8 + zoom)));
    }
    EXPECT_EQ(Calc.PixelStep128, (long128{1, 0}));
    EXPECT_EQ(Calc.PixelStep60, 0);
    View.ld_Zoom = 52;
    SetupCalculation();
    EXPECT_EQ(Calc.PixelStep60, 1);
}

TEST(Setup, WideRange) {
    DefaultView(1024, 768);
    EXPECT_EQ(ModeAt(-1, 0), ModeDouble);
    EXPECT_TRUE(Calc.WideRange);
    // Centre 3.0 at zoom 0, 512 wide: the right edge reaches 4.0.
    DefaultView(512, 384);
    View.Center_zX = ToLong128(3.0);
    View.Center_zY = ToLong128(0.0);
    EXPECT_EQ(ModeAt(60, 0), ModeLong128);
    EXPECT_FALSE(Calc.WideRange);   // at zoom 60 the view is tiny
    EXPECT_EQ(ModeAt(0, 0), ModeDouble);
    EXPECT_TRUE(Calc.WideRange);
    // Just inside: origin at -3.875 on the vertical axis.
    DefaultView(512, 384);
    View.Center_zY = ToLong128(-3.875 + 0.75);
    EXPECT_EQ(ModeAt(0, 0, 0), ModeFixed60);
    View.Center_zY = ToLong128(-3.16);   // origin at -3.91
    EXPECT_EQ(ModeAt(0, 0, 0), ModeDouble);
}

TEST(Setup, NumberFormatSwitchPoints) {
    DefaultView(1024, 768);
    EXPECT_EQ(ModeAt(45, 0), ModeDouble);
    EXPECT_EQ(ModeAt(46, 0), ModeFixed60);
    EXPECT_EQ(ModeAt(52, 0), ModeFixed60);
    EXPECT_EQ(ModeAt(53, 0), ModeLong128);
    EXPECT_EQ(ModeAt(112, 0), ModeLong128);
    EXPECT_EQ(ModeAt(37, 8), ModeDouble);
    EXPECT_EQ(ModeAt(38, 8), ModeFixed60);
    EXPECT_EQ(ModeAt(44, 8), ModeFixed60);
    EXPECT_EQ(ModeAt(45, 8), ModeLong128);
    EXPECT_EQ(ModeAt(10, 0, 0), ModeFixed60);
    EXPECT_EQ(ModeAt(0, 0, 0), ModeFixed60);
    EXPECT_EQ(ModeAt(-2, 0, 0), ModeDouble);
}

TEST(Setup, AutomaticColourScale) {
    DefaultView(1024, 768);
    struct { int zoom; double color; } cases[] = {
        {0, 4.0}, {10, double(3.4f)}, {20, 2.8000001907348633}, {50, 1.0}, {51, 1.0}, {112, 1.0}};
    for (auto c : cases) {
        View.Color = View.Alt_Color = 4.0;
        ModeAt(c.zoom, 0);
        EXPECT_EQ(View.Color, c.color) << c.zoom;
        EXPECT_EQ(View.Alt_Color, c.color) << c.zoom;
    }
    View.Color = 5;
    View.Alt_Color = 4;
    ModeAt(20, 0);
    EXPECT_EQ(View.Color, 5);
    EXPECT_EQ(View.Alt_Color, 0);
    View.Color = View.Alt_Color = NAN;   // unordered: treated as set by hand
    ModeAt(20, 0);
    EXPECT_EQ(View.Alt_Color, 0);
}

TEST(Setup, ClockIsSinglePrecisionMilliseconds) {
    InitEngineState();
    auto at = [](int64_t ticks) {   // the virtual counter only moves forward
        HeadlessAdvanceTicks(ticks - PlatPerfCounter());
        return ClockMs();
    };
    EXPECT_EQ(at(int64_t(1) << 20), 105);   // 104.8576 ms
    EXPECT_EQ(at(35000000 + 15000), 3502);  // 3501.5 ms: a tie, to even
    EXPECT_EQ(at(35000000 + 25000), 3502);  // 3502.5 ms
    // The float counter keeps 24 bits: 2^30 + 64 ticks read as 2^30, i.e. 107374.1824 ms.
    EXPECT_EQ(at((int64_t(1) << 30) + 64), 107374);
}

TEST(Setup, StartUpStateAndBufferLayout) {
    Counts.N_array[0] = 5;
    Counts.N_array[NArrayCount - 1] = 6;
    InitEngineState();
    EXPECT_EQ(Counts.N_array[0], 0);
    EXPECT_EQ(Counts.N_array[NArrayCount - 1], 0);
    EXPECT_EQ(Work.TilePos, -1);
    EXPECT_EQ(Calc.QpcFrequency, 10000000);
    HeadlessThrowOnExit(true);
    EXPECT_NO_THROW(CheckBufferLayout());
    EXPECT_STREQ(HeadlessLastMessageBox(), "");
    EXPECT_EQ(&NAt(-64, -64), &Counts.N_array[0]);
    EXPECT_EQ(&NAt(1983, 1263), &Counts.N_array[NArrayCount - 1]);
}
