// engine/simd_ifma_lanes.h - the lanes of the strip kernels on AVX-512 with the 52-bit integer
// multiply-adds (IFMA), written once for the Fixed60 and the long128 format: eight orbits a
// vector, each coordinate in the form C of the format's vector pass, for the lane machinery
// (lane_kernel.h).
//
// Include inside a vector region for "avx512f,avx512ifma" (engine/vector_region_begin.h),
// after <immintrin.h> and engine/simd_escapes512.h; internal linkage, like everything
// compiled for one instruction set.
//
// The coordinate form C provides:
//   C::Arith                  the scalar arithmetic of the format
//   C::Coord                  one coordinate of eight orbits
//   C::Zero()                 0 in every lane
//   C::Load(p)                eight coordinates from memory (values of C::Arith)
//   C::Blend(to, lanes, v)    v in the selected lanes of to
//   C::Same(within, a, b)     the lanes of within in which a and b hold the same bits
//   C::Pass(x, y, cx, cy)     one pass z -> z^2 + c in place; the lane bits of the lanes
//                             whose old z escapes
#pragma once
#include "engine/vector_region.h"

namespace {

template <class C>
struct Ifma512Lanes {
    typedef typename C::Arith Arith;
    typedef typename C::Coord Coord;
    typedef typename Arith::Value Value;
    static constexpr int Width = 8;

    struct Orbits {
        Coord x, y, cx, cy;
        Coord rx, ry;               // an earlier z of the same orbit
        StickyEscapes512 escapes;   // sums wrap: the mark must stay
    };

    static void Idle(Orbits& o) {
        o.x = o.y = o.cx = o.cy = o.rx = o.ry = C::Zero();
        o.escapes.Clear();
    }

    // Both passes are exact for every c.
    [[gnu::always_inline]] static bool Fits(Value, Value) { return true; }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        return o.escapes.Mark(C::Pass(o.x, o.y, o.cx, o.cy));
    }

    static void Escaped(const Orbits& o, int64_t* after) { o.escapes.Store(after); }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        return C::Same(C::Same(__mmask8(0xFF), o.x, o.rx), o.y, o.ry);
    }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }

    [[gnu::always_inline]] static void Put(Orbits& o, uint32_t lanes, const Value* px, const Value* py) {
        const __mmask8 sel = __mmask8(lanes);
        const Coord vx = C::Load(px), vy = C::Load(py);
        C::Blend(o.x, sel, vx);
        C::Blend(o.cx, sel, vx);
        C::Blend(o.rx, sel, vx);
        C::Blend(o.y, sel, vy);
        C::Blend(o.cy, sel, vy);
        C::Blend(o.ry, sel, vy);
        o.escapes.Reset(sel);
    }
};

}  // namespace
