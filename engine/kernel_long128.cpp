// engine/kernel_long128.cpp - the strip kernel in long128, for the deepest zooms. Squares and
// the doubled cross product come from complement magnitudes (fixed.h); the orbit stays in
// range because the format is used only while the view lies inside (-3.9, 3.9).
#include "engine/kernels.h"
#include "engine/strip.h"

namespace {
struct Long128Arith {
    static constexpr bool Paired = false;   // two orbits of four words each do not fit the registers
    typedef long128 Coord;
    typedef long128 Value;

    static Coord StartX(int t) { return StripStart.X128[t]; }
    static Coord StartY() { return StripStart.Y128; }
    static void Step(Coord& c) { c = Add128(c, Calc.PixelStep128); }
    static Value PointX(Coord c) { return c; }
    static Value PointY(Coord c) { return c; }

    static bool Pass(long128 x, long128 y, long128 cx, long128 cy, long128& nx, long128& ny) {
        long128 sx = Square128(x), sy = Square128(y);
        nx = Add128(TwiceProduct128(x, y), cx);
        ny = Add128(Sub128(sy, sx), cy);
        // sx + sy >= 4 shows in the top six bits of the sum.
        return (Add128(sx, sy).hi >> 58) != 0;
    }
};
}  // namespace

void ComputeStripLong128(int t) { StripWalk<Long128Arith>(t).Run(); }
