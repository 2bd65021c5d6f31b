// engine/kernels.cpp - the strip kernel of each number format on each kernel path, in one
// table.
#include "engine/kernels.h"
#include <cstdint>
#include "engine/deep.h"
#include "engine/dispatch.h"
#include "engine/state.h"

namespace {
typedef void (*StripKernel)(int t);

// The kernel paths in their order, then the avx512 path with the 52-bit multiply-adds.
enum KernelColumn : int { ScalarColumn, Avx2Column, Avx512Column, IfmaColumn, KernelColumns };
static_assert(int(KernelPath::Scalar) == ScalarColumn && int(KernelPath::Avx2) == Avx2Column &&
              int(KernelPath::Avx512) == Avx512Column);

struct FormatKernels {
    uint8_t     Mode;   // ModeDouble, ModeFixed60, ModeLong128 or ModePerturb
    StripKernel On[KernelColumns];
};

#if defined(__x86_64__)   // the vector kernels are built for x86-64 only
// Processors with AVX-512F but without IFMA take the Fixed60 and long128 kernels of the avx2
// path on the avx512 path.
const FormatKernels Kernels[] = {
    {ModeDouble, {ComputeStripDoubleScalar, ComputeStripDoubleAvx2, ComputeStripDoubleAvx512, ComputeStripDoubleAvx512}},
    {ModeFixed60, {ComputeStripFixed60Scalar, ComputeStripFixed60Avx2, ComputeStripFixed60Avx2, ComputeStripFixed60Ifma}},
    {ModeLong128, {ComputeStripLong128Scalar, ComputeStripLong128Avx2, ComputeStripLong128Avx2, ComputeStripLong128Ifma}},
    {ModePerturb, {ComputeStripPerturbScalar, ComputeStripPerturbAvx2, ComputeStripPerturbAvx512, ComputeStripPerturbAvx512}},
};
#else   // only the scalar path is supported
const FormatKernels Kernels[] = {
    {ModeDouble, {ComputeStripDoubleScalar}},
    {ModeFixed60, {ComputeStripFixed60Scalar}},
    {ModeLong128, {ComputeStripLong128Scalar}},
    {ModePerturb, {ComputeStripPerturbScalar}},
};
#endif
}  // namespace

void ComputeStrip(int t) {
    const int column = Dispatch.Ifma ? IfmaColumn : int(Dispatch.Path);
    for (const FormatKernels& f : Kernels)
        if (f.Mode == Calc.NumberMode) return f.On[column](t);
}
