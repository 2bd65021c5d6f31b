// The lane machinery of the vector strip kernels (engine/lane_kernel.h) on emulated vectors,
// plain arrays of lanes, so that every lane shape runs on any processor: the eight-lane
// AVX-512 one, odd shapes with tiny batches and patience, and the IFMA Fixed60 and long128
// kernels and the Fixed60 lanes on 32-bit multiplies (AVX2) through the emulated
// instructions (ifma_emul.h); the long128 lanes of the avx2 path, one orbit a lane, in
// other shapes than the kernel's. Each must give the scalar
// kernel's picture, pixel for pixel.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>
#define ZENTRIX_EMULATED_VECTORS 1   // the lane machinery on plain arrays, outside any target region
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/kernel_fixed60.h"
#include "engine/kernel_long128.h"
#include "engine/vector_prelude.h"
#include "engine/lane_kernel.h"
#include "engine/simd_double_lanes.h"
#include "engine/simd_fixed60_mul32.h"
#include "engine/simd_fixed60_pass.h"
#include "engine/simd_long128_mulx.h"
#include "engine/simd_long128_pass.h"
#include "tests/engine_reference.h"
#include "tests/ifma_emul.h"
#include "platform/headless/headless.h"

using ref::Scene;

namespace {
// The double lanes of the vector kernels on W plain lanes; t + t as the scalar pass writes it.
template <int W>
struct EmulDoubleOps {
    static constexpr int Width = W;
    struct Vec { double lane[W]; };
    typedef uint32_t Mask;
    struct Counts { int64_t lane[W]; };
    template <class F>
    static Vec Each(F f) {
        Vec r;
        for (int j = 0; j < W; ++j) r.lane[j] = f(j);
        return r;
    }
    static Vec Zero() { return Vec{}; }
    static Counts ZeroCounts() { return Counts{}; }
    static Vec Four() { return Each([](int) { return 4.0; }); }
    static Vec Mul(Vec a, Vec b) { return Each([&](int j) { return a.lane[j] * b.lane[j]; }); }
    static Vec Add(Vec a, Vec b) { return Each([&](int j) { return a.lane[j] + b.lane[j]; }); }
    static Vec Sub(Vec a, Vec b) { return Each([&](int j) { return a.lane[j] - b.lane[j]; }); }
    static Vec Twice(Vec t) { return Add(t, t); }
    static Mask NotBelow(Vec s, Vec f) {
        Mask m = 0;
        for (int j = 0; j < W; ++j) m |= Mask(!(s.lane[j] < f.lane[j])) << j;
        return m;
    }
    static Mask Same(Vec x, Vec rx, Vec y, Vec ry) {
        Mask m = 0;
        for (int j = 0; j < W; ++j) m |= Mask(x.lane[j] == rx.lane[j] && y.lane[j] == ry.lane[j]) << j;
        return m;
    }
    static uint32_t Bits(Mask m) { return m; }
    static Mask Lanes(uint32_t bits) { return bits; }
    static Vec Select(Mask m, Vec a, Vec b) { return Each([&](int j) { return m >> j & 1 ? a.lane[j] : b.lane[j]; }); }
    static Counts CountUp(Counts c, Mask m) {
        for (int j = 0; j < W; ++j) c.lane[j] += m >> j & 1;
        return c;
    }
    static Counts ClearCounts(Counts c, Mask m) {
        for (int j = 0; j < W; ++j) c.lane[j] = m >> j & 1 ? 0 : c.lane[j];
        return c;
    }
    static Vec Load(const double* p) { return Each([&](int j) { return p[j]; }); }
    static void Store(double* p, Vec v) { std::copy_n(v.lane, W, p); }
    static void StoreCounts(int64_t* p, Counts c) { std::copy_n(c.lane, W, p); }
};

template <int W, int V, int B, int P, int S = 0, bool R = false>
struct EmulDouble : DoubleLanes<EmulDoubleOps<W>> {
    static constexpr int Vectors = V, Batch = B, Patience = P, Sieve = S;
    static constexpr bool StoreRuns = R;
};

// The IFMA kernels' lanes on emulated instructions, written once over the form of a
// coordinate as the kernels' are. Sums wrap, so an escaped orbit may come back into range;
// its mark is sticky.
template <class C, int V, int B, int P>
struct EmulIfmaLanes {
    typedef typename C::Arith Arith;
    typedef typename C::Coord Coord;
    typedef typename Arith::Value Value;
    static constexpr int Width = 8, Vectors = V, Batch = B, Patience = P, Sieve = 0;
    struct Orbits {
        Coord x, y, cx, cy, rx, ry;
        int64_t after[8];
        uint32_t out;
    };
    static void Idle(Orbits& o) { o = Orbits{}; }
    static bool Fits(Value, Value) { return true; }
    static uint32_t Pass(Orbits& o) {
        o.out |= C::Pass(o.x, o.y, o.cx, o.cy);
        for (int j = 0; j < 8; ++j) o.after[j] += o.out >> j & 1;
        return o.out;
    }
    static void Escaped(const Orbits& o, int64_t* after) { std::copy_n(o.after, 8, after); }
    static uint32_t Repeats(const Orbits& o) {
        uint32_t same = 0;
        for (int j = 0; j < 8; ++j) same |= uint32_t(C::Same(o.x, o.rx, j) && C::Same(o.y, o.ry, j)) << j;
        return same;
    }
    static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }
    static void Put(Orbits& o, uint32_t lanes, const Value* px, const Value* py) {
        const Coord vx = C::Load(px), vy = C::Load(py);
        for (int j = 0; j < 8; ++j)
            if (lanes >> j & 1) {
                for (Coord* to : {&o.x, &o.cx, &o.rx}) C::Set(*to, vx, j);
                for (Coord* to : {&o.y, &o.cy, &o.ry}) C::Set(*to, vy, j);
                o.after[j] = 0;
            }
        o.out &= ~lanes;
    }
};

