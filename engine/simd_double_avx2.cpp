// engine/simd_double_avx2.cpp - the double strip kernel on AVX2: four vectors of four orbits
// in step (the lane machinery is lane_kernel.h). Each lane rounds exactly as the scalar pass
// does (the same operations in the same order, no fused multiply-add, escape on an ordered
// s >= 4 so NaN never escapes), so the counts are the scalar kernel's.
#include <immintrin.h>
#include <climits>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/simd_lanes.h"
#include "engine/strip.h"

#pragma GCC push_options
#pragma GCC target("avx2")
#include "engine/lane_kernel.h"

namespace {
struct Avx2Double {
    typedef DoubleArith Arith;
    // A pass is a chain of three dependent operations of three or four cycles each; four
    // vectors in flight keep the multiply and add units fed through it.
    static constexpr int Width = 4, Vectors = 4;

    struct Orbits {
        __m256d x, y, cx, cy;
        __m256d rx, ry;   // an earlier z of the same orbit
    };

    static void Idle(Orbits& o) { o.x = o.y = o.cx = o.cy = o.rx = o.ry = _mm256_setzero_pd(); }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        const __m256d a = _mm256_mul_pd(o.x, o.x);
        const __m256d b = _mm256_mul_pd(o.y, o.y);
        __m256d t = _mm256_mul_pd(o.x, o.y);
        // t + t as t * 2: the same exact doubling (overflow and NaN included), but on the
        // multiply units, which have room, while the add units limit the pass.
        t = _mm256_mul_pd(t, _mm256_set1_pd(2.0));
        o.x = _mm256_add_pd(t, o.cx);
        o.y = _mm256_add_pd(_mm256_sub_pd(b, a), o.cy);
        const __m256d s = _mm256_add_pd(a, b);
        return uint32_t(_mm256_movemask_pd(_mm256_cmp_pd(s, _mm256_set1_pd(4.0), _CMP_GE_OQ)));
    }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        const __m256d same = _mm256_and_pd(_mm256_cmp_pd(o.x, o.rx, _CMP_EQ_OQ), _mm256_cmp_pd(o.y, o.ry, _CMP_EQ_OQ));
        return uint32_t(_mm256_movemask_pd(same));
    }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }

    [[gnu::always_inline]] static void Put(Orbits& o, int lane, double px, double py) {
        alignas(32) static const int64_t select[4][4] = {{-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, -1}};
        const __m256d sel = _mm256_castsi256_pd(_mm256_load_si256(reinterpret_cast<const __m256i*>(select[lane])));
        const __m256d vx = _mm256_set1_pd(px), vy = _mm256_set1_pd(py);
        o.x = _mm256_blendv_pd(o.x, vx, sel);
        o.cx = _mm256_blendv_pd(o.cx, vx, sel);
        o.rx = _mm256_blendv_pd(o.rx, vx, sel);
        o.y = _mm256_blendv_pd(o.y, vy, sel);
        o.cy = _mm256_blendv_pd(o.cy, vy, sel);
        o.ry = _mm256_blendv_pd(o.ry, vy, sel);
    }
};
}  // namespace

void ComputeStripDoubleAvx2(int t) { LaneKernel<Avx2Double>(t).Run(); }
#pragma GCC pop_options
