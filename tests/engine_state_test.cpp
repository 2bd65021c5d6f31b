// The calculation set-up: geometry in all three formats, the number-format rule, the
// automatic colour scale, the clock and the start-up state.
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>
#include "engine/centre.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "render/cycle.h"

namespace {
void View1024(double centreY = -0.5, double centreX = 0, int w = 1024, int h = 768) {
    InitEngineState();
    Calc.WindowWidth = w, Calc.WindowHeight = h;
    View = ViewParams{};
    View.Center_zY = ToLong128(centreY), View.Center_zX = ToLong128(centreX);
    View.Color = View.Alt_Color = 4.0;
    View.FPU_Mode = 1;
}
uint8_t ModeAt(int zoom, int cpuPrev = 0, uint8_t fpu = 1) {
    View.ld_Zoom = zoom, View.CPU_Prev = cpuPrev, View.FPU_Mode = fpu;
    SetupCalculation();
    return Calc.NumberMode;
}
}  // namespace

TEST(Setup, DefaultViewGeometryAndBookkeeping) {
    View1024();
    Cycle.PassState = PassTakenOverRefine;
    Work.LivePass = false;
    HeadlessAdvanceClock(2500);
    SetupCalculation();
    EXPECT_EQ(Calc.PixelStep, 1.0 / 256);
    EXPECT_EQ(Calc.PixelStep128, ToLong128(1.0 / 256));
    EXPECT_EQ(Calc.PixelStep60, Fixed60(1) << 52);
    EXPECT_EQ(Calc.Origin_zX, ToLong128(-2.0));
    EXPECT_EQ(Calc.OriginD_zY, -2.0);
    EXPECT_EQ(Calc.Origin60_zY, -(Fixed60(2) << 60));
    EXPECT_FALSE(Calc.WideRange);
    EXPECT_EQ(Calc.NumberMode, ModeDouble);
    EXPECT_TRUE(Work.LivePass);
    EXPECT_EQ(Cycle.PassState, 0);
    EXPECT_EQ(Calc.CalcStartMs, 2500);
    EXPECT_EQ(Calc.ProgressShowTime, 25000000 + 10000000);
}

TEST(Setup, CentrePixelLiesOnTheCentreAtEveryZoom) {
    View1024(0, 0, 1920, 1200);
    View.Center_zX = DecimalToLong128("0.13182590420531197049");
    View.Center_zY = DecimalToLong128("-0.74364388703715870475");
    for (int zoom = -4; zoom <= 112; ++zoom) {
        ModeAt(zoom);
        long128 x = Calc.Origin_zX, y = Calc.Origin_zY;
        for (int i = 0; i < 960; ++i) x = Add128(x, Calc.PixelStep128);
        for (int i = 0; i < 600; ++i) y = Add128(y, Calc.PixelStep128);
        ASSERT_TRUE(x == View.Center_zX && y == View.Center_zY) << zoom;
        ASSERT_EQ(Calc.PixelStep, std::ldexp(1.0, -(8 + zoom)));
        ASSERT_EQ(Calc.PixelStep60, zoom <= 52 ? Fixed60(1) << (52 - zoom) : 0);
    }
    EXPECT_EQ(Calc.PixelStep128, (long128{1, 0}));
}

TEST(Setup, NumberFormatTable) {
    View1024();
    const struct { int zoom, cpuPrev; uint8_t fpu, mode; } table[] = {
        {45, 0, 1, ModeDouble}, {46, 0, 1, ModeFixed60}, {52, 0, 1, ModeFixed60}, {53, 0, 1, ModeLong128},
        {112, 0, 1, ModeLong128}, {37, 8, 1, ModeDouble}, {38, 8, 1, ModeFixed60}, {44, 8, 1, ModeFixed60},
        {45, 8, 1, ModeLong128}, {10, 0, 0, ModeFixed60}, {0, 0, 0, ModeFixed60}, {-1, 0, 0, ModeDouble}};
    for (auto c : table) {
        EXPECT_EQ(ModeAt(c.zoom, c.cpuPrev, c.fpu), c.mode) << c.zoom << " " << c.cpuPrev;
        EXPECT_EQ(Calc.WideRange, c.zoom < 0);
    }
    // Edges at 3.9: centre 3.0 at zoom 0, 512 wide, reaches 4.0; an origin at -3.875 does not.
    View1024(0, 3.0, 512, 384);
    EXPECT_EQ(ModeAt(0, 0, 0), ModeDouble);
    EXPECT_TRUE(Calc.WideRange);
    EXPECT_EQ(ModeAt(60), ModeLong128);
    View1024(-3.125, 0, 512, 384);
    EXPECT_EQ(ModeAt(0, 0, 0), ModeFixed60);
    View1024(-3.16, 0, 512, 384);
    EXPECT_EQ(ModeAt(0, 0, 0), ModeDouble);
}

