// engine/kernel_fixed60.h - the Fixed60 arithmetic of the strip walk, shared by the scalar
// kernel and the vector passes, which must give the same bits lane by lane.
#pragma once
#include <cstdint>
#include "engine/fixed.h"
#include "engine/state.h"
#include "engine/work.h"

inline Fixed60 WrapFixed60(uint64_t v) { return static_cast<Fixed60>(v); }

struct Fixed60Arith {
    static constexpr bool Paired = true;
    typedef Fixed60 Coord;
    typedef Fixed60 Value;

    static Coord StartX(int t) { return StripStart.X60[t]; }
    static Coord StartY() { return StripStart.Y60; }
    static void Step(Coord& c) { c = WrapFixed60(uint64_t(c) + uint64_t(Calc.PixelStep60)); }
    static Coord StepBy(Coord c, int k) { return WrapFixed60(uint64_t(c) + uint64_t(int64_t(k)) * uint64_t(Calc.PixelStep60)); }
    static Value PointX(Coord c) { return c; }
    static Value PointY(Coord c) { return c; }

    // |x| >= 2 or |y| >= 2 means a square of 4 or more and ends the orbit in this pass, like
    // sx + sy >= 4. (x = -2 itself passes the range test, but its exact square 4 then fails
    // the sum test.) The overflow exit of 2xy + cx needs no test of its own: it can only
    // happen when sx + sy >= 4 or |cx| >= 4 - 2^-59, and a pixel with |cx| >= 2 already
    // leaves in its first pass, so the exit would always coincide with another one.
    static bool Pass(Fixed60 x, Fixed60 y, Fixed60 cx, Fixed60 cy, Fixed60& nx, Fixed60& ny) {
        const uint64_t half = uint64_t(1) << 61;   // both in [-2, 2) in one test
        bool out = (((uint64_t(x) + half) | (uint64_t(y) + half)) >> 62) != 0;
        const Fixed60 x4 = Times4(x), y4 = Times4(y);
        const uint64_t sx = Square60Of4(x4), sy = Square60Of4(y4);
        nx = WrapFixed60(uint64_t(TwiceProduct60Of4(x4, y4)) + uint64_t(cx));
        ny = WrapFixed60(sy - sx + uint64_t(cy));
        out |= ((sx + sy) >> 62) != 0;   // sx + sy >= 4
        return out;
    }
};
