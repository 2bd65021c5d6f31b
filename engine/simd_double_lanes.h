// engine/simd_double_lanes.h - the double lanes of the vector strip kernels, written once
// for every vector width: the scalar pass in its order, lane by lane, on the operations V of
// one instruction set (or on emulated vectors in the tests). Each lane rounds exactly as the
// scalar pass does (the same operations in the same order, no fused multiply-add, escape on
// an ordered s >= 4 so NaN never escapes), so the counts are the scalar kernel's.
//
// The operations V provides, each one instruction or two on every lane:
//   V::Width                    lanes per vector
//   V::Vec, V::Mask, V::Counts  doubles; a lane selection; 64-bit counters
//   V::Zero(), V::ZeroCounts(), V::Four()
//   V::Mul(a, b), V::Add(a, b), V::Sub(a, b)
//   V::Twice(t)                 t + t, rounded as that sum is
//   V::NotBelow(s, f)           the lanes where !(s < f): true for NaN as well
//   V::Same(x, rx, y, ry)       the lanes where x == rx and y == ry
//   V::Bits(m)                  one bit per lane of a selection
//   V::Lanes(bits)              the selection of the lanes whose bits are set
//   V::Select(m, a, b)          a where m is set, else b
//   V::CountUp(c, m)            c + 1 in the selected lanes
//   V::ClearCounts(c, m)        0 in the selected lanes
//   V::Load(p), V::Store(p, v), V::StoreCounts(p, c)
//
// Include inside a vector region (engine/vector_region_begin.h), or with emulated vectors;
// internal linkage, like everything compiled for one instruction set.
#pragma once
#include "engine/vector_region.h"

namespace {

template <class V>
struct DoubleLanes {
    typedef DoubleArith Arith;
    static constexpr int Width = V::Width;
    typedef typename V::Vec Vec;

    struct Orbits {
        Vec x, y, cx, cy;
        Vec rx, ry;                   // an earlier z of the same orbit
        typename V::Counts after;     // passes since the escape
    };

    static void Idle(Orbits& o) {
        o.x = o.y = o.cx = o.cy = o.rx = o.ry = V::Zero();
        o.after = V::ZeroCounts();
    }

    [[gnu::always_inline]] static bool Fits(double cx, double cy) { return LeavesForGood(cx, cy); }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        const Vec a = V::Mul(o.x, o.x);
        const Vec b = V::Mul(o.y, o.y);
        const Vec t = V::Twice(V::Mul(o.x, o.y));
        o.x = V::Add(t, o.cx);
        o.y = V::Add(V::Sub(b, a), o.cy);
        // Not s < 4: the same as s >= 4 until the escape, after it also true for the NaN the
        // orbit overflows to, so the lane stays marked and its count of passes goes on.
        const auto out = V::NotBelow(V::Add(a, b), V::Four());
        o.after = V::CountUp(o.after, out);
        return V::Bits(out);
    }

    static void Escaped(const Orbits& o, int64_t* after) { V::StoreCounts(after, o.after); }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) { return V::Bits(V::Same(o.x, o.rx, o.y, o.ry)); }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }

    [[gnu::always_inline]] static void Put(Orbits& o, uint32_t lanes, const double* px, const double* py) {
        PutAt(o, lanes, px, py, px, py);
    }

    [[gnu::always_inline]] static void PutAt(Orbits& o, uint32_t lanes, const double* px, const double* py,
                                             const double* zx, const double* zy) {
        const auto sel = V::Lanes(lanes);
        const Vec vx = V::Load(zx), vy = V::Load(zy);
        o.x = V::Select(sel, vx, o.x);
        o.rx = V::Select(sel, vx, o.rx);
        o.cx = V::Select(sel, V::Load(px), o.cx);
        o.y = V::Select(sel, vy, o.y);
        o.ry = V::Select(sel, vy, o.ry);
        o.cy = V::Select(sel, V::Load(py), o.cy);
        o.after = V::ClearCounts(o.after, sel);
    }

    static void Z(const Orbits& o, double* zx, double* zy) {
        V::Store(zx, o.x);
        V::Store(zy, o.y);
    }
};

}  // namespace
