// engine/lane_kernel.h - the lane machinery of the vector strip kernels, around a vector
// arithmetic of their own.
//
// Several vectors of orbits advance in step. Each lane remembers when its orbit escaped and
// then idles; once a batch of lanes has finished, their pixels are stored and each lane takes
// the strip's next pending pixel, so narrow strips and scattered pending pixels (refinement
// passes) keep the lanes busy. Leaving the vector loop costs far more than a pass, so it is
// left once per batch, not once per escape. Fresh pixels first make a few passes together in
// groups (the sieve), which finishes most pixels far outside the set before they ever take a
// lane, so the lanes are left to the longer orbits. The strip walk, the slice accounting and the
// counts are those of the scalar kernels: each lane performs the scalar pass of its format,
// operation for operation, so every count is the scalar kernel's.
//
// The vector arithmetic K provides:
//   K::Arith                  the scalar arithmetic of the format (strip walk, first pass)
//   K::Width, K::Vectors      lanes per vector, vectors in flight (Width x Vectors <= 32)
//   K::Orbits                 one vector of orbits: z, c and a kept earlier z of each lane
//   K::Idle(o)                every lane at z = c = 0, an orbit that never escapes
//   K::Batch                  finished lanes worth a trip out of the vector loop
//   K::Patience               passes a finished lane waits at most for the batch
//   K::Fits(cx, cy)           whether the orbit of c may take a lane (otherwise it runs on
//                             its own, as in the scalar kernel)
//   K::Pass(o)                one pass on every lane, z advanced in place; the lane bits of
//                             the lanes that have escaped, in this pass or an earlier one
//                             (the z of the other lanes is exact)
//   K::Escaped(o, after)      for each lane, the passes since it escaped, the escaping one
//                             included (0 for a lane that has not escaped)
//   K::Repeats(o)             the lane bits whose z equals the kept one exactly
//   K::Keep(o)                keeps every lane's z
//   K::Put(o, lanes, px, py)  the lanes whose bits are set (Width bits) start afresh at
//                             z = c = (px[j], py[j]), which is also kept, not escaped
//   K::Sieve                  passes a group of fresh pixels makes before they take lanes
//                             (0: none, and the next three are not needed)
//   K::StoreRuns              whether a sieved run's counts are stored together, in whole
//                             vectors (otherwise pixel by pixel)
//   K::PutAt(o, lanes, px, py, zx, zy)
//                             as Put, but z = (zx[j], zy[j]), which is also kept
//   K::Z(o, zx, zy)           every lane's z
//
// Each vector kernel's file includes this header inside a region compiled for its own
// instruction set (engine/vector_region_begin.h), after engine/vector_prelude.h, which holds
// everything this header relies on. So that no copy of this code compiled for one processor
// can stand in for another file's copy, everything here is a template of K or has internal
// linkage.
#pragma once
#include "engine/vector_region.h"

namespace {

// The contract above, checked as one: a vector arithmetic that misses a piece or gets a
// type wrong fails here with the piece's name, not deep inside the machinery.
template <class K>
concept LaneArithmetic =
    requires(typename K::Orbits& o, const typename K::Orbits& ko, uint32_t lanes, int64_t* after,
             typename K::Arith::Value v, const typename K::Arith::Value* p) {
        { K::Width } -> std::convertible_to<int>;
        { K::Vectors } -> std::convertible_to<int>;
        { K::Batch } -> std::convertible_to<int>;
        { K::Patience } -> std::convertible_to<int>;
        { K::Sieve } -> std::convertible_to<int>;
        K::Idle(o);
        { K::Fits(v, v) } -> std::same_as<bool>;
        { K::Pass(o) } -> std::same_as<uint32_t>;
        K::Escaped(ko, after);
        { K::Repeats(ko) } -> std::same_as<uint32_t>;
        K::Keep(o);
        K::Put(o, lanes, p, p);
    } &&
    (K::Sieve == 0 ||
     requires(typename K::Orbits& o, const typename K::Orbits& ko, uint32_t lanes,
              const typename K::Arith::Value* p, typename K::Arith::Value* z) {
         { K::StoreRuns } -> std::convertible_to<bool>;
         K::PutAt(o, lanes, p, p, p, p);
         K::Z(ko, z, z);
     });

template <LaneArithmetic K>
class LaneKernel {
public:
    using Arith = typename K::Arith;
    using Value = typename Arith::Value;
    using Orbits = typename K::Orbits;
    static constexpr int Width = K::Width, Vectors = K::Vectors, Lanes = Width * Vectors;
    static_assert(Lanes <= 32, "one bit per lane in a 32-bit word");
    static constexpr uint32_t WidthMask = Width >= 32 ? ~0u : (1u << (Width % 32)) - 1;   // one vector's lane bits