// Fixed60: one word a lane.
struct EmulFixed60Coords {
    typedef Fixed60Arith Arith;
    typedef EmulIfmaOps::Vec Coord;
    static uint32_t Pass(Coord& x, Coord& y, const Coord& cx, const Coord& cy) {
        return PassFixed60<EmulIfmaOps>(x, y, cx, cy);
    }
    static bool Same(const Coord& a, const Coord& b, int j) { return a.lane[j] == b.lane[j]; }
    static void Set(Coord& to, const Coord& from, int j) { to.lane[j] = from.lane[j]; }
    static Coord Load(const Fixed60* v) {
        Coord c;
        for (int j = 0; j < 8; ++j) c.lane[j] = v[j];
        return c;
    }
};

// long128: three limbs a lane, which need not be reduced, so a repeat is seen only in equal limbs.
struct EmulLong128Coords {
    typedef Long128Arith Arith;
    typedef Limbs128<EmulIfmaOps> Coord;
    static uint32_t Pass(Coord& x, Coord& y, const Coord& cx, const Coord& cy) {
        return PassLong128<EmulIfmaOps>(x, y, cx, cy);
    }
    static bool Same(const Coord& a, const Coord& b, int j) {
        return a.l0.lane[j] == b.l0.lane[j] && a.l1.lane[j] == b.l1.lane[j] && a.l2.lane[j] == b.l2.lane[j];
    }
    static void Set(Coord& to, const Coord& from, int j) {
        to.l0.lane[j] = from.l0.lane[j];
        to.l1.lane[j] = from.l1.lane[j];
        to.l2.lane[j] = from.l2.lane[j];
    }
    static Coord Load(const long128* v) {
        EmulIfmaOps::Vec lo, hi;
        for (int j = 0; j < 8; ++j) {
            lo.lane[j] = int64_t(v[j].lo);
            hi.lane[j] = int64_t(v[j].hi);
        }
        return Limbs128Of<EmulIfmaOps>(lo, hi);
    }
};

// The Fixed60 lanes on 32-bit multiplies, whose mark is the out-of-range x it leaves.
template <int V, int B, int P>
struct EmulFixed60Mul32 : Fixed60Mul32Lanes<EmulIfmaOps> {
    static constexpr int Vectors = V, Batch = B, Patience = P, Sieve = 0;
};

// The long128 lanes of the avx2 path in another shape. They need BMI2, as that path does;
// without it the scalar kernel stands in.
template <int W, int V, int B, int P>
struct MulxLong128 : Long128MulxLanes<W> {
    static constexpr int Vectors = V, Batch = B, Patience = P, Sieve = 0;
};

