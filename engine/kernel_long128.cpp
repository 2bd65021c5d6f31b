// engine/kernel_long128.cpp - the strip kernel in long128, for the deepest zooms. Squares and
// the doubled cross product come from complement magnitudes (fixed.h); the orbit stays in
// range because the format is used only while the view lies inside (-3.9, 3.9).
#include "engine/dispatch.h"
#include "engine/kernel_long128.h"
#include "engine/kernels.h"
#include "engine/strip.h"

void ComputeStripLong128Scalar(int t) { StripWalk<Long128Arith>(t).Run(); }

void ComputeStripLong128(int t) {
#if defined(__x86_64__)   // the vector kernels are built for x86-64 only
    if (Dispatch.Ifma) return ComputeStripLong128Ifma(t);
    if (Dispatch.Path != KernelPath::Scalar) return ComputeStripLong128Avx2(t);
#endif
    ComputeStripLong128Scalar(t);
}