    explicit LaneKernel(int t) : walk(t), walkLimit(walk.Iteration()) {}

    void Run() {
        // The orbits are the loop's own variables, named by constant indices only, so that
        // they live in registers.
        Orbits o[Vectors];
        for (int v = 0; v < Vectors; ++v) K::Idle(o[v]);
        if (!Fill()) return;
        PutAll(o, ~0u);
        int64_t least = LeastStop();
        while (active > 0) {
            // The vectors run until enough lanes have finished to pay for a trip out of the
            // loop, or the first finished lane has waited long enough, or the lane with the
            // earliest stop has made its last pass. The test comes every fourth pass; a lane
            // that runs past its stop is told apart by the pass of its escape.
            const int want = active < K::Batch ? active : K::Batch;
            int32_t deadline = int32_t(least - k + 1);
            int32_t ran = 0;
            uint32_t out, cycled = 0;
            auto enough = [&](uint32_t finished) {
                const int32_t wait = ran + K::Patience;
                deadline = finished != 0 && wait < deadline ? wait : deadline;
                return __builtin_popcount(finished) >= want || ran >= deadline;
            };
            for (;;) {
#pragma GCC unroll 2
                for (int j = 0; j < 2; ++j) {
                    PassAll(o);
                    PassAll(o);
                    PassAll(o);
                    out = PassAll(o);
                    ran += 4;
                    // Every eighth pass also looks for an exact repeat, which ends most orbits
                    // inside the set long before the limit. A lane that has escaped may repeat
                    // infinities; idle lanes sit at 0, which repeats.
                    if (j == 1) cycled |= RepeatsAll(o) & busy & ~out;
                    if (enough(out | cycled)) goto over;
                }
                // A fresh z is kept every 64 passes; the checks 8, 16, ..., 64 passes later
                // catch the cycles whose period divides one of those distances.
                if (((k + ran) & 63) < 8) KeepAll(o);
            }
        over:
            k += ran;
            if (!Finish(o, out, cycled, least)) return;
        }
        credit.GiveBack();
    }

private:
    // Stores the finished lanes' pixels and refills the lanes; pass k - 1 was the last one.
    // Out of line: the vector loop keeps its orbits in registers, and this bookkeeping gets
    // the registers to itself. The walk and the slice credit are worked on as copies: stores
    // into the count arrays could alias the members and force a reload after every pixel.
    [[gnu::noinline]] bool Finish(Orbits* o, uint32_t out, uint32_t cycled, int64_t& least) {
        StripWalk<Arith> w = walk;
        SliceCredit c = credit;
        const bool going = FinishWith(w, c, o, out, cycled, least);
        walk = w;
        credit = c;
        return going;
    }

    [[gnu::always_inline]] bool FinishWith(StripWalk<Arith>& w, SliceCredit& c, Orbits* o, uint32_t out,
                                           uint32_t cycled, int64_t& least) {
        const int64_t last = k - 1;
        // Passes each lane has made since its escape, the escaping one included.
        int64_t after[Lanes];
        for (int v = 0; v < Vectors; ++v) K::Escaped(o[v], after + v * Width);
        uint32_t finished = out | cycled;
        if (last >= least)
            for (int i = 0; i < Lanes; ++i) finished |= uint32_t(stop[i] <= last) << i;
        bool recount = false;
        const uint32_t refill = finished;
        for (; finished != 0; finished &= finished - 1) {
            const int i = __builtin_ctz(finished);
            // An escape after the lane's last pass is no escape: the limit came first.
            const int64_t escape = last - after[i] + 1;
            const int32_t count = (out >> i) & 1 && escape <= stop[i] ? int32_t(stop[i] - escape + 1) : 0;
            // Orbits in flight stay -1 when the slice ends; the next call starts them afresh.
            if (!c.Take()) return false;
            w.Store(col[i], row[i], count);
            // Every orbit starts with the same limit, so a refilled lane stops after all
            // the others: the earliest stop moves only when its own lane finishes.
            recount |= stop[i] == least;
            --active;
            if (!Refill(w, c, i)) return false;
        }
        PutAll(o, refill);
        if (recount) least = LeastStop();
        return true;
    }

    // Every lane takes its first pixel (on copies, as in Finish). False when the slice is over.
    [[gnu::noinline]] bool Fill() {
        StripWalk<Arith> w = walk;
        SliceCredit c = credit;
        bool going = true;
        for (int i = 0; i < Lanes && going; ++i) going = Refill(w, c, i);
        walk = w;
        credit = c;
        return going;
    }

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

