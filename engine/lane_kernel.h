// engine/lane_kernel.h - the lane machinery of the vector strip kernels, around a vector
// arithmetic of their own.
//
// Several vectors of orbits advance in step. When a lane's orbit ends, its pixel is stored and
// the lane takes the strip's next pending pixel, so narrow strips and scattered pending pixels
// (refinement passes) keep every lane busy. The strip walk, the slice accounting and the
// counts are those of the scalar kernels: each lane performs the scalar pass of its format,
// operation for operation, so every count is the scalar kernel's.
//
// The vector arithmetic K provides:
//   K::Arith                  the scalar arithmetic of the format (strip walk, first pass)
//   K::Width, K::Vectors      lanes per vector, vectors in flight (Width x Vectors <= 32)
//   K::Orbits                 one vector of orbits: z, c and a kept earlier z of each lane
//   K::Idle(o)                every lane at z = c = 0, an orbit that never escapes
//   K::Pass(o)                one pass on every lane, z advanced in place; the lane bits of
//                             the lanes whose old z escapes (other lanes' z are exact)
//   K::Repeats(o)             the lane bits whose z equals the kept one exactly
//   K::Keep(o)                keeps every lane's z
//   K::Put(o, lane, px, py)   the lane starts afresh at z = c = (px, py), which is also kept
//
// Each vector kernel's file includes this header inside a region compiled for its own
// instruction set (#pragma GCC target), after everything the header itself includes. So
// that no copy of this code compiled for one processor can stand in for another file's
// copy, everything here is a template of K or has internal linkage.
#pragma once
#include <climits>
#include <cstdint>
#include "engine/simd_lanes.h"
#include "engine/strip.h"

namespace {

template <class K>
class LaneKernel {
public:
    using Arith = typename K::Arith;
    using Value = typename Arith::Value;
    using Orbits = typename K::Orbits;
    static constexpr int Width = K::Width, Vectors = K::Vectors, Lanes = Width * Vectors;
    static_assert(Lanes <= 32, "one bit per lane in a 32-bit word");

    explicit LaneKernel(int t) : walk(t) {}

    void Run() {
        // The orbits are the loop's own variables, named by constant indices only, so that
        // they live in registers.
        Orbits o[Vectors];
        for (int v = 0; v < Vectors; ++v) K::Idle(o[v]);
        for (int i = 0; i < Lanes; ++i)
            if (!Refill(o, i)) return;
        int64_t least = LeastStop();
        while (active > 0) {
            // No lane can run out before the one with the earliest stop.
            const int32_t budget = int32_t(least - k);
            int32_t done = 0;
            uint32_t out, repeat = 0;
            for (;;) {
#pragma GCC unroll 3
                for (int j = 0; j < 3; ++j) {
                    out = PassAll(o);
                    if (out != 0 || done == budget) goto over;
                    ++done;
                }
                // Every fourth pass also looks for an exact repeat, which ends most orbits
                // inside the set long before the limit.
                out = PassAll(o);
                repeat = RepeatsAll(o);
                if ((out | repeat) != 0 || done == budget) break;
                ++done;
                // A fresh z kept every 64 passes catches cycles up to that length.
                if (((k + done) & 63) < 4) KeepAll(o);
            }
        over:
            const int64_t last = k + done;
            // Idle lanes sit at 0, which repeats.
            uint32_t finished = out | (repeat & busy);
            if (last == least)
                for (int i = 0; i < Lanes; ++i) finished |= uint32_t(stop[i] == last) << i;
            k = last + 1;
            bool recount = false;
            for (; finished != 0; finished &= finished - 1) {
                const int i = __builtin_ctz(finished);
                const int32_t count = (out >> i) & 1 ? int32_t(stop[i] - last + 1) : 0;
                // Orbits in flight stay -1 when the slice ends; the next call starts them afresh.
                if (!credit.Take()) return;
                walk.Store(col[i], row[i], count);
                // Every orbit starts with the same limit, so a refilled lane stops after all
                // the others: the earliest stop moves only when its own lane finishes.
                recount |= stop[i] == least;
                --active;
                if (!Refill(o, i)) return;
            }
            if (recount) least = LeastStop();
        }
        credit.GiveBack();
    }

private:
    [[gnu::always_inline]] static uint32_t PassAll(Orbits* o) {
        uint32_t out = 0;
#pragma GCC unroll 8
        for (int v = 0; v < Vectors; ++v) out |= K::Pass(o[v]) << (v * Width);
        return out;
    }

    [[gnu::always_inline]] static uint32_t RepeatsAll(const Orbits* o) {
        uint32_t same = 0;
#pragma GCC unroll 8
        for (int v = 0; v < Vectors; ++v) same |= K::Repeats(o[v]) << (v * Width);
        return same;
    }

    [[gnu::always_inline]] static void KeepAll(Orbits* o) {
#pragma GCC unroll 8
        for (int v = 0; v < Vectors; ++v) K::Keep(o[v]);
    }

    int64_t LeastStop() const {
        int64_t least = INT64_MAX;
        for (int i = 0; i < Lanes; ++i) least = stop[i] < least ? stop[i] : least;
        return least;
    }

    // Lane i takes the strip's next pending pixel, its first pass being pass k, or goes idle
    // when none is left. A pixel whose first pass escapes (most of those far outside the set)
    // is finished here, by that same pass done on its own, and never takes a lane: it would
    // only cost a trip out of the vector loop. False when the slice is over.
    [[gnu::always_inline]] bool Refill(Orbits* o, int i) {
        Lane<Arith> l;
        Value px{}, py{};
        stop[i] = INT64_MAX;
        busy &= ~(1u << i);
        while (walk.NextPending(l, col[i], row[i])) {
            Value nx, ny;
            if (Arith::Pass(l.x, l.y, l.cx, l.cy, nx, ny)) {
                if (!credit.Take()) return false;
                walk.Store(col[i], row[i], l.m);
                continue;
            }
            px = l.cx;
            py = l.cy;
            stop[i] = k + l.m - 1;
            busy |= 1u << i;
            ++active;
            break;
        }
#pragma GCC unroll 8
        for (int v = 0; v < Vectors; ++v)
            if (i / Width == v) K::Put(o[v], i % Width, px, py);
        return true;
    }

    StripWalk<Arith> walk;
    SliceCredit credit;
    // The pass index at which a lane's down-counter reaches 1; INT64_MAX for an idle lane.
    // Passes are numbered for the whole call, so lanes that go on need no update.
    int64_t stop[Lanes];
    int col[Lanes], row[Lanes];
    uint32_t busy = 0;   // bit i: lane i has a pixel
    int active = 0;
    int64_t k = 0;       // the next pass
};

}  // namespace
