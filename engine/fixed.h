// engine/fixed.h - the two fixed-point formats of the program and their arithmetic.
//
// long128: 128-bit two's complement, 120 fraction bits, range [-128, 128), low word first.
//          The master format of every plane coordinate.
// Fixed60: 64-bit two's complement, 60 fraction bits, range [-8, 8).
// Nothing here reports overflow: sums wrap, out-of-range conversions give zero.
#pragma once
#include <cstdint>

struct long128 {
    uint64_t lo;   // bits 63..0
    uint64_t hi;   // bits 127..64; alone a fixed-point number with 56 fraction bits
};
typedef int64_t Fixed60;

inline bool operator==(long128 a, long128 b) { return a.lo == b.lo && a.hi == b.hi; }

long128 Neg128(long128 a);
long128 Add128(long128 a, long128 b);
long128 Sub128(long128 a, long128 b);
long128 ToLong128(double x);               // |x| truncated to 2^-120 units, then signed
double  Long128AsDouble(long128 v);        // truncated to 53 significant bits
Fixed60 ToFixed60(long128 v);              // bits 123..60: floor(v * 2^60), wraps outside [-8, 8)
