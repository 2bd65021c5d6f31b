// engine/simd_fixed60_ifma.cpp - the Fixed60 strip kernel on AVX-512 with the 52-bit integer
// multiply-adds (IFMA): vectors of eight orbits in step (the lane machinery is
// lane_kernel.h, the lanes simd_ifma_lanes.h, the pass simd_fixed60_pass.h). Each lane gives
// the bits of the scalar pass, so the counts are the scalar kernel's.
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_fixed60.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx512f,avx512ifma,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_escapes512.h"
#include "engine/simd_ifma_lanes.h"
#include "engine/simd_ifma_ops.h"
#include "engine/simd_fixed60_pass.h"

namespace {
// A coordinate is one word a lane.
struct Fixed60Coords {
    typedef Fixed60Arith Arith;
    typedef __m512i Coord;

    static Coord Zero() { return _mm512_setzero_si512(); }
    [[gnu::always_inline]] static Coord Load(const Fixed60* p) { return _mm512_loadu_si512(p); }
    [[gnu::always_inline]] static void Blend(Coord& to, __mmask8 lanes, Coord v) {
        to = _mm512_mask_mov_epi64(to, lanes, v);
    }
    [[gnu::always_inline]] static __mmask8 Same(__mmask8 within, Coord a, Coord b) {
        return _mm512_mask_cmpeq_epi64_mask(within, a, b);
    }
    [[gnu::always_inline]] static unsigned Pass(Coord& x, Coord& y, const Coord& cx, const Coord& cy) {
        return PassFixed60<Ifma512Ops>(x, y, cx, cy);
    }
};

struct Ifma512Fixed60 : Ifma512Lanes<Fixed60Coords> {
    // A pass is a chain of about 18 cycles; four vectors keep the multiply-add units busy
    // (measured: three reach about four fifths of the rate).
    static constexpr int Vectors = 4, Batch = 12, Patience = 48, Sieve = 0;
};
}  // namespace

void ComputeStripFixed60Ifma(int t) { LaneKernel<Ifma512Fixed60>(t).Run(); }
#include "engine/vector_region_end.h"