    // The refilled lanes of every vector take their new points at once. Every vector is
    // blended, whether it has such lanes or not: a branch on it would mostly be mispredicted.
    [[gnu::always_inline]] void PutAll(Orbits* o, uint32_t lanes) const {
#pragma GCC unroll 8
        for (int v = 0; v < Vectors; ++v) {
            const uint32_t sel = (lanes >> (v * Width)) & WidthMask;
            const int j = v * Width;
            if constexpr (K::Sieve > 0)
                K::PutAt(o[v], sel, startX + j, startY + j, startZX + j, startZY + j);
            else
                K::Put(o[v], sel, startX + j, startY + j);
        }
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
    [[gnu::always_inline]] bool Refill(StripWalk<Arith>& w, SliceCredit& c, int i) {
        if constexpr (K::Sieve > 0) return RefillSieved(w, c, i);
        Lane<Arith> l;
        Value px{}, py{};
        stop[i] = INT64_MAX;
        busy &= ~(1u << i);
        int pc = 0, pr = 0;   // the pixel's column and row, in registers while pixels pass through
        while (w.NextPending(l, pc, pr)) {
            Value nx, ny;
            const bool first = Arith::Pass(l.x, l.y, l.cx, l.cy, nx, ny);
            if (first || !K::Fits(l.cx, l.cy)) {
                if (!c.Take()) return false;
                w.Store(pc, pr, first ? l.m : RunOne(l));
                continue;
            }
            col[i] = pc;
            row[i] = pr;
            px = l.cx;
            py = l.cy;
            stop[i] = k + l.m - 1;
            busy |= 1u << i;
            ++active;
            break;
        }
        startX[i] = px;
        startY[i] = py;
        return true;
    }

    // Lane i takes the next pixel that came through the sieve, sieving the next group of
    // pending pixels first when none is waiting, or goes idle when the strip has none left.
    // False when the slice is over.
    [[gnu::always_inline]] bool RefillSieved(StripWalk<Arith>& w, SliceCredit& c, int i) {
        stop[i] = INT64_MAX;
        busy &= ~(1u << i);
        while (waitNext == waiting) {
            if (walked) {
                startX[i] = startY[i] = startZX[i] = startZY[i] = Value{};
                return true;
            }
            if (!SieveNext(w, c)) return false;
        }
        const int q = waitNext++;
        col[i] = waitCol[q];
        row[i] = waitRow[q];
        startX[i] = sieve.cx[q];
        startY[i] = sieve.cy[q];
        startZX[i] = sieve.zx[q];
        startZY[i] = sieve.zy[q];
        stop[i] = k + sievedM - 1;
        busy |= 1u << i;
        ++active;
        return true;
    }

    // The next group of pending pixels (as many as there are lanes) makes its first passes
    // together, up to K::Sieve of them, which finish most pixels far outside the set without
    // ever taking a lane: the pixels that escaped are stored, the others wait for a lane with
    // the z and down-counter they reached. A pixel that does not fit a lane is computed on its
    // own, as in the scalar kernel. False when the slice is over.
    [[gnu::noinline]] bool SieveNext(StripWalk<Arith>& w, SliceCredit& c) {
        // On copies, as in Finish: the walk's cursor stays in registers while pixels pass.
        StripWalk<Arith> lw = w;
        SliceCredit lc = c;
        const bool going = SieveWith(lw, lc);
        w = lw;
        c = lc;
        return going;
    }

    [[gnu::always_inline]] bool SieveWith(StripWalk<Arith>& w, SliceCredit& c) {
        waiting = waitNext = 0;
        int gCol[Lanes], gRow[Lanes];
        alignas(64) Value gx[Lanes], gy[Lanes], zx[Lanes], zy[Lanes];
        // Most groups are a run of pending pixels side by side in one row: their coordinates
        // are formed at once, and their counts stored together.
        int c0 = 0, r0 = 0;
        typename Arith::Coord x0, y0;
        const bool run = w.TakeRun(Lanes, c0, r0, x0, y0);
        int n = Lanes;
        if (run) {
            const Value py = Arith::PointY(y0);
            for (int j = 0; j < Lanes; ++j) {
                gx[j] = Arith::PointX(Arith::StepBy(x0, j));
                gy[j] = py;
                gCol[j] = c0 + j;
                gRow[j] = r0;
            }
        } else {
            n = w.Gather(Lanes, gCol, gRow, gx, gy);
        }
        walked = n < Lanes;
        if (n <= 0) return true;
        for (int j = n; j < Lanes; ++j) gx[j] = gy[j] = Value{};
        Orbits o[Vectors];
        for (int v = 0; v < Vectors; ++v) {
            K::Idle(o[v]);
            K::Put(o[v], WidthMask, gx + v * Width, gy + v * Width);
        }
        // The sieve stops before a down-counter could reach 0. Each pixel's escape is taken
        // from the pass that first marks it, so pixels that would not fit a lane (their z
        // may fall back inside the disc after an escape) are sieved as well.
        const int32_t passes = K::Sieve < walkLimit - 1 ? K::Sieve : walkLimit - 1;
        const uint32_t group = n >= 32 ? ~0u : (1u << n) - 1;
        uint32_t seen = 0, escapedIn[K::Sieve + 1] = {};
        for (int p = 1; p <= passes && (seen & group) != group; ++p) {
            const uint32_t out = PassAll(o);
            escapedIn[p] = out & ~seen & group;
            seen |= out;
        }
        sievedM = walkLimit - passes;
        // An escape in pass p, when the down-counter stood at limit - p + 1.
        const uint32_t done = seen & group;
        if (K::StoreRuns && run && done != 0 && c.TakeHeld(__builtin_popcount(done))) {
            // Counts and colours are set pass by pass, on the pixels that escaped in it. The
            // loop's fixed bound lets it unroll, which keeps both arrays in registers.
            int32_t counts[Lanes];
            uint32_t colours[Lanes];
            for (int j = 0; j < Lanes; ++j) {
                counts[j] = -1;
                colours[j] = 0;
            }
#pragma GCC unroll 8
            for (int p = 1; p <= K::Sieve; ++p) {
                if (p > passes) break;
                const uint32_t in = escapedIn[p];
                const int32_t count = walkLimit - p + 1;
                const uint32_t colour = w.Colour(count);
                for (int j = 0; j < Lanes; ++j) {
                    const bool here = (in >> j) & 1;
                    counts[j] = here ? count : counts[j];
                    colours[j] = here ? colour : colours[j];
                }
            }
            w.StoreRun(c0, r0, Lanes, counts, colours);
        } else {
            for (int p = 1; p <= passes; ++p) {
                const int32_t count = walkLimit - p + 1;
                const uint32_t colour = w.Colour(count);
                for (uint32_t one = escapedIn[p]; one != 0; one &= one - 1) {
                    const int j = __builtin_ctz(one);
                    if (!c.Take()) return false;
                    w.StoreColoured(gCol[j], gRow[j], count, colour);
                }
            }
        }
        const uint32_t left = ~seen & group;
        if (left == 0) return true;
        for (int v = 0; v < Vectors; ++v) K::Z(o[v], zx + v * Width, zy + v * Width);
        for (uint32_t wait = left; wait != 0; wait &= wait - 1) {
            const int j = __builtin_ctz(wait);
            if (!K::Fits(gx[j], gy[j])) {
                // Computed on its own, as in the scalar kernel.
                Lane<Arith> l{gx[j], gy[j], zx[j], zy[j], sievedM};
                if (!c.Take()) return false;
                w.Store(gCol[j], gRow[j], RunOne(l));
                continue;
            }
            const int q = waiting++;
            waitCol[q] = gCol[j];
            waitRow[q] = gRow[j];
            sieve.cx[q] = gx[j];
            sieve.cy[q] = gy[j];
            sieve.zx[q] = zx[j];
            sieve.zy[q] = zy[j];
        }
        return true;
    }

    StripWalk<Arith> walk;
    SliceCredit credit;
    // The pass index at which a lane's down-counter reaches 1; INT64_MAX for an idle lane.
    // Passes are numbered for the whole call, so lanes that go on need no update.
    int64_t stop[Lanes];
    int col[Lanes], row[Lanes];
    Value startX[Lanes], startY[Lanes];   // c of a refilled lane, until it is put in place
    Value startZX[Lanes], startZY[Lanes]; // and its z, when it comes through the sieve
    // The sieved group: c and z of each pixel; those waiting for a lane come first.
    struct {
        Value cx[Lanes], cy[Lanes], zx[Lanes], zy[Lanes];
    } sieve;
    int waitCol[Lanes], waitRow[Lanes];
    int waiting = 0, waitNext = 0;        // pixels waiting: waitNext .. waiting - 1
    int32_t sievedM = 0;                  // their down-counter
    bool walked = false;                  // the strip has no pending pixel left to sieve
    const int32_t walkLimit;              // the iteration limit
    uint32_t busy = 0;   // bit i: lane i has a pixel
    int active = 0;
    int64_t k = 0;       // the next pass
};

}  // namespace
