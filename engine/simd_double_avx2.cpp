// engine/simd_double_avx2.cpp - the double strip kernel on AVX2: four vectors of four orbits
// in step (the lane machinery is lane_kernel.h, the lanes simd_double_lanes.h).
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx2,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_avx2_ops.h"
#include "engine/simd_double_lanes.h"

namespace {
struct Avx2DoubleOps {
    static constexpr int Width = 4;
    typedef __m256d Vec;
    typedef __m256d Mask;     // all bits set in a selected lane
    typedef __m256i Counts;

    static Vec Zero() { return _mm256_setzero_pd(); }
    static Counts ZeroCounts() { return _mm256_setzero_si256(); }
    [[gnu::always_inline]] static Vec Four() { return _mm256_set1_pd(4.0); }
    [[gnu::always_inline]] static Vec Mul(Vec a, Vec b) { return _mm256_mul_pd(a, b); }
    [[gnu::always_inline]] static Vec Add(Vec a, Vec b) { return _mm256_add_pd(a, b); }
    [[gnu::always_inline]] static Vec Sub(Vec a, Vec b) { return _mm256_sub_pd(a, b); }
    // t + t as t * 2: the same exact doubling (overflow and NaN included), but on the
    // multiply units, which have room, while the add units limit the pass. The compiler
    // would turn a visible * 2 back into an addition, so it does not see the 2.
    [[gnu::always_inline]] static Vec Twice(Vec t) {
        __m256d two = _mm256_set1_pd(2.0);
        __asm__("" : "+x"(two));
        return _mm256_mul_pd(t, two);
    }
    [[gnu::always_inline]] static Mask NotBelow(Vec s, Vec f) { return _mm256_cmp_pd(s, f, _CMP_NLT_UQ); }
    [[gnu::always_inline]] static Mask Same(Vec x, Vec rx, Vec y, Vec ry) {
        return _mm256_and_pd(_mm256_cmp_pd(x, rx, _CMP_EQ_OQ), _mm256_cmp_pd(y, ry, _CMP_EQ_OQ));
    }
    [[gnu::always_inline]] static uint32_t Bits(Mask m) { return uint32_t(_mm256_movemask_pd(m)); }
    [[gnu::always_inline]] static Mask Lanes(uint32_t bits) { return _mm256_castsi256_pd(Avx2LaneMask(bits)); }
    [[gnu::always_inline]] static Vec Select(Mask m, Vec a, Vec b) { return _mm256_blendv_pd(b, a, m); }
    // All bits set is -1.
    [[gnu::always_inline]] static Counts CountUp(Counts c, Mask m) { return _mm256_sub_epi64(c, _mm256_castpd_si256(m)); }
    [[gnu::always_inline]] static Counts ClearCounts(Counts c, Mask m) {
        return _mm256_castpd_si256(_mm256_andnot_pd(m, _mm256_castsi256_pd(c)));
    }
    [[gnu::always_inline]] static Vec Load(const double* p) { return _mm256_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm256_storeu_pd(p, v); }
    static void StoreCounts(int64_t* p, Counts c) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), c); }

};

struct Avx2Double : DoubleLanes<Avx2DoubleOps> {
    // A pass is a chain of three dependent operations of three or four cycles each; four
    // vectors in flight keep the multiply and add units fed through it.
    static constexpr int Vectors = 4, Batch = 6, Patience = 64, Sieve = 6;
    // Storing a sieved run of 16 pixels in whole vectors measured slower here than pixel by
    // pixel; with 32 lanes on AVX-512 it is faster.
    static constexpr bool StoreRuns = false;
};
}  // namespace

void ComputeStripDoubleAvx2(int t) { LaneKernel<Avx2Double>(t).Run(); }
#include "engine/vector_region_end.h"
