// engine/simd_double_avx512.cpp - the double strip kernel on AVX-512F: four vectors of eight
// orbits in step (the lane machinery is lane_kernel.h). Each lane rounds exactly as the
// scalar pass does (the same operations in the same order, no fused multiply-add, escape on
// an ordered s >= 4 so NaN never escapes), so the counts are the scalar kernel's.
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx512f,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"

namespace {
struct Avx512Double {
    typedef DoubleArith Arith;
    static constexpr int Width = 8, Vectors = 4, Batch = 12, Patience = 48, Sieve = 6;
    static constexpr bool StoreRuns = true;

    struct Orbits {
        __m512d x, y, cx, cy;
        __m512d rx, ry;   // an earlier z of the same orbit
        __m512i after;    // passes since the escape
    };

    static void Idle(Orbits& o) {
        o.x = o.y = o.cx = o.cy = o.rx = o.ry = _mm512_setzero_pd();
        o.after = _mm512_setzero_si512();
    }

    [[gnu::always_inline]] static bool Fits(double cx, double cy) { return LeavesForGood(cx, cy); }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        const __m512d a = _mm512_mul_pd(o.x, o.x);
        const __m512d b = _mm512_mul_pd(o.y, o.y);
        __m512d t = _mm512_mul_pd(o.x, o.y);
        // t + t as t * 2: the same exact doubling (overflow and NaN included), but on the
        // multiply units, which have room, while the add units limit the pass. The compiler
        // would turn a visible * 2 back into an addition, so it does not see the 2.
        __m512d two = _mm512_set1_pd(2.0);
        __asm__("" : "+v"(two));
        t = _mm512_mul_pd(t, two);
        o.x = _mm512_add_pd(t, o.cx);
        o.y = _mm512_add_pd(_mm512_sub_pd(b, a), o.cy);
        const __m512d s = _mm512_add_pd(a, b);
        // Not s < 4: the same as s >= 4 until the escape, after it also true for the NaN the
        // orbit overflows to, so the lane stays marked and its count of passes goes on.
        const __mmask8 out = _mm512_cmp_pd_mask(s, _mm512_set1_pd(4.0), _CMP_NLT_UQ);
        o.after = _mm512_mask_add_epi64(o.after, out, o.after, _mm512_set1_epi64(1));
        return out;
    }

    static void Escaped(const Orbits& o, int64_t* after) { _mm512_storeu_si512(after, o.after); }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        return _mm512_cmp_pd_mask(o.x, o.rx, _CMP_EQ_OQ) & _mm512_cmp_pd_mask(o.y, o.ry, _CMP_EQ_OQ);
    }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }

    [[gnu::always_inline]] static void Put(Orbits& o, uint32_t lanes, const double* px, const double* py) {
        PutAt(o, lanes, px, py, px, py);
    }

    [[gnu::always_inline]] static void PutAt(Orbits& o, uint32_t lanes, const double* px, const double* py,
                                             const double* zx, const double* zy) {
        const __mmask8 sel = __mmask8(lanes);
        const __m512d vx = _mm512_loadu_pd(zx), vy = _mm512_loadu_pd(zy);
        o.x = _mm512_mask_mov_pd(o.x, sel, vx);
        o.rx = _mm512_mask_mov_pd(o.rx, sel, vx);
        o.cx = _mm512_mask_loadu_pd(o.cx, sel, px);
        o.y = _mm512_mask_mov_pd(o.y, sel, vy);
        o.ry = _mm512_mask_mov_pd(o.ry, sel, vy);
        o.cy = _mm512_mask_loadu_pd(o.cy, sel, py);
        o.after = _mm512_mask_mov_epi64(o.after, sel, _mm512_setzero_si512());
    }

    static void Z(const Orbits& o, double* zx, double* zy) {
        _mm512_storeu_pd(zx, o.x);
        _mm512_storeu_pd(zy, o.y);
    }
};
}  // namespace

void ComputeStripDoubleAvx512(int t) { LaneKernel<Avx512Double>(t).Run(); }
#include "engine/vector_region_end.h"