typedef void (*StripKernel)(int t);
template <class K>
void LaneStrip(int t) {
    LaneKernel<K>(t).Run();
}

template <class K>
void MulxStrip(int t) {
    if (__builtin_cpu_supports("bmi2"))
        LaneStrip<K>(t);
    else
        ComputeStripLong128Scalar(t);
}

struct Path {
    const char* name;
    StripKernel strip;
    uint8_t mode;   // the number format the kernel computes in
};
// The AVX-512 and AVX2 shapes, odd shapes, one lane alone, and batches of one lane with
// almost no patience, so that every way out of the vector loop is taken often.
const Path Paths[] = {
    {"double 8x4", LaneStrip<EmulDouble<8, 4, 12, 48>>, ModeDouble},
    {"double 8x4 sieve 6, runs", LaneStrip<EmulDouble<8, 4, 12, 48, 6, true>>, ModeDouble},
    {"double 4x4 sieve 6", LaneStrip<EmulDouble<4, 4, 6, 64, 6>>, ModeDouble},
    {"double 2x3 batch 1 sieve 1, runs", LaneStrip<EmulDouble<2, 3, 1, 2, 1, true>>, ModeDouble},
    {"double 1x1 sieve 300, runs", LaneStrip<EmulDouble<1, 1, 1, 1, 300, true>>, ModeDouble},
    {"double 2x3 batch 1", LaneStrip<EmulDouble<2, 3, 1, 2>>, ModeDouble},
    {"double 4x2 batch 3", LaneStrip<EmulDouble<4, 2, 3, 5>>, ModeDouble},
    {"double 1x1", LaneStrip<EmulDouble<1, 1, 1, 1>>, ModeDouble},
    {"fixed60 8x4", LaneStrip<EmulIfmaLanes<EmulFixed60Coords, 4, 12, 48>>, ModeFixed60},
    {"fixed60 8x4 batch 2", LaneStrip<EmulIfmaLanes<EmulFixed60Coords, 4, 2, 3>>, ModeFixed60},
    {"fixed60 on 32-bit multiplies 8x2", LaneStrip<EmulFixed60Mul32<2, 4, 64>>, ModeFixed60},
    {"fixed60 on 32-bit multiplies 8x1 batch 1", LaneStrip<EmulFixed60Mul32<1, 1, 2>>, ModeFixed60},
    {"long128 8x2", LaneStrip<EmulIfmaLanes<EmulLong128Coords, 2, 8, 96>>, ModeLong128},
    {"long128 one orbit a lane 3x2 batch 2", MulxStrip<MulxLong128<3, 2, 2, 3>>, ModeLong128},
};

// The engine picks its strip kernels itself, so the tile is run here: opened as ComputeTile
// opens it, then computed by the kernel under test on the main thread, which takes every row.
void RunTile(StripKernel strip) {
    OpenTile();
    strip(1);
}

// One view: known counts from `known` where it is not -1, `threads` strips per tile, and,
// when sliced, every slice stopped after `perSlice` pixels. Without a strip kernel, the
// engine's scalar kernels.
ref::Picture Render(StripKernel strip, const Scene& s, int threads, const std::vector<int32_t>& known, int perSlice) {
    EXPECT_TRUE(ForceKernelPath(KernelPath::Scalar));
    ref::Install(s, threads);
    for (int i = 0; i < s.Width * s.Height; ++i) MaskAt(i % s.Width, i / s.Width) = known[i];
    if (strip == nullptr) {
        ref::RunPass();
        return ref::TakePicture(s);
    }
    auto pending = [&] {
        int n = 0;
        for (int row = 0; row < s.Height; ++row) n += int(std::count(&MaskAt(0, row), &MaskAt(s.Width, row), -1));
        return n;
    };
    Work.LivePass = perSlice > 0;
    HeadlessSetTicksPerRead(perSlice > 0 ? 2 * Calc.QpcFrequency : 0);   // every clock read ends the slice
    for (Work.TilePos = 0; Work.TilePos < TileCount; ++Work.TilePos) {
        int before = pending();
        do {
            PrepareSlice();
            if (perSlice > 0) Work.SliceCounter = perSlice;
            RunTile(strip);
            // Each slice stores exactly what the counter allowed, however its pixels ended.
            const int after = pending();
            EXPECT_TRUE(Work.SliceExpired ? before - after == perSlice : before - after <= perSlice || perSlice == 0);
            before = after;
        } while (Work.SliceExpired);
    }
    HeadlessSetTicksPerRead(0);
    return ref::TakePicture(s);
}

