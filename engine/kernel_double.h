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
