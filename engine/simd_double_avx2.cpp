// engine/simd_double_avx2.cpp - the double strip kernel on AVX2: several vectors of four
// orbits each advance in step. Each lane performs exactly the scalar pass (same operations,
// same order, no fused multiply-add, escape on an ordered s >= 4 so NaN never escapes), so
// the counts are the scalar kernel's. When any lane finishes, its pixel is stored and the
// lane takes the strip's next pending pixel, so narrow strips and scattered pending pixels
// keep every lane busy.
#include <immintrin.h>
#include <climits>
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/kernels.h"
#include "engine/simd_lanes.h"
#include "engine/strip.h"

namespace {
// Three vectors cover the latency of one pass (multiply, then two dependent additions)
// with the two multiply and two add units of current cores.
constexpr int Vectors = 3;
constexpr int Lanes = 4 * Vectors;

struct LaneSet {
    alignas(32) double x[Lanes];
    alignas(32) double y[Lanes];
    alignas(32) double cx[Lanes];
    alignas(32) double cy[Lanes];
    // The pass index at which the lane's down-counter reaches 1; INT64_MAX for an idle
    // lane. Passes are numbered for the whole call, so lanes that go on need no update.
    int64_t stop[Lanes];
    int col[Lanes], row[Lanes];
};

// All lanes advance until one escapes or the pass budget runs out; returns the passes
// completed before the last one, whose escape bits come back in out and whose new z is in
// the lane set. Idle lanes orbit at 0 and never escape.
[[gnu::noinline, gnu::target("avx2")]] int32_t RunLanes(LaneSet& s, int32_t budget, uint32_t& out) {
    __m256d x[Vectors], y[Vectors], cx[Vectors], cy[Vectors];
    for (int v = 0; v < Vectors; ++v) {
        x[v] = _mm256_load_pd(s.x + 4 * v);
        y[v] = _mm256_load_pd(s.y + 4 * v);
        cx[v] = _mm256_load_pd(s.cx + 4 * v);
        cy[v] = _mm256_load_pd(s.cy + 4 * v);
    }
    const __m256d four = _mm256_set1_pd(4.0);
    int32_t done = 0;
    for (;;) {
        __m256d nx[Vectors], ny[Vectors];
        int mask = 0;
        for (int v = 0; v < Vectors; ++v) {
            const __m256d a = _mm256_mul_pd(x[v], x[v]);
            const __m256d b = _mm256_mul_pd(y[v], y[v]);
            __m256d t = _mm256_mul_pd(x[v], y[v]);
            t = _mm256_add_pd(t, t);
            nx[v] = _mm256_add_pd(t, cx[v]);
            ny[v] = _mm256_add_pd(_mm256_sub_pd(b, a), cy[v]);
            const __m256d sum = _mm256_add_pd(a, b);
            mask |= _mm256_movemask_pd(_mm256_cmp_pd(sum, four, _CMP_GE_OQ)) << (4 * v);
        }
        if (mask != 0 || done == budget) {
            for (int v = 0; v < Vectors; ++v) {
                _mm256_store_pd(s.x + 4 * v, nx[v]);
                _mm256_store_pd(s.y + 4 * v, ny[v]);
            }
            out = uint32_t(mask);
            return done;
        }
        ++done;
        for (int v = 0; v < Vectors; ++v) {
            x[v] = nx[v];
            y[v] = ny[v];
        }
    }
}

// Starts lane i on the strip's next pending pixel, its first pass being pass k; false, with
// the lane idle, if none is left.
bool Refill(StripWalk<DoubleArith>& walk, LaneSet& s, int i, int64_t k) {
    Lane<DoubleArith> l;
    if (walk.NextPending(l, s.col[i], s.row[i])) {
        s.x[i] = l.x;
        s.y[i] = l.y;
        s.cx[i] = l.cx;
        s.cy[i] = l.cy;
        s.stop[i] = k + l.m - 1;
        return true;
    }
    s.x[i] = s.y[i] = s.cx[i] = s.cy[i] = 0.0;
    s.stop[i] = INT64_MAX;
    return false;
}

int64_t LeastStop(const LaneSet& s) {
    int64_t least = INT64_MAX;
    for (int i = 0; i < Lanes; ++i) least = s.stop[i] < least ? s.stop[i] : least;
    return least;
}
}  // namespace

void ComputeStripDoubleAvx2(int t) {
    StripWalk<DoubleArith> walk(t);
    SliceCredit credit;
    LaneSet s;
    int64_t k = 0;   // the next pass
    int active = 0;
    for (int i = 0; i < Lanes; ++i) active += Refill(walk, s, i, k);
    int64_t least = LeastStop(s);
    while (active > 0) {
        uint32_t out;
        // No lane can run out before the one with the earliest stop.
        const int64_t last = k + RunLanes(s, int32_t(least - k), out);
        uint32_t finished = out;
        if (last == least)
            for (int i = 0; i < Lanes; ++i) finished |= uint32_t(s.stop[i] == last) << i;
        k = last + 1;
        for (; finished != 0; finished &= finished - 1) {
            const int i = __builtin_ctz(finished);
            const int32_t count = (out >> i) & 1 ? int32_t(s.stop[i] - last + 1) : 0;
            // Orbits in flight stay -1 when the slice ends; the next call starts them afresh.
            if (!credit.Take()) return;
            walk.Store(s.col[i], s.row[i], count);
            active -= !Refill(walk, s, i, k);
        }
        least = LeastStop(s);
    }
    credit.GiveBack();
}
