// engine/kernel_double.h - the double arithmetic of the strip walk, shared by the scalar
// kernel and the vector ones, which must walk the same coordinates.
#pragma once
#include "engine/state.h"
#include "engine/work.h"

struct DoubleArith {
    static constexpr bool Paired = true;
    // The walk steps offsets from the origin; a pixel's coordinate is formed afresh from its
    // offset by one addition, so it does not drift along a row.
    typedef double Coord;
    typedef double Value;

    static Coord StartX(int t) { return StripStart.OffX[t]; }
    static Coord StartY() { return StripStart.OffY; }
    static void Step(Coord& off) { off = off + Calc.PixelStep; }
    // k steps at once. The step is a power of two and the walk's offsets are whole multiples
    // of it far below 2^53, so every sum is exact: the same bits as k single steps.
    static Coord StepBy(Coord off, int k) { return off + double(k) * Calc.PixelStep; }
    static Value PointX(Coord off) { return Calc.OriginD_zX + off; }
    static Value PointY(Coord off) { return Calc.OriginD_zY + off; }

    // The vector kernels repeat these operations in this order, lane by lane.
    static bool Pass(double x, double y, double cx, double cy, double& nx, double& ny) {
        double a = x * x;
        double b = y * y;
        double t = x * y;
        t = t + t;
        nx = t + cx;
        ny = (b - a) + cy;
        double s = a + b;
        return s >= 4.0;
    }
};

// Whether an orbit that escapes from c stays outside the disc of radius 2 in every later pass,
// as the vector kernels need (they tell the pass of the escape from the passes counted after
// it). Once |z| >= 2, |z * z + c| >= |z|^2 - |c| >= |z| + (2 - |c|): |z| grows in every pass,
// by far more than rounding can take back while |c|^2 < 3.99. The points of the thin rim
// outside that (a few at the tip of the real axis among them) are computed on their own.
inline bool LeavesForGood(double cx, double cy) { return cx * cx + cy * cy < 3.99; }

