// engine/deep_floatexp.h - floats with an exponent of their own, for the differences and
// coefficients of the perturbation format, which leave the range of a double at deep zooms
// (a pixel step of 2^-10000, derivatives of 2^10000).
//
// A value is a double mantissa times a power of two kept in an integer. Mantissas are
// renormalised by rewriting their exponent bits, never by a library call, and every other
// operation is one IEEE operation (+, -, *, /, sqrt), so the results are the same bits on
// every build and on every kernel path. Nothing here makes a subnormal double: whatever would
// fall below ZeroBelow is flushed to zero, a difference far under the rounding of the values
// it is added to.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>

// The smallest power of two a double made here may hold; anything smaller becomes 0.
constexpr int32_t FloatExpFloor = -1020;
// The exponent of zero: far below any other, so comparisons by exponent need no special case.
constexpr int32_t FloatExpZeroE = -(1 << 29);

inline uint64_t DoubleBits(double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}
inline double BitsDouble(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}
// The biased exponent field: 0 for zero and subnormals, 1023 for [1, 2).
inline int32_t BiasedExponent(double x) { return int32_t((DoubleBits(x) >> 52) & 0x7FF); }

// x * 2^k, exact for a normal x while the result is a normal double at or above 2^FloatExpFloor;
// below that 0 (with x's sign), above the range infinity. Zero and subnormal x give 0.
inline double ScalePow2(double x, int64_t k) {
    const uint64_t b = DoubleBits(x);
    const int64_t e = int64_t((b >> 52) & 0x7FF);
    const uint64_t sign = b & (uint64_t(1) << 63);
    if (e == 0) return BitsDouble(sign);
    const int64_t n = e + k;
    if (n < 1023 + FloatExpFloor) return BitsDouble(sign);
    if (n > 2046) return BitsDouble(sign | (uint64_t(0x7FF) << 52));
    return BitsDouble((b & ~(uint64_t(0x7FF) << 52)) | (uint64_t(n) << 52));
}

// 2^k as a double; 0 below 2^FloatExpFloor, infinity above the range.
inline double Pow2(int64_t k) { return ScalePow2(1.0, k); }

// A real value M * 2^E, M zero or of magnitude in [0.5, 1).
struct FloatExp {
    double  M;
    int32_t E;
};

// m * 2^e for a normal or zero m.
inline FloatExp MakeFloatExp(double m, int64_t e) {
    const int32_t b = BiasedExponent(m);
    if (b == 0) return {0.0, FloatExpZeroE};
    return {ScalePow2(m, 1022 - b), int32_t(e + b - 1022)};
}
inline double ToDouble(FloatExp a) { return a.M == 0 ? 0.0 : ScalePow2(a.M, a.E); }
inline FloatExp Mul(FloatExp a, FloatExp b) { return MakeFloatExp(a.M * b.M, int64_t(a.E) + b.E); }
inline FloatExp Div(FloatExp a, FloatExp b) { return MakeFloatExp(a.M / b.M, int64_t(a.E) - b.E); }
inline FloatExp Add(FloatExp a, FloatExp b) {
    if (a.M == 0) return b;
    if (b.M == 0) return a;
    if (a.E < b.E) {
        const FloatExp t = a;
        a = b;
        b = t;
    }
    const int64_t d = int64_t(a.E) - b.E;
    if (d > 60) return a;   // b is below a's rounding
    return MakeFloatExp(a.M + ScalePow2(b.M, -d), a.E);
}
inline FloatExp Neg(FloatExp a) { return {-a.M, a.E}; }
inline FloatExp Sub(FloatExp a, FloatExp b) { return Add(a, Neg(b)); }
// For a >= 0.
inline FloatExp Sqrt(FloatExp a) {
    if (a.M == 0) return a;
    const int32_t odd = a.E & 1;   // M * 2^E = (M * 2^odd) * 2^(E - odd), E - odd even
    return MakeFloatExp(std::sqrt(a.M * (odd ? 2.0 : 1.0)), (int64_t(a.E) - odd) / 2);
}
// a < b for a, b >= 0.
inline bool Less(FloatExp a, FloatExp b) {
    if (b.M == 0) return false;
    if (a.M == 0) return true;
    return a.E < b.E || (a.E == b.E && a.M < b.M);
}
inline FloatExp Min(FloatExp a, FloatExp b) { return Less(b, a) ? b : a; }
inline FloatExp Max(FloatExp a, FloatExp b) { return Less(a, b) ? b : a; }

// A complex value (R + i I) * 2^E sharing one exponent, the larger part of magnitude in
// [0.5, 1) (or both zero); a part more than about 2^1000 below the other is flushed to zero.
struct ComplexExp {
    double  R, I;
    int32_t E;
};

inline ComplexExp MakeComplexExp(double r, double i, int64_t e) {
    const int32_t br = BiasedExponent(r), bi = BiasedExponent(i);
    const int32_t b = br > bi ? br : bi;
    if (b == 0) return {0.0, 0.0, FloatExpZeroE};
    return {ScalePow2(r, 1022 - b), ScalePow2(i, 1022 - b), int32_t(e + b - 1022)};
}
// re * 2^re_e + i im * 2^im_e, each mantissa normal or zero.
inline ComplexExp MakeComplexExp2(double re, int64_t reE, double im, int64_t imE) {
    if (re == 0) reE = imE;
    if (im == 0) imE = reE;
    const int64_t e = reE > imE ? reE : imE;
    return MakeComplexExp(ScalePow2(re, reE - e), ScalePow2(im, imE - e), e);
}
inline ComplexExp Mul(ComplexExp a, ComplexExp b) {
    return MakeComplexExp(a.R * b.R - a.I * b.I, a.R * b.I + a.I * b.R, int64_t(a.E) + b.E);
}
inline ComplexExp Add(ComplexExp a, ComplexExp b) {
    if (a.R == 0 && a.I == 0) return b;
    if (b.R == 0 && b.I == 0) return a;
    if (a.E < b.E) {
        const ComplexExp t = a;
        a = b;
        b = t;
    }
    const int64_t d = int64_t(a.E) - b.E;
    if (d > 60) return a;
    return MakeComplexExp(a.R + ScalePow2(b.R, -d), a.I + ScalePow2(b.I, -d), a.E);
}
inline ComplexExp Twice(ComplexExp a) { return a.R == 0 && a.I == 0 ? a : ComplexExp{a.R, a.I, a.E + 1}; }
// |a| and |a|^2.
inline FloatExp Magnitude(ComplexExp a) { return MakeFloatExp(std::sqrt(a.R * a.R + a.I * a.I), a.E); }
inline FloatExp Norm(ComplexExp a) { return MakeFloatExp(a.R * a.R + a.I * a.I, 2 * int64_t(a.E)); }
// The parts as doubles (flushed, or infinite, where they leave the range).
inline double RealDouble(ComplexExp a) { return a.R == 0 ? 0.0 : ScalePow2(a.R, a.E); }
inline double ImagDouble(ComplexExp a) { return a.I == 0 ? 0.0 : ScalePow2(a.I, a.E); }
