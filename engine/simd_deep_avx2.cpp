// engine/simd_deep_avx2.cpp - the perturbation strip kernel on AVX2: two vectors of four
// pixels in step (the lanes are simd_deep_lanes.h).
#include <immintrin.h>
#include <cstdint>
#include "engine/deep.h"
#include "engine/deep_kernel.h"
#include "engine/deep_table.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx2,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/simd_deep_lanes.h"

namespace {
struct Avx2DeepOps {
    static constexpr int Width = 4, Vectors = 2;
    typedef __m256d Vec;
    typedef __m256d Mask;
    [[gnu::always_inline]] static Vec Set(const double* v) { return _mm256_loadu_pd(v); }
    [[gnu::always_inline]] static void Put(double* v, Vec x) { _mm256_storeu_pd(v, x); }
    [[gnu::always_inline]] static Vec Fill(double x) { return _mm256_set1_pd(x); }
    [[gnu::always_inline]] static Vec Mul(Vec a, Vec b) { return _mm256_mul_pd(a, b); }
    [[gnu::always_inline]] static Vec Add(Vec a, Vec b) { return _mm256_add_pd(a, b); }
    [[gnu::always_inline]] static Vec Sub(Vec a, Vec b) { return _mm256_sub_pd(a, b); }
    [[gnu::always_inline]] static Mask Below(Vec a, Vec b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    [[gnu::always_inline]] static Mask Above(Vec a, Vec b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    [[gnu::always_inline]] static Mask NotBelow(Vec a, Vec b) { return _mm256_cmp_pd(a, b, _CMP_NLT_UQ); }
    [[gnu::always_inline]] static Mask Or(Mask m, Mask n) { return _mm256_or_pd(m, n); }
    [[gnu::always_inline]] static uint32_t Bits(Mask m) { return uint32_t(_mm256_movemask_pd(m)); }
    // Lanes 0 and 2, then 1 and 3, side by side: the unpacks pair each lane's two parts.
    [[gnu::always_inline]] static void Orbit(const double* const* p, size_t k, Vec& zr, Vec& zi) {
        const __m256d a = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(p[0] + k)), _mm_loadu_pd(p[2] + k), 1);
        const __m256d b = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(p[1] + k)), _mm_loadu_pd(p[3] + k), 1);
        zr = _mm256_unpacklo_pd(a, b);
        zi = _mm256_unpackhi_pd(a, b);
    }
};
}  // namespace

void ComputeStripPerturbAvx2(int t) {
    if (DeepKernelReady()) DeepLaneKernel<Avx2DeepOps>(t).Run();
}
#include "engine/vector_region_end.h"
