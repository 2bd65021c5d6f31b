// engine/fixed.h - the two fixed-point formats of the program and their arithmetic.
//
// long128: 128-bit two's complement, 120 fraction bits, range [-128, 128), low word first.
//          The master format of every plane coordinate.
// Fixed60: 64-bit two's complement, 60 fraction bits, range [-8, 8).
// Nothing here reports overflow: sums wrap, out-of-range conversions give zero.
//
// The additions and the products sit inline here because the kernels run them in their
// innermost loops; they work on plain 64-bit words (the compiler's unsigned __int128 is used
// only as a 64 x 64 -> 128-bit multiply and as an add-with-carry).
#pragma once
#include <cstdint>
#if defined(__x86_64__)
#include <x86intrin.h>   // add-with-carry; plain x86-64, no extension needed
#endif

struct long128 {
    uint64_t lo;   // bits 63..0
    uint64_t hi;   // bits 127..64; alone a fixed-point number with 56 fraction bits
};
typedef int64_t Fixed60;
typedef unsigned __int128 u128;

inline bool operator==(long128 a, long128 b) { return a.lo == b.lo && a.hi == b.hi; }

inline long128 Neg128(long128 a) {
    return {0 - a.lo, ~a.hi + (a.lo == 0 ? 1u : 0u)};
}
inline long128 Add128(long128 a, long128 b) {
#if defined(__x86_64__)
    unsigned long long lo, hi;
    _addcarry_u64(_addcarry_u64(0, a.lo, b.lo, &lo), a.hi, b.hi, &hi);
    return {lo, hi};
#else
    uint64_t lo = a.lo + b.lo;
    return {lo, a.hi + b.hi + (lo < a.lo ? 1u : 0u)};
#endif
}
inline long128 Sub128(long128 a, long128 b) {
#if defined(__x86_64__)
    unsigned long long lo, hi;
    _subborrow_u64(_subborrow_u64(0, a.lo, b.lo, &lo), a.hi, b.hi, &hi);
    return {lo, hi};
#else
    uint64_t lo = a.lo - b.lo;
    return {lo, a.hi - b.hi - (a.lo < b.lo ? 1u : 0u)};
#endif
}

long128 ToLong128(double x);               // |x| truncated to 2^-120 units, then signed
double  Long128AsDouble(long128 v);        // truncated to 53 significant bits
long128 DecimalToLong128(const char* text);   // "-0.7436438870371587" exactly, truncated
inline Fixed60 ToFixed60(long128 v) {      // bits 123..60: floor(v * 2^60), wraps outside [-8, 8)
    return static_cast<Fixed60>((v.hi << 4) | (v.lo >> 60));
}

// ---- Products as the kernels form them ------------------------------------------------

// Fixed60: the exact signed 128-bit product of the raw words.
inline __int128 Mul60Wide(Fixed60 a, Fixed60 b) { return static_cast<__int128>(a) * b; }
// Bits 63..58 of the high word are clear exactly when a square is below 4.
inline bool Square60AtLeast4(__int128 p) { return (static_cast<uint64_t>(p >> 64) >> 58) != 0; }
inline Fixed60 Product60(__int128 p) { return static_cast<Fixed60>(p >> 60); }        // bits 123..60
inline Fixed60 TwiceProduct60(__int128 p) { return static_cast<Fixed60>(p >> 59); }   // bits 122..59

// The same bits the short way, for operands in [-2, 2), where x4 = 4x is exact: the high
// word of x4 * x4 is bits 123..60 of x * x, and the top 65 bits of x4 * y4 hold bits
// 122..59 of x * y. One multiply and no 128-bit shifts per product.
inline bool InSquareRange60(Fixed60 x) { return ((static_cast<uint64_t>(x) + (uint64_t(1) << 61)) >> 62) == 0; }
inline Fixed60 Times4(Fixed60 x) { return static_cast<Fixed60>(static_cast<uint64_t>(x) << 2); }
inline uint64_t Square60Of4(Fixed60 x4) { return static_cast<uint64_t>(Mul60Wide(x4, x4) >> 64); }
inline Fixed60 TwiceProduct60Of4(Fixed60 x4, Fixed60 y4) {
    // Shifted as a whole: taking the two halves of the product apart makes the compiler pass
    // them through memory.
    const u128 p = static_cast<u128>(Mul60Wide(x4, y4));
    return static_cast<Fixed60>((p << 1) >> 64);
}

