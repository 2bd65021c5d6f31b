// engine/simd_deep_lanes.h - the perturbation strip kernel on vector lanes, written once for
// every vector width: each lane runs one pixel's calm passes (engine/deep_kernel.h), the
// operations of DeepMeasureOf, DeepCalm and DeepPlainPass in their order, so its bits are the
// scalar kernel's. As soon as any lane's pass is not calm, no lane takes that pass: the loop
// is left, those lanes make it through DeepEventPass one by one, finished pixels are stored
// and their lanes take the strip's next pending pixels, and the loop goes on.
//
// The operations V provides, each one instruction or a few on every lane:
//   V::Width, V::Vectors            lanes per vector, vectors in flight
//   V::Vec, V::Mask                 doubles; a lane selection
//   V::Set(const double* v)         a vector of v[0 .. Width) (any alignment)
//   V::Put(double* v, x)            the lanes of x into v[0 .. Width)
//   V::Fill(x)                      every lane x
//   V::Mul, V::Add, V::Sub          lane by lane, rounded as the scalar operation
//   V::Below(a, b)                  a < b, false for NaN
//   V::Above(a, b)                  a > b, false for NaN
//   V::NotBelow(a, b)               !(a < b)
//   V::Or(m, n), V::Bits(m)         union of selections; one bit per lane
//   V::Orbit(p, k, zr, zi)          the reference value at p[j] + k for each lane j
//
// Include inside a vector region (engine/vector_region_begin.h) after engine/deep_kernel.h
// and engine/deep_table.h; internal linkage.
#pragma once
#include "engine/vector_region.h"

namespace {

template <class V>
class DeepLaneKernel {
public:
    static constexpr int Width = V::Width, Vectors = V::Vectors, Lanes = Width * Vectors;
    static_assert(Lanes <= 32, "one bit per lane in a 32-bit word");
    typedef typename V::Vec Vec;

    explicit DeepLaneKernel(int t) : walk(t), orbit(DeepTable.Orbit.data()), idleBudget(double(DeepTable.Length - 1)) {}

    void Run() {
        for (int i = 0; i < Lanes; ++i) Idle(i);
        for (int i = 0; i < Lanes; ++i)
            if (!Refill(i)) return;
        while (active > 0) {
            const uint32_t events = Passes();
            for (uint32_t e = events; e != 0; e &= e - 1)
                if (!Event(__builtin_ctz(e))) return;
        }
        credit.GiveBack();
    }

private:
    // The lanes' calm passes until a pass of some lane is not calm; that pass is not taken by
    // any lane. Returns the lanes whose pass was not calm.
    [[gnu::noinline]] uint32_t Passes() {
        // The passes until the first budget runs out are counted here rather than lane by lane.
        int32_t least = INT32_MAX;
        bool plain = true;
        for (int i = 0; i < Lanes; ++i) {
            least = int32_t(laneBudget[i]) < least ? int32_t(laneBudget[i]) : least;
            plain &= col[i] < 0 || laneS[i] == 1.0;
        }
        uint32_t events = 0;
        int32_t done = 0;
        if (least > 0) {
            // With every lane plain (or idle) the factors S = S2 = 1 and the terms Near = 0,
            // High = infinity change nothing, and are left out.
            if (plain) done = Run<true>(least, events);
            else done = Run<false>(least, events);
        }
        for (int i = 0; i < Lanes; ++i) {
            laneBudget[i] -= double(done);
            at[i] += 2 * size_t(done);
            if (laneBudget[i] == 0.0) events |= uint32_t(1) << i;
        }
        return events;
    }

