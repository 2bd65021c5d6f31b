// engine/kernel_fixed60.cpp - the strip kernel in Fixed60, for the zooms between the double
// and the long128 formats. Used only while the whole view lies inside (-3.9, 3.9), where
// every early exit of a pass agrees with the escape test |z|^2 >= 4.
#include "engine/dispatch.h"
#include "engine/kernel_fixed60.h"
#include "engine/kernels.h"
#include "engine/strip.h"

void ComputeStripFixed60Scalar(int t) { StripWalk<Fixed60Arith>(t).Run(); }

void ComputeStripFixed60(int t) {
#if defined(__x86_64__)   // the vector kernels are built for x86-64 only
    if (Dispatch.Ifma) return ComputeStripFixed60Ifma(t);
    if (Dispatch.Path != KernelPath::Scalar) return ComputeStripFixed60Avx2(t);
#endif
    ComputeStripFixed60Scalar(t);
}
