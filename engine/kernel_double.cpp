// engine/kernel_double.cpp - the strip kernel in IEEE double, for views up to a pixel step
// of about 2^-53. Every operation is rounded on its own, in a fixed order, so the counts are
// the same on every build (contraction into fused multiply-add is switched off globally).
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/kernels.h"
#include "engine/strip.h"

void ComputeStripDoubleScalar(int t) { StripWalk<DoubleArith>(t).Run(); }

void ComputeStripDouble(int t) {
    switch (Dispatch.Path) {
#if defined(__x86_64__)   // the vector kernels are built for x86-64 only
    case KernelPath::Avx512: ComputeStripDoubleAvx512(t); break;
    case KernelPath::Avx2: ComputeStripDoubleAvx2(t); break;
#endif
    default: ComputeStripDoubleScalar(t); break;
    }
}
