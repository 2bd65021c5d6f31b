// engine/kernel_fixed60.cpp - the strip kernel in Fixed60, for the zooms between the double
// and the long128 formats. Used only while the whole view lies inside (-3.9, 3.9), where
// every early exit of a pass agrees with the escape test |z|^2 >= 4.
#include "engine/kernels.h"
#include "engine/strip.h"

namespace {
constexpr Fixed60 Four60 = Fixed60(4) << 60;

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

    // A square of 4 or more, or an overflow of 2xy + cx, can only happen when |z|^2 >= 4
    // and counts as that escape; the values formed after such an exit are never used.
    static bool Pass(Fixed60 x, Fixed60 y, Fixed60 cx, Fixed60 cy, Fixed60& nx, Fixed60& ny) {
        __int128 xx = Mul60Wide(x, x), yy = Mul60Wide(y, y);
        bool out = Square60AtLeast4(xx) | Square60AtLeast4(yy);
        Fixed60 sx = Product60(xx), sy = Product60(yy);
        out |= __builtin_add_overflow(TwiceProduct60(Mul60Wide(x, y)), cx, &nx);
        ny = Wrap(uint64_t(sy) - uint64_t(sx) + uint64_t(cy));
        out |= Wrap(uint64_t(sx) + uint64_t(sy)) >= Four60;
        return out;
    }
};
}  // namespace

void ComputeStripFixed60(int t) { StripWalk<Fixed60Arith>(t).Run(); }
