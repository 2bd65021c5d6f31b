// engine/kernel_fixed60.cpp - the strip kernel in Fixed60, for the zooms between the double
// and the long128 formats. Used only while the whole view lies inside (-3.9, 3.9), where
// every early exit of a pass agrees with the escape test |z|^2 >= 4.
#include "engine/kernels.h"
#include "engine/strip.h"

namespace {
inline Fixed60 Wrap(uint64_t v) { return static_cast<Fixed60>(v); }

struct Fixed60Arith {
    static constexpr bool Paired = true;
    typedef Fixed60 Coord;
    typedef Fixed60 Value;

    static Coord StartX(int t) { return StripStart.X60[t]; }
    static Coord StartY() { return StripStart.Y60; }
    static void Step(Coord& c) { c = Wrap(uint64_t(c) + uint64_t(Calc.PixelStep60)); }
    static Value PointX(Coord c) { return c; }
    static Value PointY(Coord c) { return c; }

    // |x| >= 2 or |y| >= 2 means a square of 4 or more; an overflow of 2xy + cx can only
    // happen when |z|^2 >= 4. Both count as the escape of this pass, so the values formed
    // after such an exit are never used. (x = -2 itself passes the range test, but its
    // exact square 4 then fails the sum test in the same pass.)
    static bool Pass(Fixed60 x, Fixed60 y, Fixed60 cx, Fixed60 cy, Fixed60& nx, Fixed60& ny) {
        const uint64_t half = uint64_t(1) << 61;   // both in [-2, 2) in one test
        bool out = (((uint64_t(x) + half) | (uint64_t(y) + half)) >> 62) != 0;
        const Fixed60 x4 = Times4(x), y4 = Times4(y);
        const uint64_t sx = Square60Of4(x4), sy = Square60Of4(y4);
        out |= __builtin_add_overflow(TwiceProduct60Of4(x4, y4), cx, &nx);
        ny = Wrap(sy - sx + uint64_t(cy));
        out |= ((sx + sy) >> 62) != 0;   // sx + sy >= 4
        return out;
    }
};
}  // namespace

void ComputeStripFixed60(int t) { StripWalk<Fixed60Arith>(t).Run(); }
