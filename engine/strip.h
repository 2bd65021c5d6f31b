// engine/strip.h - the walk over the tile the three kernels share, around an arithmetic of
// their own.
//
// A kernel walks the rows of the current tile it takes (TakeTileRow: each the next one
// nobody has taken), each left to right. A pixel whose WorkMask entry is -1 is iterated; any
// other entry is a known count and only copied and recoloured. Threads never work on the
// same row, and rows lie far apart in memory, so no two processors store into the same cache
// line. Two pending pixels are kept in flight at once (two lanes), because one orbit alone
// is a single chain of dependent operations that leaves the processor mostly idle.
// A pixel is stored only when its orbit is finished, so when the slice runs out the pixels
// still in flight simply stay -1 and are picked up again by the next call.
//
// The arithmetic A provides:
//   A::Coord                      a coordinate as the walk steps it
//   A::Value                      a coordinate as the orbit uses it
//   A::StartX(t), A::StartY()     the first column and row coordinates of strip t
//   A::Step(coord)                one pixel further
//   A::StepBy(coord, k)           k pixels further, the same bits as k single steps
//   A::PointX(cx), A::PointY(cy)  the orbit values of the walk coordinates
//   A::Pass(x, y, cx, cy, nx, ny) one pass on z = (x, y): forms z' = (nx, ny) and tells
//                                 whether z escapes
//   A::Paired                     whether two lanes pay off (false: one orbit at a time)
#pragma once
#include <cstdint>
#include "engine/colour_rule.h"
#include "engine/pixel_store.h"
#include "engine/slice_credit.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/platform.h"

// How far ahead of a run of pending pixels its stores' cache lines are asked for: four runs
// of 32 pixels.
constexpr int StoreLead = 128;
// Tiles narrower than this have the cache lines of a row asked for as the walk takes it.
constexpr int NarrowStrip = 64;

// The escape rule after one pass on z_k: the down-counter m is the result at an escape,
// 0 when it runs out; otherwise m counts down, the caller moves on to z_(k+1) and gets -1.
inline int32_t PassResult(bool escaped, int32_t& m) {
    if (escaped) return m;
    if (m == 1) return 0;
    --m;
    return -1;
}

// One orbit in flight: z0 = c, and the down-counter starts at the limit.
template <class A>
struct Lane {
    typename A::Value cx, cy, x, y;
    int32_t m;
};

// The orbit loops stay out of line: inside the strip walk the compiler would share their
// registers with the walk's own state and spill the orbit to memory.
template <class A>
[[gnu::noinline]] int32_t RunOne(Lane<A>& l) {
    typename A::Value x = l.x, y = l.y;
    const typename A::Value cx = l.cx, cy = l.cy;
    int32_t m = l.m;
    for (;;) {
        typename A::Value nx, ny;
        int32_t r = PassResult(A::Pass(x, y, cx, cy, nx, ny), m);
        if (r >= 0) return r;
        x = nx;
        y = ny;
    }
}

// Both orbits advance in step until at least one finishes; its result is >= 0, the other's
// -1 with its lane left ready for the next call. One counter serves both: neither limit can
// be reached before the smaller one is.
template <class A>
[[gnu::noinline]] void RunPair(Lane<A>& p, Lane<A>& q, int32_t& rp, int32_t& rq) {
    typename A::Value px = p.x, py = p.y, qx = q.x, qy = q.y;
    const typename A::Value pcx = p.cx, pcy = p.cy, qcx = q.cx, qcy = q.cy;
    const int32_t free = (p.m < q.m ? p.m : q.m) - 1;   // passes before a counter reaches 1
    int32_t done = 0;
    for (;;) {
        typename A::Value pnx, pny, qnx, qny;
        const bool pOut = A::Pass(px, py, pcx, pcy, pnx, pny);
        const bool qOut = A::Pass(qx, qy, qcx, qcy, qnx, qny);
        if (pOut | qOut | (done == free)) {
            int32_t pm = p.m - done, qm = q.m - done;
            rp = PassResult(pOut, pm);
            rq = PassResult(qOut, qm);
            p = {pcx, pcy, pnx, pny, pm};
            q = {qcx, qcy, qnx, qny, qm};
            return;
        }
        ++done;
        px = pnx;
        py = pny;
        qx = qnx;
        qy = qny;
    }
}

