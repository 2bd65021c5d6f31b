// engine/kernel_long128.h - the long128 arithmetic of the strip walk, shared by the scalar
// kernel and the vector passes, which must give the same bits lane by lane.
#pragma once
#include <cstdint>
#include "engine/fixed.h"
#include "engine/state.h"
#include "engine/work.h"

struct Long128Arith {
    static constexpr bool Paired = false;   // two orbits of four words each do not fit the registers
    typedef long128 Coord;
    typedef long128 Value;

    static Coord StartX(int t) { return StripStart.X128[t]; }
    static Coord StartY() { return StripStart.Y128; }
    static void Step(Coord& c) { c = Add128(c, Calc.PixelStep128); }
    // k >= 0 steps at once, modulo 2^128 as k single steps.
    static Coord StepBy(Coord c, int k) {
        const u128 s = ((u128(Calc.PixelStep128.hi) << 64) | Calc.PixelStep128.lo) * u128(uint64_t(k));
        return Add128(c, {uint64_t(s), uint64_t(s >> 64)});
    }
    static Value PointX(Coord c) { return c; }
    static Value PointY(Coord c) { return c; }

    static bool Pass(long128 x, long128 y, long128 cx, long128 cy, long128& nx, long128& ny) {
        long128 sx = Square128(x), sy = Square128(y);
        nx = Add128(TwiceProduct128(x, y), cx);
        ny = Add128(Sub128(sy, sx), cy);
        // sx + sy >= 4 shows in the top six bits of the sum.
        return (Add128(sx, sy).hi >> 58) != 0;
    }

    // Whether c lies in [-4, 4): an orbit from there stays within [-8, 8) until it escapes,
    // since a pass that does not escape has |x|, |y| < 2, so |2xy| and |y^2 - x^2| are at
    // most 4. The pass of the avx2 path needs no more range than that.
    static bool CloseToOrigin(long128 c) { return ((c.hi + (uint64_t(1) << 58)) >> 59) == 0; }
};
