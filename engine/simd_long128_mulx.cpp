// engine/simd_long128_mulx.cpp - the long128 strip kernel of the avx2 path: four orbits in
// step, each pass written out in scalar instructions with BMI2's multiply
// (simd_long128_mulx.h), in the lane machinery (lane_kernel.h) with one lane per orbit. No
// vector unit takes part: a 64-bit lane of 32-bit multiplies would need several times the
// operations of the 64-bit multiplier. Each lane gives the bits of the scalar pass, so the
// counts are the scalar kernel's.
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_long128.h"
#include "engine/vector_prelude.h"

// Every processor with AVX2 has the multiply that leaves the flags alone (BMI2).
#define ZENTRIX_VECTOR_TARGET "bmi2,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_long128_mulx.h"

namespace {
struct Long128Mulx : Long128MulxLanes<4> {
    // A pass is about 100 micro-operations; with four orbits in flight the integer ports,
    // not the chains, limit it (measured: one orbit reaches about three quarters of the
    // rate, two about seven eighths, three to six alike). Orbits are long at these zooms, so
    // a trip out of the loop costs little: it is taken for every escape.
    static constexpr int Vectors = 1, Batch = 1, Patience = 4, Sieve = 0;
};
}  // namespace

void ComputeStripLong128Avx2(int t) { LaneKernel<Long128Mulx>(t).Run(); }
#include "engine/vector_region_end.h"
