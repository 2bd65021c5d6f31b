// engine/deep_fixed.h - fixed-point numbers of many words, for the reference orbit of deep
// zoom (engine/deep_orbit.h).
//
// A number of n words is the two's-complement integer of all of them times 2^-(64n - 8): the
// long128 format extended by whole words of fraction, range [-128, 128), like the view's
// centre with its extra words. Words are stored least significant first, so carries run up
// the array. Nothing here reports overflow: sums wrap.
//
// Only integer operations are used, so every build computes the same bits.
#pragma once
#include <cstdint>
#include "engine/deep.h"
#include "engine/fixed.h"

// Bits above the binary point, the sign among them.
constexpr int DeepIntegerBits = 8;

// The words a number needs for `fractionBits` bits below the binary point (at least 2).
int DeepWordsFor(int fractionBits);

// The first n words of a centre coordinate given as its long128 and `extCount` further words,
// most significant first (the view's form); words beyond those are zero.
void DeepLoadCentre(uint64_t* r, int n, long128 c, const uint64_t* ext, int extCount);

// r = a + b and r = a - b + c (r may be any of them).
void DeepAdd(uint64_t* r, const uint64_t* a, const uint64_t* b, int n);
void DeepSubAdd(uint64_t* r, const uint64_t* a, const uint64_t* b, const uint64_t* c, int n);
// r = |a| (r may be a); true when a was negative. -128 stays 2^(64n-1), read unsigned.
bool DeepAbs(uint64_t* r, const uint64_t* a, int n);
// Whether a magnitude is at least 2 and at least 4.
inline bool DeepAtLeast2(const uint64_t* mag, int n) { return mag[n - 1] >= (uint64_t(1) << 57); }
inline bool DeepAtLeast4(const uint64_t* mag, int n) { return mag[n - 1] >= (uint64_t(1) << 58); }

// r = the square of a magnitude below 8, truncated to the format: exactly floor(a^2) in its
// units. Only the product words that reach the result are formed, with one word below them
// as a guard; when the columns left out could still carry into the result (about once in
// 2^58 squares) the square is formed in full instead. `scratch` holds 3n words.
void DeepSquare(uint64_t* r, const uint64_t* a, int n, uint64_t* scratch);
// The same formed in full; the reference DeepSquare must agree with, and its fallback.
void DeepSquareFull(uint64_t* r, const uint64_t* a, int n, uint64_t* scratch);

// A magnitude as mantissa and exponent: m in [0.5, 1) rounded to nearest (ties to even),
// negated when `negative`, value m * 2^e; 0 and 0 for zero.
void DeepToDouble(const uint64_t* mag, bool negative, int n, double& m, int32_t& e);
