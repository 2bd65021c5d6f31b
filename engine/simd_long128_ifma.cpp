// engine/simd_long128_ifma.cpp - the long128 strip kernel on AVX-512 with the 52-bit integer
// multiply-adds (IFMA): vectors of eight orbits in step (the lane machinery is
// lane_kernel.h, the lanes simd_ifma_lanes.h, the pass simd_long128_pass.h, which keeps each
// coordinate in three limbs). Each lane gives the bits of the scalar pass, so the counts are
// the scalar kernel's.
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_long128.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx512f,avx512ifma,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_escapes512.h"
#include "engine/simd_ifma_lanes.h"
#include "engine/simd_ifma_ops.h"
#include "engine/simd_long128_pass.h"

namespace {
// A coordinate is three limbs a lane.
struct Long128Coords {
    typedef Long128Arith Arith;
    typedef Limbs128<Ifma512Ops> Coord;

    static Coord Zero() {
        const __m512i zero = _mm512_setzero_si512();
        return Coord{zero, zero, zero};
    }

    // Low and high words interleaved in memory, as limbs.
    [[gnu::always_inline]] static Coord Load(const long128* v) {
        static_assert(sizeof(long128) == 16, "two words per value");
        const __m512i a = _mm512_loadu_si512(v), b = _mm512_loadu_si512(v + 4);
        const __m512i lo = _mm512_permutex2var_epi64(a, _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14), b);
        const __m512i hi = _mm512_permutex2var_epi64(a, _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15), b);
        return Limbs128Of<Ifma512Ops>(lo, hi);
    }

    [[gnu::always_inline]] static void Blend(Coord& to, __mmask8 lanes, const Coord& v) {
        to.l0 = _mm512_mask_mov_epi64(to.l0, lanes, v.l0);
        to.l1 = _mm512_mask_mov_epi64(to.l1, lanes, v.l1);
        to.l2 = _mm512_mask_mov_epi64(to.l2, lanes, v.l2);
    }

    // Equal limbs are an equal z. An equal z held in other limbs is missed once; the limbs
    // a pass forms depend only on the z before, so a cycle repeats them as well.
    [[gnu::always_inline]] static __mmask8 Same(__mmask8 within, const Coord& a, const Coord& b) {
        within = _mm512_mask_cmpeq_epi64_mask(within, a.l0, b.l0);
        within = _mm512_mask_cmpeq_epi64_mask(within, a.l1, b.l1);
        return _mm512_mask_cmpeq_epi64_mask(within, a.l2, b.l2);
    }

    [[gnu::always_inline]] static unsigned Pass(Coord& x, Coord& y, const Coord& cx, const Coord& cy) {
        return PassLong128<Ifma512Ops>(x, y, cx, cy);
    }
};

struct Ifma512Long128 : Ifma512Lanes<Long128Coords> {
    // A pass is 44 multiply-adds and about 50 other operations. One vector alone runs at
    // half the rate (its chain of dependent operations); two run about as fast as three or
    // four in the pass alone and faster in the kernel, where an orbit vector is 19 registers
    // (measured). Batch and Patience: the best of the values tried, by a little.
    static constexpr int Vectors = 2, Batch = 8, Patience = 96, Sieve = 0;
};
}  // namespace

void ComputeStripLong128Ifma(int t) { LaneKernel<Ifma512Long128>(t).Run(); }
#include "engine/vector_region_end.h"
