// engine/dispatch.h - which kernels run: the widest vector path the processor offers, picked
// once at start-up. Every path gives the same counts; only the speed differs.
#pragma once
#include <cstdint>

enum class KernelPath : uint8_t { Scalar, Avx2, Avx512 };

struct DispatchState {
    KernelPath Path;   // the path the strip kernels take
    bool Ifma;         // on the avx512 path: Fixed60 and long128 on the 52-bit multiply-adds
};
extern DispatchState Dispatch;

bool        KernelPathSupported(KernelPath p);   // the processor has what the path needs
KernelPath  BestKernelPath();
void        SelectKernels();                     // Dispatch.Path = BestKernelPath()
bool        ForceKernelPath(KernelPath p);       // false, and nothing changed, if unsupported
const char* KernelPathName(KernelPath p);        // "scalar", "avx2", "avx512"
bool        ParseKernelPath(const char* name, KernelPath* p);

// The strip kernels ComputeStrip (kernels.h) chooses from, callable directly for comparisons.
void ComputeStripDoubleScalar(int t);
void ComputeStripDoubleAvx2(int t);
void ComputeStripDoubleAvx512(int t);
void ComputeStripFixed60Scalar(int t);
void ComputeStripFixed60Avx2(int t);
void ComputeStripFixed60Ifma(int t);
void ComputeStripLong128Scalar(int t);
void ComputeStripLong128Avx2(int t);
void ComputeStripLong128Ifma(int t);
