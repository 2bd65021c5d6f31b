// engine/simd_long128_ifma.cpp - the long128 strip kernel on AVX-512 with the 52-bit integer
// multiply-adds (IFMA): vectors of eight orbits in step (the lane machinery is
// lane_kernel.h, the pass simd_long128_pass.h, which keeps each coordinate in three limbs).
// Each lane gives the bits of the scalar pass, so the counts are the scalar kernel's.
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_long128.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx512f,avx512ifma,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_escapes512.h"
#include "engine/simd_ifma_ops.h"
#include "engine/simd_long128_pass.h"

namespace {
struct Ifma512Long128 {
    typedef Long128Arith Arith;
    typedef Limbs128<Ifma512Ops> Limbs;
    // A pass is 44 multiply-adds and about 50 other operations. One vector alone runs at
    // half the rate (its chain of dependent operations); two run about as fast as three or
    // four in the pass alone and faster in the kernel, where an orbit vector is 19 registers
    // (measured). Batch and Patience: the best of the values tried, by a little.
    static constexpr int Width = 8, Vectors = 2, Batch = 8, Patience = 96, Sieve = 0;

    struct Orbits {
        Limbs x, y, cx, cy;
        Limbs rx, ry;     // an earlier z of the same orbit
        StickyEscapes512 escapes;   // sums wrap: the mark must stay
    };

    static void Idle(Orbits& o) {
        const __m512i zero = _mm512_setzero_si512();
        o.x = o.y = o.cx = o.cy = o.rx = o.ry = Limbs{zero, zero, zero};
        o.escapes.Clear();
    }

    // The pass is exact for every c.
    [[gnu::always_inline]] static bool Fits(long128, long128) { return true; }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        return o.escapes.Mark(PassLong128<Ifma512Ops>(o.x, o.y, o.cx, o.cy));
    }

    static void Escaped(const Orbits& o, int64_t* after) { o.escapes.Store(after); }

    // Equal limbs are an equal z. An equal z held in other limbs is missed once; the limbs
    // a pass forms depend only on the z before, so a cycle repeats them as well.
    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        __mmask8 same = _mm512_cmpeq_epi64_mask(o.x.l0, o.rx.l0);
        same = _mm512_mask_cmpeq_epi64_mask(same, o.x.l1, o.rx.l1);
        same = _mm512_mask_cmpeq_epi64_mask(same, o.x.l2, o.rx.l2);
        same = _mm512_mask_cmpeq_epi64_mask(same, o.y.l0, o.ry.l0);
        same = _mm512_mask_cmpeq_epi64_mask(same, o.y.l1, o.ry.l1);
        return _mm512_mask_cmpeq_epi64_mask(same, o.y.l2, o.ry.l2);
    }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }

    // Eight long128 values from memory, low and high words interleaved, as limbs.
    [[gnu::always_inline]] static Limbs Load(const long128* v) {
        static_assert(sizeof(long128) == 16, "two words per value");
        const __m512i a = _mm512_loadu_si512(v), b = _mm512_loadu_si512(v + 4);
        const __m512i lo = _mm512_permutex2var_epi64(a, _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14), b);
        const __m512i hi = _mm512_permutex2var_epi64(a, _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15), b);
        return Limbs128Of<Ifma512Ops>(lo, hi);
    }

    [[gnu::always_inline]] static void Blend(Limbs& to, __mmask8 sel, const Limbs& from) {
        to.l0 = _mm512_mask_mov_epi64(to.l0, sel, from.l0);
        to.l1 = _mm512_mask_mov_epi64(to.l1, sel, from.l1);
        to.l2 = _mm512_mask_mov_epi64(to.l2, sel, from.l2);
    }

    [[gnu::always_inline]] static void Put(Orbits& o, uint32_t lanes, const long128* px, const long128* py) {
        const __mmask8 sel = __mmask8(lanes);
        const Limbs vx = Load(px), vy = Load(py);
        Blend(o.x, sel, vx);
        Blend(o.cx, sel, vx);
        Blend(o.rx, sel, vx);
        Blend(o.y, sel, vy);
        Blend(o.cy, sel, vy);
        Blend(o.ry, sel, vy);
        o.escapes.Reset(sel);
    }
};
}  // namespace

void ComputeStripLong128Ifma(int t) { LaneKernel<Ifma512Long128>(t).Run(); }
#include "engine/vector_region_end.h"
