// engine/simd_deep_avx512.cpp - the perturbation strip kernel on AVX-512: two vectors of
// eight pixels in step (the lanes are simd_deep_lanes.h).
#include <immintrin.h>
#include <cstdint>
#include "engine/deep.h"
#include "engine/deep_kernel.h"
#include "engine/deep_table.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx512f,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/simd_deep_lanes.h"

namespace {
struct Avx512DeepOps {
    static constexpr int Width = 8, Vectors = 2;
    typedef __m512d Vec;
    typedef __mmask8 Mask;
    [[gnu::always_inline]] static Vec Set(const double* v) { return _mm512_loadu_pd(v); }
    [[gnu::always_inline]] static void Put(double* v, Vec x) { _mm512_storeu_pd(v, x); }
    [[gnu::always_inline]] static Vec Fill(double x) { return _mm512_set1_pd(x); }
    [[gnu::always_inline]] static Vec Mul(Vec a, Vec b) { return _mm512_mul_pd(a, b); }
    [[gnu::always_inline]] static Vec Add(Vec a, Vec b) { return _mm512_add_pd(a, b); }
    [[gnu::always_inline]] static Vec Sub(Vec a, Vec b) { return _mm512_sub_pd(a, b); }
    [[gnu::always_inline]] static Mask Below(Vec a, Vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    [[gnu::always_inline]] static Mask Above(Vec a, Vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    [[gnu::always_inline]] static Mask NotBelow(Vec a, Vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_NLT_UQ); }
    [[gnu::always_inline]] static Mask Or(Mask m, Mask n) { return Mask(m | n); }
    [[gnu::always_inline]] static uint32_t Bits(Mask m) { return uint32_t(m); }
    // Lanes 0, 2, 4, 6, then 1, 3, 5, 7, side by side: the unpacks pair each lane's two parts.
    [[gnu::always_inline]] static __m256d Pair(const double* a, const double* b) {
        return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(a)), _mm_loadu_pd(b), 1);
    }
    // (The masked forms with every lane selected: the plain ones start from an undefined
    // vector, which this compiler warns about.)
    [[gnu::always_inline]] static __m512d Join(__m256d lo, __m256d hi) {
        const __m512d z = _mm512_setzero_pd();
        const __m512d low = _mm512_mask_insertf64x4(z, 0xFF, z, lo, 0);
        return _mm512_mask_insertf64x4(z, 0xFF, low, hi, 1);
    }
    [[gnu::always_inline]] static void Orbit(const double* const* p, size_t k, Vec& zr, Vec& zi) {
        const __m512d a = Join(Pair(p[0] + k, p[2] + k), Pair(p[4] + k, p[6] + k));
        const __m512d b = Join(Pair(p[1] + k, p[3] + k), Pair(p[5] + k, p[7] + k));
        zr = _mm512_mask_unpacklo_pd(_mm512_setzero_pd(), 0xFF, a, b);
        zi = _mm512_mask_unpackhi_pd(_mm512_setzero_pd(), 0xFF, a, b);
    }
};
}  // namespace

void ComputeStripPerturbAvx512(int t) {
    if (DeepKernelReady()) DeepLaneKernel<Avx512DeepOps>(t).Run();
}
#include "engine/vector_region_end.h"
