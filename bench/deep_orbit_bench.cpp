// bench/deep_orbit_bench.cpp - the reference orbit of deep zoom against a plain MPFR loop of
// the same length and precision.
//
// Both iterate z = z^2 + c a million times from a centre inside the period-3 bulb (the orbit
// stays bounded), every bit of the centre set. The argument is the words of the orbit's
// numbers; the MPFR loop runs at as many bits as those hold below the binary point.
#include <benchmark/benchmark.h>
#include "engine/deep_orbit.h"
#include "engine/state.h"
#include "engine/work.h"
#include "tests/deep_mpfr.h"

namespace {
constexpr int32_t Steps = 1000000;

void InstallCentre(int words) {
    View = ViewParams{};
    View.Center_zY = DecimalToLong128("-0.1226");
    View.Center_zX = DecimalToLong128("0.7449");
    uint64_t x = 0x9e3779b97f4a7c15u;
    for (int i = 0; i < CentreExtWords; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        View.Center_zYExt[i] = x;
        View.Center_zXExt[i] = x * 3;
    }
    View.ld_Zoom = 64 * words - 80;   // the pixel step and the margin fill exactly `words`
    View.Iteration = Steps;
}

void OrbitBench(benchmark::State& state) {
    const int words = int(state.range(0));
    InstallCentre(words);
    Work.LivePass = false;
    for (auto _ : state) {
        DeepRestartOrbit();
        if (!DeepAdvanceOrbit() || DeepRef.Escaped) state.SkipWithError("the orbit must stay bounded");
    }
    state.counters["bits"] = 64 * words - 8;
}

void MpfrBench(benchmark::State& state) {
    const int words = int(state.range(0));
    InstallCentre(words);
    const mpfr_prec_t prec = 64 * words - 8;
    mpfr_t cr, ci, x, y, xx, yy, xy, norm;
    mpfr_inits2(prec, cr, ci, x, y, xx, yy, xy, norm, (mpfr_ptr)0);
    deep::SetViewCentre(cr, ci, words);
    for (auto _ : state) {
        mpfr_set_ui(x, 0, MPFR_RNDN);
        mpfr_set_ui(y, 0, MPFR_RNDN);
        for (int32_t k = 0; k < Steps; ++k) {
            mpfr_sqr(xx, x, MPFR_RNDN);
            mpfr_sqr(yy, y, MPFR_RNDN);
            mpfr_add(norm, xx, yy, MPFR_RNDN);
            if (mpfr_cmp_ui(norm, 4) >= 0) break;
            mpfr_mul(xy, x, y, MPFR_RNDN);
            mpfr_sub(x, xx, yy, MPFR_RNDN);
            mpfr_add(x, x, cr, MPFR_RNDN);
            mpfr_mul_2ui(xy, xy, 1, MPFR_RNDN);
            mpfr_add(y, xy, ci, MPFR_RNDN);
        }
        benchmark::DoNotOptimize(x);
    }
    state.counters["bits"] = double(prec);
    mpfr_clears(cr, ci, x, y, xx, yy, xy, norm, (mpfr_ptr)0);
}
}  // namespace

// 19, 54 and 157 words: about 1,200, 3,400 and 10,000 bits. Alternate the two when comparing.
BENCHMARK(OrbitBench)->Arg(19)->Arg(54)->Arg(157)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(MpfrBench)->Arg(19)->Arg(54)->Arg(157)->Iterations(1)->Unit(benchmark::kMillisecond);
