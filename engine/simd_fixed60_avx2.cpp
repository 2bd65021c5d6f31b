// engine/simd_fixed60_avx2.cpp - the Fixed60 strip kernel on AVX2: vectors of four orbits in
// step, their products formed from 32-bit multiplies (the lane machinery is lane_kernel.h,
// the pass and lanes simd_fixed60_mul32.h). Each lane gives the bits of the scalar pass, so
// the counts are the scalar kernel's.
#include <immintrin.h>
#include <cstdint>
#include "engine/dispatch.h"
#include "engine/kernel_fixed60.h"
#include "engine/vector_prelude.h"

#define ZENTRIX_VECTOR_TARGET "avx2,popcnt"
#include "engine/vector_region_begin.h"
#include "engine/lane_kernel.h"
#include "engine/simd_avx2_ops.h"
#include "engine/simd_fixed60_mul32.h"

namespace {
struct Avx2Fixed60 : Fixed60Mul32Lanes<Avx2IntOps> {
    // A pass is about 44 vector operations, ten of them multiplies, and the vector ports
    // limit it, not its chain: three vectors in flight keep them busy (measured: two and four
    // alike or a little slower). Batch and patience measured alike from 3 to 8 and 48 to 96.
    static constexpr int Vectors = 3, Batch = 6, Patience = 48, Sieve = 0;
};
}  // namespace

void ComputeStripFixed60Avx2(int t) { LaneKernel<Avx2Fixed60>(t).Run(); }
#include "engine/vector_region_end.h"
