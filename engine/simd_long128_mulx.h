// engine/simd_long128_mulx.h - the long128 pass of one orbit written out in instructions, with
// the multiply that leaves the flags alone (BMI2's mulx), and the lanes of several such orbits
// in step for the lane machinery (lane_kernel.h).
//
// Several orbits in step keep the multiplier busy, but then the number of instructions of a
// pass limits it: the compiler's version of Long128Arith::Pass takes about 150 micro-
// operations, spilling the words of its products and moving them in and out of the registers
// the multiplies fix, and fills every integer port. Written out, it takes about 100.
//
// Include inside a vector region whose instruction sets include "bmi2"
// (engine/vector_region_begin.h); internal linkage, like everything compiled for one set.
#pragma once
#include "engine/vector_region.h"

namespace {

// One pass z -> z^2 + c in place, for |x|, |y| <= 8 (an orbit from c in [-4, 4) stays there
// until it escapes, Long128Arith::CloseToOrigin): the bits of Long128Arith::Pass, faster.
// Nonzero when the old z escapes. The complement magnitudes m (below 2^123 there) are
// shifted up by 4, which still fits 128 bits: the high 128 bits of m4^2 are then bits
// 247..120 of m^2, and those of (2 mx4) my4 bits 246..119 of mx my, so no bits are taken
// apart. In m4^2 = h^2 2^128 + (2h) l 2^64 + l^2, 2h fits a word (m4 < 2^127), and of l^2
// only the high word can carry into the high half.
[[gnu::always_inline]] inline uint64_t PassLong128Mulx(long128& x, long128& y, const long128& cx, const long128& cy) {
#if !defined(__OPTIMIZE__) || defined(ZENTRIX_SANITIZED)
    // Unoptimised and sanitizer builds keep registers for themselves, and the instructions
    // below then find too few; the compiler's pass gives the same bits, where a sanitizer
    // can see into it.
    long128 nx, ny;
    const bool escaped = Long128Arith::Pass(x, y, cx, cy, nx, ny);
    x = nx, y = ny;
    return escaped;
#else
    uint64_t xl, xh, yl, yh, m, s0, s1, a, b, c, d, dx;
    __asm__(
        // Complement magnitudes shifted up by 4; m: all ones when the signs differ.
        "mov %[xhm], %[xh]\n\t"
        "mov %[xh], %[m]\n\t"
        "sar $63, %[m]\n\t"
        "mov %[xlm], %[xl]\n\t"
        "xor %[m], %[xl]\n\t"
        "xor %[m], %[xh]\n\t"
        "shld $4, %[xl], %[xh]\n\t"
        "shl $4, %[xl]\n\t"
        "mov %[yhm], %[yh]\n\t"
        "mov %[yh], %[a]\n\t"
        "sar $63, %[a]\n\t"
        "mov %[ylm], %[yl]\n\t"
        "xor %[a], %[yl]\n\t"
        "xor %[a], %[yh]\n\t"
        "xor %[a], %[m]\n\t"
        "shld $4, %[yl], %[yh]\n\t"
        "shl $4, %[yl]\n\t"
        // sx = (s0, s1)
        "mov %[xl], %%rdx\n\t"
        "mulx %[xl], %[a], %[a]\n\t"
        "lea (%[xh],%[xh]), %[b]\n\t"
        "mulx %[b], %[b], %[c]\n\t"
        "mov %[xh], %%rdx\n\t"
        "mulx %[xh], %[s0], %[s1]\n\t"
        "add %[b], %[a]\n\t"
        "adc %[c], %[s0]\n\t"
        "adc $0, %[s1]\n\t"
        // sy = (rdx, d)
        "mov %[yl], %%rdx\n\t"
        "mulx %[yl], %[a], %[a]\n\t"
        "lea (%[yh],%[yh]), %[b]\n\t"
        "mulx %[b], %[b], %[c]\n\t"
        "mov %[yh], %%rdx\n\t"
        "mulx %[yh], %%rdx, %[d]\n\t"
        "add %[b], %[a]\n\t"
        "adc %[c], %%rdx\n\t"
        "adc $0, %[d]\n\t"
        // b = the high word of sx + sy, shifted down to its top six bits
        "mov %%rdx, %[a]\n\t"
        "add %[s0], %[a]\n\t"
        "mov %[d], %[b]\n\t"
        "adc %[s1], %[b]\n\t"
        "shr $58, %[b]\n\t"
        // y = sy - sx + cy
        "sub %[s0], %%rdx\n\t"
        "sbb %[s1], %[d]\n\t"
        "add %[cyl], %%rdx\n\t"
        "adc %[cyh], %[d]\n\t"
        "mov %%rdx, %[ylm]\n\t"
        "mov %[d], %[yhm]\n\t"
        // the high 128 bits of (2 mx4) my4 = (rdx, xl)
        "add %[xl], %[xl]\n\t"
        "adc %[xh], %[xh]\n\t"
        "mov %[xl], %%rdx\n\t"
        "mulx %[yl], %[a], %[a]\n\t"
        "mulx %[yh], %[c], %[d]\n\t"
        "mov %[xh], %%rdx\n\t"
        "mulx %[yl], %[s0], %[s1]\n\t"
        "mulx %[yh], %%rdx, %[xl]\n\t"
        "add %[c], %[a]\n\t"
        "adc %[d], %%rdx\n\t"
        "adc $0, %[xl]\n\t"
        "add %[s0], %[a]\n\t"
        "adc %[s1], %%rdx\n\t"
        "adc $0, %[xl]\n\t"
        // x = 2xy + cx, the product negated ((d ^ m) - m) when the signs differ
        "xor %[m], %%rdx\n\t"
        "xor %[m], %[xl]\n\t"
        "sub %[m], %%rdx\n\t"
        "sbb %[m], %[xl]\n\t"
        "add %[cxl], %%rdx\n\t"
        "adc %[cxh], %[xl]\n\t"
        "mov %%rdx, %[xlm]\n\t"
        "mov %[xl], %[xhm]"
        : [xl] "=&r"(xl), [xh] "=&r"(xh), [yl] "=&r"(yl), [yh] "=&r"(yh), [m] "=&r"(m), [s0] "=&r"(s0),
          [s1] "=&r"(s1), [a] "=&r"(a), [b] "=&r"(b), [c] "=&r"(c), [d] "=&r"(d), "=&d"(dx),
          [xlm] "+m"(x.lo), [xhm] "+m"(x.hi), [ylm] "+m"(y.lo), [yhm] "+m"(y.hi)
        : [cxl] "m"(cx.lo), [cxh] "m"(cx.hi), [cyl] "m"(cy.lo), [cyh] "m"(cy.hi)
        : "cc");
    return b;
#endif
}

// W orbits passed one after the other, the lanes of one "vector", in a loop that is not
// unrolled: each pass takes its orbit from memory and stores it back, and the passes of
// different lanes, independent of each other, overlap in the processor.
template <int W>
struct Long128MulxLanes {
    typedef Long128Arith Arith;
    static constexpr int Width = W;

