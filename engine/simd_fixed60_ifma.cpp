// engine/simd_fixed60_ifma.cpp - the Fixed60 strip kernel on AVX-512 with the 52-bit integer
// multiply-adds (IFMA): vectors of eight orbits in step (the lane machinery is
// lane_kernel.h, the pass simd_fixed60_pass.h). Each lane gives the bits of the scalar pass,
// so the counts are the scalar kernel's.
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_fixed60.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx512f,avx512ifma,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_escapes512.h"
#include "engine/simd_ifma_ops.h"
#include "engine/simd_fixed60_pass.h"

namespace {
struct Ifma512Fixed60 {
    typedef Fixed60Arith Arith;
    // A pass is a chain of about 18 cycles; four vectors keep the multiply-add units busy
    // (measured: three reach about four fifths of the rate).
    static constexpr int Width = 8, Vectors = 4, Batch = 12, Patience = 48, Sieve = 0;

    struct Orbits {
        __m512i x, y, cx, cy;
        __m512i rx, ry;   // an earlier z of the same orbit
        StickyEscapes512 escapes;   // sums wrap: the mark must stay
    };

    static void Idle(Orbits& o) {
        o.x = o.y = o.cx = o.cy = o.rx = o.ry = _mm512_setzero_si512();
        o.escapes.Clear();
    }

    [[gnu::always_inline]] static bool Fits(Fixed60, Fixed60) { return true; }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        return o.escapes.Mark(PassFixed60<Ifma512Ops>(o.x, o.y, o.cx, o.cy));
    }

    static void Escaped(const Orbits& o, int64_t* after) { o.escapes.Store(after); }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        return _mm512_mask_cmpeq_epi64_mask(_mm512_cmpeq_epi64_mask(o.x, o.rx), o.y, o.ry);
    }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }

    [[gnu::always_inline]] static void Put(Orbits& o, uint32_t lanes, const Fixed60* px, const Fixed60* py) {
        const __mmask8 sel = __mmask8(lanes);
        const __m512i vx = _mm512_loadu_si512(px), vy = _mm512_loadu_si512(py);
        o.x = _mm512_mask_mov_epi64(o.x, sel, vx);
        o.cx = _mm512_mask_mov_epi64(o.cx, sel, vx);
        o.rx = _mm512_mask_mov_epi64(o.rx, sel, vx);
        o.y = _mm512_mask_mov_epi64(o.y, sel, vy);
        o.cy = _mm512_mask_mov_epi64(o.cy, sel, vy);
        o.ry = _mm512_mask_mov_epi64(o.ry, sel, vy);
        o.escapes.Reset(sel);
    }
};
}  // namespace

void ComputeStripFixed60Ifma(int t) { LaneKernel<Ifma512Fixed60>(t).Run(); }
#include "engine/vector_region_end.h"
