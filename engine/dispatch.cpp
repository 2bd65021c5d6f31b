// engine/dispatch.cpp - the processor check behind the kernel choice.
#include "engine/dispatch.h"
#include <cstring>
#include <initializer_list>

namespace {
// Processors with AVX-512F but without IFMA take the Fixed60 and long128 kernels of the avx2
// path on that path.
bool IfmaOn(KernelPath p) {
#if defined(__x86_64__)
    return p == KernelPath::Avx512 && __builtin_cpu_supports("avx512ifma");
#else
    return false;
#endif
}
}  // namespace

// Chosen before main, so even a program that never starts the workers computes on the best
// path; no setting and no environment variable takes part.
DispatchState Dispatch{BestKernelPath(), IfmaOn(BestKernelPath())};

bool KernelPathSupported(KernelPath p) {
    switch (p) {
    case KernelPath::Scalar: return true;
#if defined(__x86_64__)
    // Every processor with AVX2 also has BMI2, which the long128 kernel of the path uses;
    // some virtual machines hide it.
    case KernelPath::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
    case KernelPath::Avx512:
        return __builtin_cpu_supports("avx512f") && KernelPathSupported(KernelPath::Avx2);
#endif
    default: return false;
    }
}

KernelPath BestKernelPath() {
    __builtin_cpu_init();   // may run before the library's own constructor
    if (KernelPathSupported(KernelPath::Avx512)) return KernelPath::Avx512;
    if (KernelPathSupported(KernelPath::Avx2)) return KernelPath::Avx2;
    return KernelPath::Scalar;
}

void SelectKernels() {
    Dispatch.Path = BestKernelPath();
    Dispatch.Ifma = IfmaOn(Dispatch.Path);
}

bool ForceKernelPath(KernelPath p) {
    if (!KernelPathSupported(p)) return false;
    Dispatch.Path = p;
    Dispatch.Ifma = IfmaOn(p);
    return true;
}

const char* KernelPathName(KernelPath p) {
    switch (p) {
    case KernelPath::Avx2: return "avx2";
    case KernelPath::Avx512: return "avx512";
    default: return "scalar";
    }
}

bool ParseKernelPath(const char* name, KernelPath* p) {
    for (KernelPath k : {KernelPath::Scalar, KernelPath::Avx2, KernelPath::Avx512})
        if (std::strcmp(name, KernelPathName(k)) == 0) {
            *p = k;
            return true;
        }
    return false;
}