// Every emulated kernel of the view's number format gives the scalar picture.
void ExpectSamePictures(const Scene& s, int threads, const std::vector<int32_t>& known, int perSlice = 0) {
    const ref::Picture want = Render(nullptr, s, threads, known, 0);
    const uint8_t mode = Calc.NumberMode;
    int tried = 0;
    for (const Path& path : Paths) {
        if (path.mode != mode) continue;
        ++tried;
        const ref::Picture got = Render(path.strip, s, threads, known, perSlice);
        ASSERT_TRUE(got == want) << path.name << " at " << s.CenterY << " + " << s.CenterX << "i, zoom " << s.Zoom
                                 << ", " << threads << " threads, slices of " << perSlice;
    }
    ASSERT_GT(tried, 0) << "no emulated kernel for mode " << int(mode);
}

std::vector<int32_t> AllPending(const Scene& s) { return std::vector<int32_t>(s.Width * s.Height, -1); }

// A shallow view in each number format: double, Fixed60 (FPU mode off), long128 (forced).
const std::pair<uint8_t, int> Formats[] = {{1, -1}, {0, -1}, {1, ModeLong128}};

const char* const Misiurewicz = "-1.54368901269207636157085597180174798652";
}  // namespace

TEST(LaneMachinery, EngineViewsMatchScalar) {
    const Scene views[] = {
        {"-0.5", "0", -4, 300, 64, 48},                      // the default view, rim points included
        {"-1.7687788", "0.0017389", 12, 800, 48, 36},
        {"0", "1", 20, 1000, 32, 24},                        // a cycle of exact repeats
        {Misiurewicz, "0", 45, 400, 32, 24},                 // the deepest double zoom
        {"-1.9975", "0", 6, 300, 48, 32},                    // lanes and rim points side by side
        {"-2", "0", 45, 300, 32, 24},                        // the tip: rim points next to lanes
        {Misiurewicz, "0", 46, 400, 32, 24},                 // Fixed60 from here ...
        {"0", "-1", 49, 500, 32, 24},
        {Misiurewicz, "0", 52, 400, 32, 24},                 // ... to here
        {"-0.7453", "0.1127", 10, 500, 64, 48, 0},           // Fixed60 at a shallow zoom
        {"0", "2.5", -4, 300, 64, 48, 1, 0, ModeFixed60},    // escaped orbits wrap round
        {Misiurewicz, "0", 53, 400, 32, 24},                 // long128
        {"-2", "0", 62, 200, 32, 24},
        {"-0.7453", "0.1127", 10, 300, 48, 32, 1, 0, ModeLong128},
    };
    for (const Scene& s : views) {
        for (int threads : {1, 3, 8}) ExpectSamePictures(s, threads, AllPending(s));
        if (HasFatalFailure()) return;
    }
}

// Low limits: many lanes reach their limit, often together, and some run a pass past it
// before the vector loop is left; an escape in that pass must not count.
TEST(LaneMachinery, LowLimitsMatchScalar) {
    for (int32_t limit : {2, 3, 5, 8, 13}) {
        const Scene views[] = {{"-0.5", "0", -4, limit, 64, 48}, {"-0.75", "0.1", 0, limit, 64, 48, 0}};
        for (const Scene& s : views) ExpectSamePictures(s, 3, AllPending(s));
        if (HasFatalFailure()) return;
    }
}

// A refinement-like pass (every seventh pixel pending among known counts), in each format,
// and tall strips of one column or none, where the lanes outnumber a tile's pixels and
// refill across rows.
TEST(LaneMachinery, ScatteredPendingPixelsAndTallStripsMatchScalar) {
    for (auto [fpu, force] : Formats) {
        const Scene wide{"-1.2", "0.25", 4, 600, 160, 64, fpu, 0, force};
        std::vector<int32_t> known(wide.Width * wide.Height);
        for (size_t i = 0; i < known.size(); ++i) known[i] = i % 7 == 3 ? -1 : int32_t(i % 11);
        ExpectSamePictures(wide, 2, known);
        const Scene tall{"-0.75", "0.1", 0, 400, 16, 640, fpu, 0, force};
        ExpectSamePictures(tall, 1, AllPending(tall));
        if (HasFatalFailure()) return;
    }
}