// long128: a negative operand enters as its bitwise complement, one unit short of its true
// magnitude. Keeping that off-by-one is what the pictures are made of, so it stays. The
// complement is taken with a sign mask rather than a branch: orbit signs are unpredictable.
inline bool IsNeg128(long128 a) { return static_cast<int64_t>(a.hi) < 0; }
inline uint64_t SignMask128(long128 a) { return static_cast<uint64_t>(static_cast<int64_t>(a.hi) >> 63); }
inline long128 Magnitude128(long128 a) {
    const uint64_t m = SignMask128(a);
    return {a.lo ^ m, a.hi ^ m};
}

inline u128 MulWide(uint64_t a, uint64_t b) { return static_cast<u128>(a) * b; }

// The 128-bit product as two words; kept in plain words so the compiler holds them in
// registers instead of spilling 128-bit temporaries.
inline void Mul64(uint64_t a, uint64_t b, uint64_t& lo, uint64_t& hi) {
    u128 p = MulWide(a, b);
    lo = static_cast<uint64_t>(p);
    hi = static_cast<uint64_t>(p >> 64);
}
// Add with carry in and out, written so that a run of them becomes one add/adc chain.
inline uint64_t AddCarry(uint64_t a, uint64_t b, unsigned char carryIn, unsigned char& carryOut) {
#if defined(__x86_64__)
    unsigned long long t;
    carryOut = _addcarry_u64(carryIn, a, b, &t);
    return t;
#else
    uint64_t s = a + b;
    uint64_t t = s + carryIn;
    carryOut = (s < a) | (t < s);
    return t;
#endif
}

// Bits 247 - Shift .. 120 - Shift of a 256-bit product whose 64-bit columns above the
// lowest are w1, w2, w3 (the lowest holds nothing else and is left out).
template <int Shift>
inline long128 TakeBits(uint64_t w1, uint64_t w2, uint64_t w3) {
    constexpr int r = 56 - Shift, l = 8 + Shift;
    return {(w1 >> r) | (w2 << l), (w2 >> r) | (w3 << l)};
}

// Square of a magnitude below 2^127, bits 247..120: 2 lo hi is formed once and fits 128 bits.
inline long128 SquareMag128(long128 m) {
    uint64_t l0, l1, c0, c1, h0, h1;
    unsigned char k;
    Mul64(m.lo, m.lo, l0, l1);
    Mul64(m.lo, m.hi, c0, c1);
    Mul64(m.hi, m.hi, h0, h1);
    (void)l0;
    const uint64_t d0 = AddCarry(c0, c0, 0, k);
    const uint64_t d1 = AddCarry(c1, c1, k, k);
    const uint64_t w1 = AddCarry(l1, d0, 0, k);
    const uint64_t w2 = AddCarry(d1, h0, k, k);
    const uint64_t w3 = AddCarry(h1, 0, k, k);
    return TakeBits<0>(w1, w2, w3);
}

// Doubled product of two magnitudes below 2^127: bits 246..119 of a b.
inline long128 TwiceProductMag128(long128 a, long128 b) {
    uint64_t ll0, ll1, lh0, lh1, hl0, hl1, hh0, hh1;
    unsigned char k;
    Mul64(a.lo, b.lo, ll0, ll1);
    Mul64(a.lo, b.hi, lh0, lh1);
    Mul64(a.hi, b.lo, hl0, hl1);
    Mul64(a.hi, b.hi, hh0, hh1);
    (void)ll0;
    uint64_t t1 = AddCarry(ll1, lh0, 0, k);
    uint64_t t2 = AddCarry(lh1, hh0, k, k);
    uint64_t t3 = AddCarry(hh1, 0, k, k);
    t1 = AddCarry(t1, hl0, 0, k);
    t2 = AddCarry(t2, hl1, k, k);
    t3 = AddCarry(t3, 0, k, k);
    return TakeBits<1>(t1, t2, t3);
}

inline long128 Square128(long128 a) { return SquareMag128(Magnitude128(a)); }
// Negated when exactly one operand is negative: (d ^ m) - m with m the all-ones mask.
inline long128 TwiceProduct128(long128 a, long128 b) {
    const long128 d = TwiceProductMag128(Magnitude128(a), Magnitude128(b));
    const uint64_t m = SignMask128(a) ^ SignMask128(b);
    return Sub128({d.lo ^ m, d.hi ^ m}, {m, m});
}