    // At most `limit` passes; their number, and in `events` the lanes whose next pass is not
    // calm (for a reason other than the budget).
    template <bool Plain>
    [[gnu::always_inline]] int32_t Run(int32_t limit, uint32_t& events) {
        Vec dr[Vectors], di[Vectors], cr[Vectors], ci[Vectors], s[Vectors], s2[Vectors], near[Vectors], low[Vectors],
            high[Vectors];
        for (int v = 0; v < Vectors; ++v) {
            const int j = v * Width;
            dr[v] = V::Set(laneDR + j), di[v] = V::Set(laneDI + j), cr[v] = V::Set(laneCR + j), ci[v] = V::Set(laneCI + j);
            s[v] = V::Set(laneS + j), s2[v] = V::Set(laneS2 + j), near[v] = V::Set(laneNear + j);
            low[v] = V::Set(laneLow + j), high[v] = V::Set(laneHigh + j);
        }
        const Vec four = V::Fill(4.0);
        const double* p[Lanes];
        for (int i = 0; i < Lanes; ++i) p[i] = at[i];
        int32_t done = 0;
        size_t offset = 0;   // the lanes' reference values lie this far on from p[i]
        for (; done < limit; ++done, offset += 2) {
            Vec nr[Vectors], ni[Vectors];
            uint32_t restless = 0;
#pragma GCC unroll 4
            for (int v = 0; v < Vectors; ++v) {
                Vec zr, zi;
                V::Orbit(p + v * Width, offset, zr, zi);
                const Vec xr = Plain ? V::Add(zr, dr[v]) : V::Add(zr, V::Mul(dr[v], s[v]));
                const Vec xi = Plain ? V::Add(zi, di[v]) : V::Add(zi, V::Mul(di[v], s[v]));
                const Vec r2 = V::Add(V::Mul(xr, xr), V::Mul(xi, xi));
                const Vec d2 = V::Add(V::Mul(dr[v], dr[v]), V::Mul(di[v], di[v]));
                const auto out = V::Or(V::NotBelow(r2, four), V::Below(d2, low[v]));
                const auto rebase = Plain ? V::Below(r2, d2) : V::Below(r2, V::Add(V::Mul(d2, s2[v]), near[v]));
                const auto odd = Plain ? rebase : V::Or(rebase, V::Above(d2, high[v]));
                restless |= V::Bits(V::Or(out, odd)) << (v * Width);
                const Vec wr = V::Add(zr, xr);
                const Vec wi = V::Add(zi, xi);
                nr[v] = V::Add(V::Sub(V::Mul(wr, dr[v]), V::Mul(wi, di[v])), cr[v]);
                ni[v] = V::Add(V::Add(V::Mul(wr, di[v]), V::Mul(wi, dr[v])), ci[v]);
            }
            if (restless != 0) {
                events = restless;
                break;
            }
#pragma GCC unroll 4
            for (int v = 0; v < Vectors; ++v) {
                dr[v] = nr[v];
                di[v] = ni[v];
            }
        }
        for (int v = 0; v < Vectors; ++v) {
            const int j = v * Width;
            V::Put(laneDR + j, dr[v]);
            V::Put(laneDI + j, di[v]);
        }
        return done;
    }

    // Lane i's pass that was not calm. False when the slice is over.
    bool Event(int i) {
        if (col[i] < 0) {   // an idle lane at the end of its walk over the orbit
            Idle(i);
            return true;
        }
        DeepLane& l = lane[i];
        const int32_t calm = int32_t(l.Budget - int32_t(laneBudget[i]));   // calm passes made
        l.M += calm;
        l.Left -= calm;
        l.Budget = int32_t(laneBudget[i]);
        l.DR = laneDR[i];
        l.DI = laneDI[i];
        const int32_t r = DeepEventPass(l);
        if (r >= 0) {
            if (!credit.Take()) return false;
            walk.Store(col[i], row[i], r);
            --active;
            return Refill(i);
        }
        Hold(i);
        return true;
    }

    // Lane i takes the strip's next pending pixel, or goes idle. False when the slice is over.
    bool Refill(int i) {
        int c = 0, r = 0;
        int32_t x = 0, y = 0;
        if (walk.Gather(1, &c, &r, &x, &y) == 0) {
            Idle(i);
            return true;
        }
        col[i] = c;
        row[i] = r;
        ++active;
        DeepStartLane(lane[i], c, r);
        Hold(i);
        return true;
    }

    // The lane's state into the vectors' arrays.
    void Hold(int i) {
        const DeepLane& l = lane[i];
        laneDR[i] = l.DR, laneDI[i] = l.DI, laneCR[i] = l.CR, laneCI[i] = l.CI;
        laneS[i] = l.S, laneS2[i] = l.S2, laneNear[i] = l.Near;
        laneLow[i] = l.Low, laneHigh[i] = l.High, laneBudget[i] = double(l.Budget);
        at[i] = orbit + 2 * size_t(l.M);
    }

    // A lane without a pixel: calm at z = 0 until the end of the orbit, where it starts over.
    void Idle(int i) {
        col[i] = -1;
        laneDR[i] = laneDI[i] = laneCR[i] = laneCI[i] = laneS[i] = laneS2[i] = 0.0;
        laneNear[i] = laneLow[i] = -1.0;
        laneHigh[i] = __builtin_inf();
        laneBudget[i] = idleBudget;
        at[i] = orbit;
    }

    StripWalk<DeepWalk> walk;
    SliceCredit credit;
    const double* orbit;
    const double idleBudget;
    int active = 0;
    DeepLane lane[Lanes];
    int col[Lanes], row[Lanes];
    const double* at[Lanes];   // each lane's reference value
    alignas(64) double laneDR[Lanes], laneDI[Lanes], laneCR[Lanes], laneCI[Lanes], laneS[Lanes], laneS2[Lanes],
        laneNear[Lanes], laneLow[Lanes], laneHigh[Lanes], laneBudget[Lanes];
};

}  // namespace
