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

struct long128 {
    uint64_t lo;   // bits 63..0
    uint64_t hi;   // bits 127..64; alone a fixed-point number with 56 fraction bits
};
typedef int64_t Fixed60;

inline bool operator==(long128 a, long128 b) { return a.lo == b.lo && a.hi == b.hi; }

inline long128 Neg128(long128 a) {
    return {0 - a.lo, ~a.hi + (a.lo == 0 ? 1u : 0u)};
}
inline long128 Add128(long128 a, long128 b) {
    uint64_t lo = a.lo + b.lo;
    return {lo, a.hi + b.hi + (lo < a.lo ? 1u : 0u)};
}
inline long128 Sub128(long128 a, long128 b) {
    uint64_t lo = a.lo - b.lo;
    return {lo, a.hi - b.hi - (a.lo < b.lo ? 1u : 0u)};
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

// long128: a negative operand enters as its bitwise complement, one unit short of its true
// magnitude. Keeping that off-by-one is what the pictures are made of, so it stays.
inline bool IsNeg128(long128 a) { return static_cast<int64_t>(a.hi) < 0; }
inline long128 Magnitude128(long128 a) { return IsNeg128(a) ? long128{~a.lo, ~a.hi} : a; }

typedef unsigned __int128 u128;
inline u128 MulWide(uint64_t a, uint64_t b) { return static_cast<u128>(a) * b; }

// Bits 247..120 (square) of the 256-bit product of magnitudes below 2^127.
inline long128 SquareMag128(long128 m) {
    u128 lowHigh = MulWide(m.lo, m.lo) >> 64;      // nothing else lands in bits 63..0
    u128 cross = MulWide(m.lo, m.hi) << 1;         // m.hi < 2^63, so 2 lo hi fits 128 bits
    u128 top = MulWide(m.hi, m.hi);
    u128 w1 = lowHigh + static_cast<uint64_t>(cross);
    u128 w2 = (cross >> 64) + static_cast<uint64_t>(top) + (w1 >> 64);
    uint64_t w3 = static_cast<uint64_t>(top >> 64) + static_cast<uint64_t>(w2 >> 64);
    uint64_t b1 = static_cast<uint64_t>(w1), b2 = static_cast<uint64_t>(w2);
    return {(b1 >> 56) | (b2 << 8), (b2 >> 56) | (w3 << 8)};
}

// Bits 246..119 (doubled product) of the 256-bit product of two magnitudes below 2^127.
inline long128 TwiceProductMag128(long128 a, long128 b) {
    u128 ll = MulWide(a.lo, b.lo) >> 64;
    u128 lh = MulWide(a.lo, b.hi);
    u128 hl = MulWide(a.hi, b.lo);
    u128 hh = MulWide(a.hi, b.hi);
    u128 w1 = ll + static_cast<uint64_t>(lh) + static_cast<uint64_t>(hl);
    u128 w2 = (lh >> 64) + (hl >> 64) + static_cast<uint64_t>(hh) + (w1 >> 64);
    uint64_t w3 = static_cast<uint64_t>(hh >> 64) + static_cast<uint64_t>(w2 >> 64);
    uint64_t b1 = static_cast<uint64_t>(w1), b2 = static_cast<uint64_t>(w2);
    return {(b1 >> 55) | (b2 << 9), (b2 >> 55) | (w3 << 9)};
}

inline long128 Square128(long128 a) { return SquareMag128(Magnitude128(a)); }
inline long128 TwiceProduct128(long128 a, long128 b) {
    long128 d = TwiceProductMag128(Magnitude128(a), Magnitude128(b));
    return IsNeg128(a) != IsNeg128(b) ? Neg128(d) : d;
}
