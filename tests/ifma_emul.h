// tests/ifma_emul.h - the vector operations of the integer passes (engine/simd_fixed60_pass.h,
// engine/simd_long128_pass.h, engine/simd_fixed60_mul32.h) emulated lane by lane, so the
// passes can be checked on processors without AVX-512 or AVX2. Each function is the
// documented operation of the one instruction that engine/simd_ifma_ops.h or
// engine/simd_avx2_ops.h maps it to, written out on eight 64-bit lanes; a pass that is exact
// here is exact on the hardware as far as that mapping holds.
#pragma once
#include <cstdint>

struct EmulIfmaOps {
    static constexpr int Width = 8;
    struct Vec {
        int64_t lane[8];
    };
    typedef uint8_t Mask;   // __mmask8

    static uint64_t U(int64_t v) { return static_cast<uint64_t>(v); }
    static int64_t S(uint64_t v) { return static_cast<int64_t>(v); }

    // _mm512_set1_epi64
    static Vec Set1(long long v) {
        Vec r;
        for (int64_t& l : r.lane) l = v;
        return r;
    }
    // _mm512_add_epi64, _mm512_sub_epi64: modulo 2^64
    static Vec Add(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = S(U(a.lane[i]) + U(b.lane[i]));
        return a;
    }
    static Vec Sub(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = S(U(a.lane[i]) - U(b.lane[i]));
        return a;
    }
    // _mm512_slli_epi64, _mm512_srli_epi64: counts above 63 give 0
    template <unsigned N>
    static Vec ShiftLeft(Vec a) {
        for (int64_t& l : a.lane) l = N > 63 ? 0 : S(U(l) << (N & 63));
        return a;
    }
    template <unsigned N>
    static Vec ShiftRight(Vec a) {
        for (int64_t& l : a.lane) l = N > 63 ? 0 : S(U(l) >> (N & 63));
        return a;
    }
    // _mm512_madd52lo_epu64, _mm512_madd52hi_epu64: the 104-bit product of bits 51..0 of b
    // and c; its bits 51..0 (lo) or 103..52 (hi) added to a modulo 2^64.
    static unsigned __int128 Product52(int64_t b, int64_t c) {
        const uint64_t m = (uint64_t(1) << 52) - 1;
        return static_cast<unsigned __int128>(U(b) & m) * (U(c) & m);
    }
    static Vec MulAdd52Lo(Vec a, Vec b, Vec c) {
        const uint64_t m = (uint64_t(1) << 52) - 1;
        for (int i = 0; i < 8; ++i) a.lane[i] = S(U(a.lane[i]) + (uint64_t(Product52(b.lane[i], c.lane[i])) & m));
        return a;
    }
    static Vec MulAdd52Hi(Vec a, Vec b, Vec c) {
        const uint64_t m = (uint64_t(1) << 52) - 1;
        for (int i = 0; i < 8; ++i) a.lane[i] = S(U(a.lane[i]) + (uint64_t(Product52(b.lane[i], c.lane[i]) >> 52) & m));
        return a;
    }
    // _mm512_ternarylogic_epi64(a, b, c, 0xFE): bit j of the result is bit 4a + 2b + c of the
    // truth table, with a, b, c the bits j of the operands; here all bits at once, as the union
    // of the table's combinations (minterms).
    static Vec Or3(Vec a, Vec b, Vec c) {
        constexpr unsigned table = 0xFE;
        for (int i = 0; i < 8; ++i) {
            const uint64_t x = U(a.lane[i]), y = U(b.lane[i]), z = U(c.lane[i]);
            uint64_t r = 0;
            for (unsigned k = 0; k < 8; ++k)
                if (table >> k & 1) r |= (k & 4 ? x : ~x) & (k & 2 ? y : ~y) & (k & 1 ? z : ~z);
            a.lane[i] = S(r);
        }
        return a;
    }
    // _mm512_test_epi64_mask: bit i set when lane i of a & b is not zero
    static Mask TestAny(Vec a, Vec b) {
        unsigned k = 0;
        for (int i = 0; i < 8; ++i) k |= unsigned((U(a.lane[i]) & U(b.lane[i])) != 0) << i;
        return Mask(k);
    }

    // Used by the long128 pass (engine/simd_long128_pass.h).
    // _mm512_srai_epi64: the sign bit shifted in; counts above 63 give 0 or -1
    template <unsigned N>
    static Vec ShiftRightArith(Vec a) {
        for (int64_t& l : a.lane) l = l < 0 ? S(~(~U(l) >> (N > 63 ? 63 : N))) : S(U(l) >> (N > 63 ? 63 : N));
        return a;
    }
    // _mm512_and_si512, _mm512_xor_si512
    static Vec And(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = S(U(a.lane[i]) & U(b.lane[i]));
        return a;
    }
    static Vec Xor(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = S(U(a.lane[i]) ^ U(b.lane[i]));
        return a;
    }
    // _mm512_mask_sub_epi64(src, k, a, b): a - b in the lanes whose bit of k is set, src elsewhere
    static Vec MaskSub(Vec src, Mask k, Vec a, Vec b) {
        for (int i = 0; i < 8; ++i)
            if ((k >> i) & 1) src.lane[i] = S(U(a.lane[i]) - U(b.lane[i]));
        return src;
    }
    // _mm512_cmpneq_epi64_mask: bit i set when lanes i differ
    static Mask NotEqual(Vec a, Vec b) {
        unsigned k = 0;
        for (int i = 0; i < 8; ++i) k |= unsigned(a.lane[i] != b.lane[i]) << i;
        return Mask(k);
    }

    // Used by the pass on 32-bit multiplies (engine/simd_fixed60_mul32.h), AVX2 instructions.
    // _mm256_or_si256
    static Vec Or(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = S(U(a.lane[i]) | U(b.lane[i]));
        return a;
    }
    // _mm256_mul_epu32: bits 31..0 of each lane, unsigned, the 64-bit product
    static Vec Mul32(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = S((U(a.lane[i]) & 0xFFFFFFFF) * (U(b.lane[i]) & 0xFFFFFFFF));
        return a;
    }
    // _mm256_cmpgt_epi64, _mm256_cmpeq_epi64: all bits set where a > b (signed), a == b
    static Vec Greater(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = a.lane[i] > b.lane[i] ? -1 : 0;
        return a;
    }
    static Vec Equal(Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = a.lane[i] == b.lane[i] ? -1 : 0;
        return a;
    }
    // _mm256_movemask_pd: the top bit of each lane
    static uint32_t Bits(Vec m) {
        uint32_t k = 0;
        for (int i = 0; i < 8; ++i) k |= uint32_t(U(m.lane[i]) >> 63) << i;
        return k;
    }
    // the blend masks of engine/simd_avx2_ops.h, and _mm256_blendv_pd, which reads the top bit
    static Vec Lanes(uint32_t bits) {
        Vec r;
        for (int i = 0; i < 8; ++i) r.lane[i] = (bits >> i) & 1 ? -1 : 0;
        return r;
    }
    static Vec Select(Vec m, Vec a, Vec b) {
        for (int i = 0; i < 8; ++i) a.lane[i] = m.lane[i] < 0 ? a.lane[i] : b.lane[i];
        return a;
    }
    // _mm256_loadu_si256, _mm256_storeu_si256
    static Vec Load(const int64_t* p) {
        Vec r;
        for (int i = 0; i < 8; ++i) r.lane[i] = p[i];
        return r;
    }
    static void Store(int64_t* p, Vec v) {
        for (int i = 0; i < 8; ++i) p[i] = v.lane[i];
    }
};