// The whole picture as one tile, so that strips are long and their groups of pending pixels
// are mostly runs side by side in a row: one strip, and two (which the kernel takes as one
// tile, row by row); limits below and above the sieve's passes; scattered known counts;
// and once in slices of 37 pixels.
TEST(LaneMachinery, WholePictureStripsMatchScalar) {
    auto render = [](StripKernel strip, const Scene& s, int threads, const std::vector<int32_t>& known, int perSlice) {
        EXPECT_TRUE(ForceKernelPath(KernelPath::Scalar));
        ref::Install(s, threads);
        for (int i = 0; i < s.Width * s.Height; ++i) MaskAt(i % s.Width, i / s.Width) = known[i];
        ref::WholePictureTile(s, threads);
        Work.LivePass = perSlice > 0;
        HeadlessSetTicksPerRead(perSlice > 0 ? 2 * Calc.QpcFrequency : 0);
        do {
            PrepareSlice();
            if (perSlice > 0) Work.SliceCounter = perSlice;
            if (strip == nullptr)
                ComputeTile();
            else
                RunTile(strip);
        } while (Work.SliceExpired);
        HeadlessSetTicksPerRead(0);
        return ref::TakePicture(s);
    };
    for (int32_t limit : {2, 7, 300}) {
        for (const char* y : {"-0.5", "0.3"}) {
            const Scene s{y, "0", -2, limit, 160, 120};
            std::vector<int32_t> known = AllPending(s);
            for (size_t i = 0; i < known.size(); i += 997) known[i] = 5;
            for (int threads : {1, 2}) {
                const int perSlice = limit == 300 && threads == 2 ? 37 : 0;
                const ref::Picture want = render(nullptr, s, threads, known, 0);
                for (const Path& path : Paths) {
                    if (path.mode != ModeDouble) continue;
                    ASSERT_TRUE(render(path.strip, s, threads, known, perSlice) == want)
                        << path.name << " at " << y << ", limit " << limit << ", " << threads << " strips";
                }
            }
        }
    }
}

TEST(LaneMachinery, ExpiredSlicesResumeToTheScalarPicture) {
    const Scene views[] = {
        {"-0.75", "0.1", 0, 400, 96, 64},
        {"1.5", "0", -4, 300, 96, 64},   // many pixels that escape in their first pass
        {"-0.7453", "0.1127", 10, 300, 96, 64, 0},
        {Misiurewicz, "0", 48, 300, 64, 48},
        {Misiurewicz, "0", 60, 300, 64, 48},
    };
    for (const Scene& s : views)
        for (auto [perSlice, threads] : {std::pair{1, 1}, {2, 3}, {7, 2}}) {
            std::vector<int32_t> known = AllPending(s);
            for (size_t i = 0; i < known.size(); i += 5) known[i] = 3;
            ExpectSamePictures(s, threads, known, perSlice);
            if (HasFatalFailure()) return;
        }
    for (auto [fpu, force] : Formats) {
        // Strips of 40 pending pixels, more than the lanes: refills go on through the slices.
        const Scene tiles{"-0.75", "0.1", 0, 300, 256, 160, fpu, 0, force};
        ExpectSamePictures(tiles, 1, AllPending(tiles), 40);
        // Tiles of 4 x 4 pixels in two strips: the first holds 2 pending pixels, the second
        // 8. The first ends with credit left, which the second must get back for the slice
        // to store its 7.
        const Scene halves{"-0.75", "0.1", 0, 300, 128, 128, fpu, 0, force};
        std::vector<int32_t> known = AllPending(halves);
        for (size_t i = 0; i < known.size(); ++i)
            if (i % 4 < 2 && i / 128 % 4 != 0) known[i] = 5;
        ExpectSamePictures(halves, 2, known, 7);
        if (HasFatalFailure()) return;
    }
}