TEST(Setup, AutomaticColourScale) {
    View1024();
    const struct { int zoom; double colour; } cases[] = {
        {0, 4.0}, {10, double(3.4f)}, {20, 2.8000001907348633}, {50, 1.0}, {51, 1.0}};
    for (auto c : cases) {
        View.Color = View.Alt_Color = 4.0;
        ModeAt(c.zoom);
        EXPECT_EQ(View.Color, c.colour) << c.zoom;
        EXPECT_EQ(View.Alt_Color, c.colour) << c.zoom;
    }
    View.Color = 5, View.Alt_Color = 4;
    ModeAt(20);
    EXPECT_EQ(View.Color, 5);
    EXPECT_EQ(View.Alt_Color, 0);
    View.Color = View.Alt_Color = NAN;   // unordered: treated as set by hand
    ModeAt(20);
    EXPECT_EQ(View.Alt_Color, 0);
}

TEST(Setup, ClockAndStartUpState) {
    Counts.N_array[0] = 5, Counts.N_array[NArrayCount - 1] = 6;
    InitEngineState();
    EXPECT_EQ(Counts.N_array[0] | Counts.N_array[NArrayCount - 1], 0);
    EXPECT_EQ(Work.TilePos, -1);
    EXPECT_EQ(Calc.QpcFrequency, 10000000);
    HeadlessThrowOnExit(true);
    EXPECT_NO_THROW(CheckBufferLayout());
    EXPECT_EQ(&NAt(1983, 1263) + 1, &Counts.WorkMask[0]);

    auto at = [](int64_t ticks) {   // the virtual counter only moves forward
        HeadlessAdvanceTicks(ticks - PlatPerfCounter());
        return ClockMs();
    };
    EXPECT_EQ(at(int64_t(1) << 20), 105);            // 104.8576 ms
    EXPECT_EQ(at(35000000 + 15000), 3502);           // 3501.5: a tie, to even
    EXPECT_EQ(at(35000000 + 25000), 3502);           // 3502.5
    EXPECT_EQ(at((int64_t(1) << 30) + 64), 107374);  // the float counter drops the 64 ticks
}

// A decimal of any length converts exactly, truncated towards zero: the exact decimal of a
// coordinate down to its last bit (written by long multiplication) reads back as its bits,
// and so it does with more digits after it.
TEST(Centre, DecimalsOfAnyLengthConvertExactlyAndTruncate) {
    CentreCoord c{};
    c.W[0] = 0x3A23456789ABCDEFull, c.W[1] = 0xF00DFACE12345678ull, c.W[CentreWords - 1] = 0x8000000000000001ull;
    // All the fraction's bits and 8 zeros as an integer of 32-bit limbs, least significant first.
    const int limbCount = 2 * CentreWords;
    std::vector<uint64_t> limbs(static_cast<size_t>(limbCount), 0);
    for (int i = 8; i < 64 * CentreWords; ++i)
        limbs[size_t(limbCount - 1 - (i - 8) / 32)] |= (c.W[i / 64] >> (63 - i % 64) & 1) << (31 - (i - 8) % 32);
    std::string digits = std::to_string(c.W[0] >> 56) + ".";
    for (int d = 0; d < 32 * limbCount; ++d) {   // times ten; the carry out of the top is the next digit
        uint64_t carry = 0;
        for (uint64_t& l : limbs) {
            l = l * 10 + carry;
            carry = l >> 32;
            l &= 0xFFFFFFFF;
        }
        digits += char('0' + carry);
    }
    for (const std::string& tail : {std::string(), std::string("9"), std::string(5000, '7')}) {
        CentreCoord back;
        ASSERT_TRUE(DecimalToCentre((digits + tail).c_str(), &back));
        EXPECT_EQ(CompareCentre(back, c), 0) << tail.size();
        ASSERT_TRUE(DecimalToCentre(("-" + digits + tail).c_str(), &back));
        EXPECT_EQ(CompareCentre(back, NegatedCentre(c)), 0) << tail.size();
    }
    CentreCoord v;
    for (const char* bad : {"", ".", "-", "1e5", "128", "-128", "0x1", "1.2.3", " 1", "1 "})
        EXPECT_FALSE(DecimalToCentre(bad, &v)) << bad;
    for (const char* good : {"127.99", "+.5", "-0", "7."}) EXPECT_TRUE(DecimalToCentre(good, &v)) << good;
}