template <class A>
class StripWalk {
public:
    // The tile's first column is strip 1's, and its rows take the vertical start of strip 1.
    explicit StripWalk(int)
        : x1(TileRows.X1), x2(TileRows.X2), y2(TileRows.Y2), row(x2 >= x1 ? TakeTileRow() : y2 + 1), col(x1),
          width(Calc.WindowWidth), iteration(View.Iteration), colour(View.Color), offset(View.Offset),
          startX(A::StartX(1)), cx(startX), cy(RowStart(row)) {
        PrefetchRow(row);
    }

    void Run() {
        if (row > y2) return;
        Lane<A> a, b;
        int ac = 0, ar = 0, bc = 0, br = 0;
        bool haveA = NextPending(a, ac, ar);
        if constexpr (!A::Paired) {
            while (haveA) {
                if (!Finish(ac, ar, RunOne(a))) return;
                haveA = NextPending(a, ac, ar);
            }
            return;
        }
        bool haveB = haveA && NextPending(b, bc, br);
        while (haveA && haveB) {
            int32_t ra, rb;
            RunPair(a, b, ra, rb);
            if (ra >= 0) {
                if (!Finish(ac, ar, ra)) return;
                haveA = NextPending(a, ac, ar);
            }
            if (rb >= 0) {
                if (!Finish(bc, br, rb)) return;
                haveB = NextPending(b, bc, br);
            }
        }
        // The walk is over; at most one orbit is left.
        if (haveA) Finish(ac, ar, RunOne(a));
        if (haveB) Finish(bc, br, RunOne(b));
    }

    // Moves the cursor to the next pixel to compute, copying known counts on the way, and
    // starts the lane on it. False when the strip has no pending pixel left.
    bool NextPending(Lane<A>& lane, int& laneCol, int& laneRow) {
        typename A::Value px{}, py{};
        if (Gather(1, &laneCol, &laneRow, &px, &py) == 0) return false;
        lane = {px, py, px, py, iteration};
        return true;
    }

    // Up to `room` pixels to compute, in walk order: their columns, rows and orbit values.
    // Known counts on the way are copied. Returns how many; fewer than `room` only when the
    // strip has no pending pixel left.
    int Gather(int room, int* cols, int* rows, typename A::Value* xs, typename A::Value* ys) {
        int n = 0;
        while (row <= y2) {
            const typename A::Value py = A::PointY(cy);
            const int32_t* mask = &MaskAt(0, row);
            int c = col;
            typename A::Coord x = cx;
            while (c <= x2 && n < room) {
                const int32_t known = mask[c];
                if (known == -1) {
                    cols[n] = c;
                    rows[n] = row;
                    xs[n] = A::PointX(x);
                    ys[n] = py;
                    ++n;
                } else {
                    Store(c, row, known);
                }
                ++c;
                A::Step(x);
            }
            col = c;
            cx = x;
            if (n == room) return n;
            row = TakeTileRow();
            col = x1;
            cx = startX;
            cy = RowStart(row);
            PrefetchRow(row);
        }
        return n;
    }

    // The vertical coordinate of row r.
    static typename A::Coord RowStart(int r) { return A::StepBy(A::StartY(), r - TileRows.Y1); }

    // Asks for the cache lines of row r of a narrow tile: its mask entries, read by the
    // walk, and the entries its pixels are stored in. The rows of such a tile lie far apart
    // in memory, a pattern the processor does not fetch ahead on its own; a wide tile's
    // rows are long runs it does. The row is this thread's: a row ahead might be another's.
    // Always inlined, as PrefetchStores.
    [[gnu::always_inline]] void PrefetchRow(int r) const {
        if (r > y2 || x2 < x1 || x2 - x1 >= NarrowStrip) return;
        for (int c = x1; c <= x2 + 15; c += 16) {
            const int e = c <= x2 ? c : x2;
            __builtin_prefetch(&MaskAt(e, r));
            __builtin_prefetch(&NAt(e, r), 1);
            __builtin_prefetch(&ProgressImage[e + width * r], 1);
            __builtin_prefetch(&ScreenImage[e + width * r], 1);
        }
    }

