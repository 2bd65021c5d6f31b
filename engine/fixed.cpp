// engine/fixed.cpp - conversions between double and long128.
#include "engine/fixed.h"
#include <cstring>

namespace {
// Biased exponent at which the leading 1 of a double's significand, placed at bit 52 of
// the high word, stands for 2^-4 (bit 116 of the 128-bit integer).
constexpr int AlignedExponent = 1019;

uint64_t BitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}
}  // namespace

long128 ToLong128(double x) {
    bool negative = x < 0;                 // a NaN is not negative
    uint64_t bits = BitsOf(x) & ~(uint64_t(1) << 63);
    int e = static_cast<int>(bits >> 52);
    // Below one unit or beyond the range (infinities and NaNs included) there is nothing to keep.
    if (e <= 902 || e >= 1030) return {0, 0};
    u128 v = static_cast<u128>((bits & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52)) << 64;
    if (e > AlignedExponent) {
        v <<= (e - AlignedExponent);
    } else {
        v >>= (AlignedExponent - e);       // truncates towards zero
    }
    long128 r{static_cast<uint64_t>(v), static_cast<uint64_t>(v >> 64)};
    return negative ? Neg128(r) : r;
}

double Long128AsDouble(long128 v) {
    bool negative = IsNeg128(v);
    if (negative) v = Neg128(v);           // -128 stays 2^127 and is read unsigned
    u128 u = (static_cast<u128>(v.hi) << 64) | v.lo;
    if (u == 0) return 0.0;
    int lead = v.hi != 0 ? 127 - __builtin_clzll(v.hi) : 63 - __builtin_clzll(v.lo);
    // Bring the leading 1 to bit 116; bits shifted out at the bottom are dropped.
    if (lead > 116) {
        u >>= (lead - 116);
    } else {
        u <<= (116 - lead);
    }
    uint64_t e = static_cast<uint64_t>(AlignedExponent + lead - 116);
    uint64_t hi = static_cast<uint64_t>(u >> 64);
    uint64_t bits = (hi & ((uint64_t(1) << 52) - 1)) | (e << 52);
    if (negative) bits |= uint64_t(1) << 63;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

long128 DecimalToLong128(const char* text) {
    // Doubling the decimal fraction digit by digit carries out one binary digit at a time,
    // so a centre written in decimal converts without passing through a double.
    bool negative = *text == '-';
    if (negative || *text == '+') ++text;
    uint64_t whole = 0;
    while (*text >= '0' && *text <= '9') whole = whole * 10 + uint64_t(*text++ - '0');
    char digits[64] = {};
    int count = 0;
    if (*text == '.')
        while (*++text >= '0' && *text <= '9' && count < 64) digits[count++] = char(*text - '0');
    u128 bits = 0;
    for (int b = 0; b < 120; ++b) {
        int carry = 0;
        for (int i = count - 1; i >= 0; --i) {
            int d = digits[i] * 2 + carry;
            digits[i] = char(d % 10);
            carry = d / 10;
        }
        bits = bits << 1 | u128(carry);
    }
    bits += u128(whole & 0xFF) << 120;   // the integer part wraps like every long128 sum
    long128 v{uint64_t(bits), uint64_t(bits >> 64)};
    return negative ? Neg128(v) : v;
}
