// engine/simd_avx2_ops.h - what the AVX2 kernels share: the blend masks of lane selections,
// and the 64-bit integer operations of the Fixed60 lanes on 32-bit multiplies
// (simd_fixed60_mul32.h), four orbits per 256-bit vector.
//
// Include inside a vector region for "avx2" (engine/vector_region_begin.h), after
// <immintrin.h>: the functions take the target of the region, and each is one instruction,
// which the emulation in the tests (tests/ifma_emul.h) spells out lane by lane.
#pragma once
#include "engine/vector_region.h"

namespace {

// Lane bits to blend masks: entry b has all bits set in lane j when bit j of b is.
struct Avx2LaneMasks {
    alignas(32) int64_t m[16][4];
};
constexpr Avx2LaneMasks Avx2Lanes = [] {
    Avx2LaneMasks t{};
    for (int b = 0; b < 16; ++b)
        for (int j = 0; j < 4; ++j) t.m[b][j] = (b >> j) & 1 ? -1 : 0;
    return t;
}();

[[gnu::always_inline]] inline __m256i Avx2LaneMask(uint32_t bits) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(Avx2Lanes.m[bits]));
}

struct Avx2IntOps {
    static constexpr int Width = 4;
    typedef __m256i Vec;

    [[gnu::always_inline]] static inline Vec Set1(long long v) { return _mm256_set1_epi64x(v); }
    [[gnu::always_inline]] static inline Vec Add(Vec a, Vec b) { return _mm256_add_epi64(a, b); }
    [[gnu::always_inline]] static inline Vec Sub(Vec a, Vec b) { return _mm256_sub_epi64(a, b); }
    [[gnu::always_inline]] static inline Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    [[gnu::always_inline]] static inline Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    template <unsigned N>
    [[gnu::always_inline]] static inline Vec ShiftLeft(Vec a) { return _mm256_slli_epi64(a, N); }
    template <unsigned N>
    [[gnu::always_inline]] static inline Vec ShiftRight(Vec a) { return _mm256_srli_epi64(a, N); }
    [[gnu::always_inline]] static inline Vec Mul32(Vec a, Vec b) { return _mm256_mul_epu32(a, b); }
    // The instruction itself: written as the intrinsic, the compiler turns a comparison with a
    // constant into the opposite one and a negation (two instructions instead of one).
    [[gnu::always_inline]] static inline Vec Greater(Vec a, Vec b) {
        Vec r;
        __asm__("vpcmpgtq %2, %1, %0" : "=x"(r) : "x"(a), "xm"(b));
        return r;
    }
    [[gnu::always_inline]] static inline Vec Equal(Vec a, Vec b) { return _mm256_cmpeq_epi64(a, b); }
    [[gnu::always_inline]] static inline uint32_t Bits(Vec m) { return uint32_t(_mm256_movemask_pd(_mm256_castsi256_pd(m))); }
    [[gnu::always_inline]] static inline Vec Lanes(uint32_t bits) { return Avx2LaneMask(bits); }
    [[gnu::always_inline]] static inline Vec Select(Vec m, Vec a, Vec b) {
        return _mm256_castpd_si256(_mm256_blendv_pd(_mm256_castsi256_pd(b), _mm256_castsi256_pd(a), _mm256_castsi256_pd(m)));
    }
    [[gnu::always_inline]] static inline Vec Load(const int64_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    [[gnu::always_inline]] static inline void Store(int64_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
};

}  // namespace