    // When the next `len` pixels of the cursor's row are all pending, steps over them and
    // gives the column, row and walk coordinates of the first; otherwise false, and the
    // cursor stays.
    bool TakeRun(int len, int& c0, int& r0, typename A::Coord& x0, typename A::Coord& y0) {
        if (row > y2 || col + len - 1 > x2) return false;
        const int32_t* mask = &MaskAt(col, row);
        int32_t all = -1;   // -1 has every bit set: the AND is -1 only if every entry is
        for (int j = 0; j < len; ++j) all &= mask[j];
        if (all != -1) return false;
        c0 = col;
        r0 = row;
        x0 = cx;
        y0 = cy;
        PrefetchStores(col, row, width, len);
        col += len;
        cx = A::StepBy(cx, len);
        return true;
    }

    // Asks for the cache lines that the stores StoreLead pixels after (c, r) will go to, in
    // memory order: the stores of runs far outside the set come faster than the processor
    // fetches their lines on its own, and a full store buffer then stalls everything. The
    // count arrays' bottom margin holds the lead; the images' lead ends with them. Always
    // inlined: a function that only prefetches looks free of effects, and calls to it would
    // be dropped.
    [[gnu::always_inline]] static void PrefetchStores(int c, int r, int width, int len) {
        const int n = NIndex(c, r) + StoreLead;
        const int p = c + width * r + StoreLead;
        if (p > MaxPixels - len) return;
        for (int j = 0; j < len; j += 16) {
            __builtin_prefetch(&Counts.N_array[n + j], 1);
            __builtin_prefetch(&ProgressImage[p + j], 1);
            __builtin_prefetch(&ScreenImage[p + j], 1);
        }
    }

    // Stores counts[j] at column c0 + j of row r0, for every j < len whose count is not -1,
    // with colour colours[j].
    void StoreRun(int c0, int r0, int len, const int32_t* counts, const uint32_t* colours) {
        int32_t* n = &NAt(c0, r0);
        int32_t* mask = &MaskAt(c0, r0);
        uint32_t* progress = ProgressImage + c0 + width * r0;
        uint32_t* screen = ScreenImage + c0 + width * r0;
        // Every entry is written, the others with what they hold: the loop then needs no
        // conditional stores, which some processors make slow.
        for (int j = 0; j < len; ++j) {
            const bool set = counts[j] != -1;
            n[j] = set ? counts[j] : n[j];
            mask[j] = set ? counts[j] : mask[j];
            progress[j] = set ? ProgressGreen : progress[j];
            screen[j] = set ? colours[j] : screen[j];
        }
    }

    // Accounts for one newly computed pixel; false (nothing stored) when the slice is over.
    bool Finish(int c, int r, int32_t n) {
        if (!TakeSlicePixel()) return false;
        Store(c, r, n);
        return true;
    }

    int32_t Iteration() const { return iteration; }

    void Store(int c, int r, int32_t n) { StoreColoured(c, r, n, Colour(n)); }

    // As Store, with the pixel's colour already known.
    void StoreColoured(int c, int r, int32_t n, uint32_t colour) { StorePixelColoured(c, r, n, width, colour); }

    uint32_t Colour(int32_t n) const { return CountColourWith(n, iteration, colour, offset); }

private:
    // Not const: a kernel may work on a copy of the walk and assign it back.
    int x1, x2, y2;
    int row, col;                       // the walk's cursor: the next pixel to look at
    int width;
    int32_t iteration;
    double colour;
    uint32_t offset;
    typename A::Coord startX;
    typename A::Coord cx, cy;           // coordinates of the cursor's pixel
};
