// engine/simd_double_avx512.cpp - the double strip kernel on AVX-512F: four vectors of eight
// orbits in step (the lane machinery is lane_kernel.h, the lanes simd_double_lanes.h).
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx512f,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_double_lanes.h"

namespace {
struct Avx512DoubleOps {
    static constexpr int Width = 8;
    typedef __m512d Vec;
    typedef __mmask8 Mask;
    typedef __m512i Counts;

    static Vec Zero() { return _mm512_setzero_pd(); }
    static Counts ZeroCounts() { return _mm512_setzero_si512(); }
    [[gnu::always_inline]] static Vec Four() { return _mm512_set1_pd(4.0); }
    [[gnu::always_inline]] static Vec Mul(Vec a, Vec b) { return _mm512_mul_pd(a, b); }
    [[gnu::always_inline]] static Vec Add(Vec a, Vec b) { return _mm512_add_pd(a, b); }
    [[gnu::always_inline]] static Vec Sub(Vec a, Vec b) { return _mm512_sub_pd(a, b); }
    // t * 2 with the 2 hidden from the compiler, as on AVX2 (simd_double_avx2.cpp says why).
    [[gnu::always_inline]] static Vec Twice(Vec t) {
        __m512d two = _mm512_set1_pd(2.0);
        __asm__("" : "+v"(two));
        return _mm512_mul_pd(t, two);
    }
    [[gnu::always_inline]] static Mask NotBelow(Vec s, Vec f) { return _mm512_cmp_pd_mask(s, f, _CMP_NLT_UQ); }
    [[gnu::always_inline]] static Mask Same(Vec x, Vec rx, Vec y, Vec ry) {
        return _mm512_cmp_pd_mask(x, rx, _CMP_EQ_OQ) & _mm512_cmp_pd_mask(y, ry, _CMP_EQ_OQ);
    }
    [[gnu::always_inline]] static uint32_t Bits(Mask m) { return m; }
    [[gnu::always_inline]] static Mask Lanes(uint32_t bits) { return Mask(bits); }
    [[gnu::always_inline]] static Vec Select(Mask m, Vec a, Vec b) { return _mm512_mask_mov_pd(b, m, a); }
    [[gnu::always_inline]] static Counts CountUp(Counts c, Mask m) {
        return _mm512_mask_add_epi64(c, m, c, _mm512_set1_epi64(1));
    }
    [[gnu::always_inline]] static Counts ClearCounts(Counts c, Mask m) {
        return _mm512_mask_mov_epi64(c, m, _mm512_setzero_si512());
    }
    [[gnu::always_inline]] static Vec Load(const double* p) { return _mm512_loadu_pd(p); }
    static void Store(double* p, Vec v) { _mm512_storeu_pd(p, v); }
    static void StoreCounts(int64_t* p, Counts c) { _mm512_storeu_si512(p, c); }
};

struct Avx512Double : DoubleLanes<Avx512DoubleOps> {
    static constexpr int Vectors = 4, Batch = 12, Patience = 48, Sieve = 6;
    static constexpr bool StoreRuns = true;
};
}  // namespace

void ComputeStripDoubleAvx512(int t) { LaneKernel<Avx512Double>(t).Run(); }
#include "engine/vector_region_end.h"
