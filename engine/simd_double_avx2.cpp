// engine/simd_double_avx2.cpp - the double strip kernel on AVX2: four vectors of four orbits
// in step (the lane machinery is lane_kernel.h). Each lane rounds exactly as the scalar pass
// does (the same operations in the same order, no fused multiply-add, escape on an ordered
// s >= 4 so NaN never escapes), so the counts are the scalar kernel's.
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx2,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"

namespace {
struct Avx2Double {
    typedef DoubleArith Arith;
    // A pass is a chain of three dependent operations of three or four cycles each; four
    // vectors in flight keep the multiply and add units fed through it.
    static constexpr int Width = 4, Vectors = 4, Batch = 6, Patience = 64, Sieve = 6;
    // Storing a sieved run of 16 pixels in whole vectors measured slower here than pixel by
    // pixel; with 32 lanes on AVX-512 it is faster.
    static constexpr bool StoreRuns = false;

    struct Orbits {
        __m256d x, y, cx, cy;
        __m256d rx, ry;   // an earlier z of the same orbit
        __m256i after;    // passes since the escape
    };

    static void Idle(Orbits& o) {
        o.x = o.y = o.cx = o.cy = o.rx = o.ry = _mm256_setzero_pd();
        o.after = _mm256_setzero_si256();
    }

    [[gnu::always_inline]] static bool Fits(double cx, double cy) { return LeavesForGood(cx, cy); }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        const __m256d a = _mm256_mul_pd(o.x, o.x);
        const __m256d b = _mm256_mul_pd(o.y, o.y);
        __m256d t = _mm256_mul_pd(o.x, o.y);
        // t + t as t * 2: the same exact doubling (overflow and NaN included), but on the
        // multiply units, which have room, while the add units limit the pass. The compiler
        // would turn a visible * 2 back into an addition, so it does not see the 2.
        __m256d two = _mm256_set1_pd(2.0);
        __asm__("" : "+x"(two));
        t = _mm256_mul_pd(t, two);
        o.x = _mm256_add_pd(t, o.cx);
        o.y = _mm256_add_pd(_mm256_sub_pd(b, a), o.cy);
        const __m256d s = _mm256_add_pd(a, b);
        // Not s < 4: the same as s >= 4 until the escape, after it also true for the NaN the
        // orbit overflows to, so the lane stays marked and its count of passes goes on.
        const __m256d out = _mm256_cmp_pd(s, _mm256_set1_pd(4.0), _CMP_NLT_UQ);
        o.after = _mm256_sub_epi64(o.after, _mm256_castpd_si256(out));   // all bits set is -1
        return uint32_t(_mm256_movemask_pd(out));
    }

    static void Escaped(const Orbits& o, int64_t* after) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(after), o.after);
    }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        const __m256d same = _mm256_and_pd(_mm256_cmp_pd(o.x, o.rx, _CMP_EQ_OQ), _mm256_cmp_pd(o.y, o.ry, _CMP_EQ_OQ));
        return uint32_t(_mm256_movemask_pd(same));
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
        const __m256d sel = _mm256_castsi256_pd(_mm256_load_si256(reinterpret_cast<const __m256i*>(LaneMasks.m[lanes])));
        const __m256d vx = _mm256_loadu_pd(zx), vy = _mm256_loadu_pd(zy);
        o.x = _mm256_blendv_pd(o.x, vx, sel);
        o.rx = _mm256_blendv_pd(o.rx, vx, sel);
        o.cx = _mm256_blendv_pd(o.cx, _mm256_loadu_pd(px), sel);
        o.y = _mm256_blendv_pd(o.y, vy, sel);
        o.ry = _mm256_blendv_pd(o.ry, vy, sel);
        o.cy = _mm256_blendv_pd(o.cy, _mm256_loadu_pd(py), sel);
        o.after = _mm256_castpd_si256(_mm256_andnot_pd(sel, _mm256_castsi256_pd(o.after)));
    }

    static void Z(const Orbits& o, double* zx, double* zy) {
        _mm256_storeu_pd(zx, o.x);
        _mm256_storeu_pd(zy, o.y);
    }

    // Lane bits to blend masks: entry b has all bits set in lane j when bit j of b is.
    struct Masks {
        alignas(32) int64_t m[16][4];
    };
    static constexpr Masks LaneMasks = [] {
        Masks t{};
        for (int b = 0; b < 16; ++b)
            for (int j = 0; j < 4; ++j) t.m[b][j] = (b >> j) & 1 ? -1 : 0;
        return t;
    }();
};
}  // namespace

void ComputeStripDoubleAvx2(int t) { LaneKernel<Avx2Double>(t).Run(); }
#include "engine/vector_region_end.h"
