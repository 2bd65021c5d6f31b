// engine/kernel_double.cpp - the strip kernel in IEEE double, for views up to a pixel step
// of about 2^-53. Every operation is rounded on its own, in a fixed order, so the counts are
// the same on every build (contraction into fused multiply-add is switched off globally).
#include "engine/kernels.h"
#include "engine/strip.h"

namespace {
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
}  // namespace

void ComputeStripDouble(int t) { StripWalk<DoubleArith>(t).Run(); }
