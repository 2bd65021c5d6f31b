// engine/simd_ifma_ops.h - the vector operations of the Fixed60 and long128 passes on
// AVX-512F with the 52-bit integer multiply-adds (IFMA): eight orbits per 512-bit vector.
//
// Include inside a vector region for "avx512f,avx512ifma" (engine/vector_region_begin.h), after
// <immintrin.h>:
// the functions take the target of the region, and each is one instruction that the
// emulation in the tests (tests/ifma_emul.h) spells out lane by lane.
#pragma once
#include "engine/vector_region.h"

namespace {

struct Ifma512Ops {
    typedef __m512i Vec;
    typedef __mmask8 Mask;

    [[gnu::always_inline]] static inline Vec Set1(long long v) { return _mm512_set1_epi64(v); }
    [[gnu::always_inline]] static inline Vec Add(Vec a, Vec b) { return _mm512_add_epi64(a, b); }
    [[gnu::always_inline]] static inline Vec Sub(Vec a, Vec b) { return _mm512_sub_epi64(a, b); }
    // The shifts with every lane selected: the same instruction as _mm512_slli_epi64 and
    // _mm512_srli_epi64, whose "undefined" pass-through vector GCC 12 warns about.
    template <unsigned N>
    [[gnu::always_inline]] static inline Vec ShiftLeft(Vec a) { return _mm512_maskz_slli_epi64(0xFF, a, N); }
    template <unsigned N>
    [[gnu::always_inline]] static inline Vec ShiftRight(Vec a) { return _mm512_maskz_srli_epi64(0xFF, a, N); }
    [[gnu::always_inline]] static inline Vec MulAdd52Lo(Vec a, Vec b, Vec c) { return _mm512_madd52lo_epu64(a, b, c); }
    [[gnu::always_inline]] static inline Vec MulAdd52Hi(Vec a, Vec b, Vec c) { return _mm512_madd52hi_epu64(a, b, c); }
    // Truth table 0xFE: every combination of the three bits but all-clear gives 1.
    [[gnu::always_inline]] static inline Vec Or3(Vec a, Vec b, Vec c) { return _mm512_ternarylogic_epi64(a, b, c, 0xFE); }
    [[gnu::always_inline]] static inline Mask TestAny(Vec a, Vec b) { return _mm512_test_epi64_mask(a, b); }
    // Used by the long128 pass (simd_long128_pass.h).
    template <unsigned N>
    [[gnu::always_inline]] static inline Vec ShiftRightArith(Vec a) { return _mm512_maskz_srai_epi64(0xFF, a, N); }
    [[gnu::always_inline]] static inline Vec And(Vec a, Vec b) { return _mm512_and_si512(a, b); }
    [[gnu::always_inline]] static inline Vec Xor(Vec a, Vec b) { return _mm512_xor_si512(a, b); }
    [[gnu::always_inline]] static inline Vec MaskSub(Vec src, Mask k, Vec a, Vec b) { return _mm512_mask_sub_epi64(src, k, a, b); }
    [[gnu::always_inline]] static inline Mask NotEqual(Vec a, Vec b) { return _mm512_cmpneq_epi64_mask(a, b); }
};

}  // namespace
