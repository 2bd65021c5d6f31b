// engine/simd_double_avx2.cpp - the double strip kernel on AVX2: four vectors of four orbits
// each advance in step. Each lane rounds exactly as the scalar pass does (the same operations
// in the same order, no fused multiply-add, escape on an ordered s >= 4 so NaN never
// escapes), so the counts are the scalar kernel's. When any lane finishes, its pixel is stored and the lane
// takes the strip's next pending pixel, so narrow strips and scattered pending pixels keep
// every lane busy. The orbits stay in vector variables the whole time; a lane is refilled
// by blending the new point into its vectors.
#include <immintrin.h>
#include <climits>
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/kernels.h"
#include "engine/simd_lanes.h"
#include "engine/strip.h"

namespace {
// A pass is a chain of three dependent operations of three or four cycles each; four
// vectors in flight keep the multiply and add units fed through it.
constexpr int Lanes = 16;

struct Orbits {
    __m256d x, y, cx, cy;
    __m256d rx, ry;   // an earlier z of the same orbit, NaN when none is kept yet
};

// One pass on four orbits, z advanced in place; the escape bits of the old z.
[[gnu::always_inline, gnu::target("avx2")]] inline int Pass(Orbits& o, __m256d four, __m256d two) {
    const __m256d a = _mm256_mul_pd(o.x, o.x);
    const __m256d b = _mm256_mul_pd(o.y, o.y);
    __m256d t = _mm256_mul_pd(o.x, o.y);
    // t + t as t * 2: the same exact doubling (overflow and NaN included), but on the
    // multiply units, which have room, while the add units limit the pass.
    t = _mm256_mul_pd(t, two);
    o.x = _mm256_add_pd(t, o.cx);
    o.y = _mm256_add_pd(_mm256_sub_pd(b, a), o.cy);
    const __m256d s = _mm256_add_pd(a, b);
    return _mm256_movemask_pd(_mm256_cmp_pd(s, four, _CMP_GE_OQ));
}

// The lanes whose new z repeats the kept one exactly. Every z from the kept one on has
// passed without escaping, and the orbit now runs through them again for ever: it will
// never escape, and its count is 0 like at the end of the limit.
[[gnu::always_inline, gnu::target("avx2")]] inline int Repeats(const Orbits& o) {
    const __m256d same = _mm256_and_pd(_mm256_cmp_pd(o.x, o.rx, _CMP_EQ_OQ), _mm256_cmp_pd(o.y, o.ry, _CMP_EQ_OQ));
    return _mm256_movemask_pd(same);
}

[[gnu::always_inline, gnu::target("avx2")]] inline void Keep(Orbits& o) {
    o.rx = o.x;
    o.ry = o.y;
}

// Lane `lane` of the four starts afresh at z = c = (px, py).
[[gnu::always_inline, gnu::target("avx2")]] inline void Put(Orbits& o, int lane, double px, double py) {
    alignas(32) static const int64_t select[4][4] = {{-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, -1}};
    const __m256d sel = _mm256_castsi256_pd(_mm256_load_si256(reinterpret_cast<const __m256i*>(select[lane])));
    const __m256d vx = _mm256_set1_pd(px), vy = _mm256_set1_pd(py);
    o.x = _mm256_blendv_pd(o.x, vx, sel);
    o.cx = _mm256_blendv_pd(o.cx, vx, sel);
    o.y = _mm256_blendv_pd(o.y, vy, sel);
    o.cy = _mm256_blendv_pd(o.cy, vy, sel);
    const __m256d none = _mm256_set1_pd(__builtin_nan(""));
    o.rx = _mm256_blendv_pd(o.rx, none, sel);
    o.ry = _mm256_blendv_pd(o.ry, none, sel);
}

struct LaneBook {
    // The pass index at which the lane's down-counter reaches 1; INT64_MAX for an idle
    // lane. Passes are numbered for the whole call, so lanes that go on need no update.
    int64_t stop[Lanes];
    int col[Lanes], row[Lanes];
    uint32_t busy;   // bit i: lane i has a pixel
};

int64_t LeastStop(const LaneBook& b) {
    int64_t least = INT64_MAX;
    for (int i = 0; i < Lanes; ++i) least = b.stop[i] < least ? b.stop[i] : least;
    return least;
}
// Lane i takes the strip's next pending pixel, its first pass being pass k, or goes idle
// when none is left. A pixel whose first pass escapes (most of those far outside the set)
// is finished here, by that same pass done on its own, and never takes a lane: it would
// only cost a trip out of the vector loop. False when the slice is over.
[[gnu::always_inline, gnu::target("avx2")]] inline bool Refill(StripWalk<DoubleArith>& walk, SliceCredit& credit,
                                                              LaneBook& book, Orbits& o0, Orbits& o1, Orbits& o2,
                                                              Orbits& o3, int i, int64_t k, int& active) {
    Lane<DoubleArith> l;
    double px = 0.0, py = 0.0;
    book.stop[i] = INT64_MAX;
    book.busy &= ~(1u << i);
    while (walk.NextPending(l, book.col[i], book.row[i])) {
        const double a = l.x * l.x;
        const double b = l.y * l.y;
        const double s = a + b;
        if (s >= 4.0) {
            if (!credit.Take()) return false;
            walk.Store(book.col[i], book.row[i], l.m);
            continue;
        }
        px = l.cx;
        py = l.cy;
        book.stop[i] = k + l.m - 1;
        book.busy |= 1u << i;
        ++active;
        break;
    }
    Orbits& o = i < 4 ? o0 : i < 8 ? o1 : i < 12 ? o2 : o3;
    Put(o, i & 3, px, py);
    return true;
}
}  // namespace