    struct Orbits {
        long128 x[W], y[W], cx[W], cy[W];
        long128 rx[W], ry[W];   // an earlier z of the same orbit
        int64_t after[W];       // passes since the escape
        uint32_t out;           // escaped: sums wrap, so the mark must stay
    };

    static void Idle(Orbits& o) { o = Orbits{}; }

    // A c outside [-4, 4) would let the orbit leave the pass's range; such pixels (only
    // outside the views of the format) are computed on their own.
    [[gnu::always_inline]] static bool Fits(long128 cx, long128 cy) {
        return Long128Arith::CloseToOrigin(cx) && Long128Arith::CloseToOrigin(cy);
    }

    // Out of line: the loop over the lanes keeps its registers to itself.
    [[gnu::noinline]] static uint32_t Pass(Orbits& o) {
        uint32_t out = o.out;
#pragma GCC unroll 1
        for (int j = 0; j < W; ++j) out |= uint32_t(PassLong128Mulx(o.x[j], o.y[j], o.cx[j], o.cy[j]) != 0) << j;
        o.out = out;
        for (int j = 0; j < W; ++j) o.after[j] += (out >> j) & 1;
        return out;
    }

    static void Escaped(const Orbits& o, int64_t* after) {
        for (int j = 0; j < W; ++j) after[j] = o.after[j];
    }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        uint32_t same = 0;
        for (int j = 0; j < W; ++j) same |= uint32_t(o.x[j] == o.rx[j] && o.y[j] == o.ry[j]) << j;
        return same;
    }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        for (int j = 0; j < W; ++j) {
            o.rx[j] = o.x[j];
            o.ry[j] = o.y[j];
        }
    }

    [[gnu::always_inline]] static void Put(Orbits& o, uint32_t lanes, const long128* px, const long128* py) {
        for (; lanes != 0; lanes &= lanes - 1) {
            const int j = __builtin_ctz(lanes);
            o.x[j] = o.cx[j] = o.rx[j] = px[j];
            o.y[j] = o.cy[j] = o.ry[j] = py[j];
            o.after[j] = 0;
            o.out &= ~(1u << j);
        }
    }
};

}  // namespace