[[gnu::target("avx2")]] void ComputeStripDoubleAvx2(int t) {
    StripWalk<DoubleArith> walk(t);
    SliceCredit credit;
    LaneBook book;
    book.busy = 0;
    Orbits o0, o1, o2, o3;
    o0.x = o0.y = o0.cx = o0.cy = _mm256_setzero_pd();   // idle lanes orbit at 0 and never escape
    o0.rx = o0.ry = _mm256_set1_pd(__builtin_nan(""));
    o1 = o2 = o3 = o0;
    int64_t k = 0;   // the next pass
    int active = 0;

    for (int i = 0; i < Lanes; ++i)
        if (!Refill(walk, credit, book, o0, o1, o2, o3, i, k, active)) return;
    const __m256d four = _mm256_set1_pd(4.0), two = _mm256_set1_pd(2.0);
    int64_t least = LeastStop(book);
    while (active > 0) {
        // No lane can run out before the one with the earliest stop.
        const int32_t budget = int32_t(least - k);
        int32_t done = 0;
        uint32_t out, repeat = 0;
        for (;;) {
#pragma GCC unroll 3
            for (int j = 0; j < 3; ++j) {
                out = uint32_t(Pass(o0, four, two) | Pass(o1, four, two) << 4 | Pass(o2, four, two) << 8 | Pass(o3, four, two) << 12);
                if (out != 0 || done == budget) goto over;
                ++done;
            }
            // Every fourth pass also looks for an exact repeat, which ends most orbits
            // inside the set long before the limit.
            out = uint32_t(Pass(o0, four, two) | Pass(o1, four, two) << 4 | Pass(o2, four, two) << 8 | Pass(o3, four, two) << 12);
            repeat = uint32_t(Repeats(o0) | Repeats(o1) << 4 | Repeats(o2) << 8 | Repeats(o3) << 12);
            if ((out | repeat) != 0 || done == budget) break;
            ++done;
            // A fresh z kept every 64 passes catches cycles up to that length.
            if (((k + done) & 63) < 4) {
                Keep(o0);
                Keep(o1);
                Keep(o2);
                Keep(o3);
            }
        }
    over:
        const int64_t last = k + done;
        // Idle lanes sit at 0, which repeats.
        uint32_t finished = out | (repeat & book.busy);
        if (last == least)
            for (int i = 0; i < Lanes; ++i) finished |= uint32_t(book.stop[i] == last) << i;
        k = last + 1;
        bool recount = false;
        for (; finished != 0; finished &= finished - 1) {
            const int i = __builtin_ctz(finished);
            const int32_t count = (out >> i) & 1 ? int32_t(book.stop[i] - last + 1) : 0;
            // Orbits in flight stay -1 when the slice ends; the next call starts them afresh.
            if (!credit.Take()) return;
            walk.Store(book.col[i], book.row[i], count);
            // Every orbit starts with the same limit, so a refilled lane stops after all
            // the others: the earliest stop moves only when its own lane finishes.
            recount |= book.stop[i] == least;
            --active;
            if (!Refill(walk, credit, book, o0, o1, o2, o3, i, k, active)) return;
        }
        if (recount) least = LeastStop(book);
    }
    credit.GiveBack();
}
