// The perturbation kernels against MPFR: the table's merged steps against single steps, the
// pictures of the exact range against the long128 kernel, deep pictures against direct orbits
// of sampled pixels, and every kernel path, thread count and sliced pass against the scalar
// kernel's single run.
#include <gtest/gtest.h>
#define ZENTRIX_EMULATED_VECTORS 1   // the perturbation lanes on plain arrays as well
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>
#include "engine/deep.h"
#include "engine/deep_table.h"
#include "engine/deep_kernel.h"
#include "engine/dispatch.h"
#include "engine/vector_prelude.h"
#include "engine/simd_deep_lanes.h"
#include "platform/headless/headless.h"
#include "tests/deep_mpfr.h"
#include "tests/deep_places.h"
#include "tests/deep_view.h"
#include "tests/engine_reference.h"

using ref::Scene;

namespace {
struct DeepScene {
    const char* Re;   // centre, decimal
    const char* Im;
    int32_t Zoom, Iteration, Width, Height;
    int Sample;                // every Sample-th pixel of every Sample-th row is checked by MPFR
    int MoveY = 0, MoveX = 0;  // pixels the centre lies from the point above, along zY (the real
                               // axis) and zX
};

// A preperiodic point (i -> -1 + i -> -i -> -1 + i ...), a point beside it whose own orbit
// escapes early, and the seahorse valley.
const char* const Seahorse[2] = {"-0.74364388703715870475", "0.13182590420531197049"};

int32_t ZoomBits(const DeepScene& s) { return s.Zoom + 8; }

// A picture of the scene on the perturbation path, its reference from MPFR; c holds the
// centre as the reference took it.
void InstallDeep(const DeepScene& s, int threads, deep::Mp& c) {
    deepview::Install(s.Re, s.Im, s.Zoom, s.Iteration, s.Width, s.Height, threads, s.MoveY, s.MoveX);
    deep::SetCoordinate(c.re, s.Re);
    deep::SetCoordinate(c.im, s.Im);
    deep::Mp step(64);
    mpfr_set_si(step.re, s.MoveY, MPFR_RNDN);
    mpfr_set_si(step.im, s.MoveX, MPFR_RNDN);
    mpfr_div_2ui(step.re, step.re, ZoomBits(s), MPFR_RNDN);
    mpfr_div_2ui(step.im, step.im, ZoomBits(s), MPFR_RNDN);
    mpfr_add(c.re, c.re, step.re, MPFR_RNDN);
    mpfr_add(c.im, c.im, step.im, MPFR_RNDN);
    Work.LivePass = false;
    ASSERT_TRUE(DeepAdvanceOrbit() && DeepPrepareTable());
}

std::vector<int32_t> CountsOf(int w, int h) {
    std::vector<int32_t> n;
    for (int row = 0; row < h; ++row) n.insert(n.end(), &NAt(0, row), &NAt(w, row));
    return n;
}

// The picture on one path with `threads` threads, each slice stopped after perSlice pixels
// when perSlice > 0.
std::vector<int32_t> Render(const DeepScene& s, KernelPath path, int threads, int perSlice) {
    EXPECT_TRUE(ForceKernelPath(path));
    deep::Mp c(ZoomBits(s) + 64);
    InstallDeep(s, threads, c);
    if (perSlice == 0) {
        ref::RunPass();
        return CountsOf(s.Width, s.Height);
    }
    Work.LivePass = true;
    HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);   // every clock read finds the slice over
    for (Work.TilePos = 0; Work.TilePos < TileCount; ++Work.TilePos) do {
            PrepareSlice();
            Work.SliceCounter = perSlice;
            ComputeTile();
        } while (Work.SliceExpired);
    HeadlessSetTicksPerRead(0);
    return CountsOf(s.Width, s.Height);
}
}  // namespace

// The lanes of the vector kernels on W plain lanes, V vectors.
template <int W, int Vs>
struct EmulDeepOps {
    static constexpr int Width = W, Vectors = Vs;
    struct Vec { double lane[W]; };
    typedef uint32_t Mask;
    template <class F>
    static Vec Each(F f) {
        Vec r;
        for (int j = 0; j < W; ++j) r.lane[j] = f(j);
        return r;
    }
    template <class F>
    static Mask Which(F f) {
        Mask m = 0;
        for (int j = 0; j < W; ++j) m |= Mask(f(j)) << j;
        return m;
    }
    static Vec Set(const double* v) { return Each([&](int j) { return v[j]; }); }
    static void Put(double* v, Vec x) { std::copy_n(x.lane, W, v); }
    static Vec Fill(double x) { return Each([&](int) { return x; }); }
    static Vec Mul(Vec a, Vec b) { return Each([&](int j) { return a.lane[j] * b.lane[j]; }); }
    static Vec Add(Vec a, Vec b) { return Each([&](int j) { return a.lane[j] + b.lane[j]; }); }
    static Vec Sub(Vec a, Vec b) { return Each([&](int j) { return a.lane[j] - b.lane[j]; }); }
    static Mask Below(Vec a, Vec b) { return Which([&](int j) { return a.lane[j] < b.lane[j]; }); }
    static Mask Above(Vec a, Vec b) { return Which([&](int j) { return a.lane[j] > b.lane[j]; }); }
    static Mask NotBelow(Vec a, Vec b) { return Which([&](int j) { return !(a.lane[j] < b.lane[j]); }); }
    static Mask Or(Mask m, Mask n) { return m | n; }
    static uint32_t Bits(Mask m) { return m; }
    static void Orbit(const double* const* p, size_t k, Vec& zr, Vec& zi) {
        zr = Each([&](int j) { return p[j][k]; });
        zi = Each([&](int j) { return p[j][k + 1]; });
    }
};

// re * 2^reE + i im * 2^imE, exactly.
static void Set(deep::Mp& x, double re, long reE, double im, long imE) {
    mpfr_set_d(x.re, re, MPFR_RNDN), mpfr_mul_2si(x.re, x.re, reE, MPFR_RNDN);
    mpfr_set_d(x.im, im, MPFR_RNDN), mpfr_mul_2si(x.im, x.im, imE, MPFR_RNDN);
}

// Random differences inside an entry's radius: the merged step against the single steps in
// MPFR differs by at most (1 + e0)^n - 1 (plus rounding) of |A| |delta| + Bbar |dc|max, and
// no z on the way reaches the escape.
TEST(DeepKernel, TableStepsHoldInsideTheirRadius) {
    for (const DeepScene& s : {DeepScene{"0", "1", 1000, 3000, 64, 48, 0}, DeepScene{Seahorse[0], Seahorse[1], 60, 4000, 64, 48, 0}}) {
        deep::Mp c(ZoomBits(s) + 64);
        InstallDeep(s, 1, c);
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> unit(-1.0, 1.0);
        const FloatExp d = DeepTableReachRadius();
        const long prec = 2 * ZoomBits(s) + 200;
        int tried = 0;
        for (int level = 1; level <= DeepTable.Levels; ++level)
            for (int k = 0; k < 6; ++k) {
                const int64_t count = DeepTable.LevelStart[level + 1] - DeepTable.LevelStart[level];
                const int64_t m0 = 1 + (int64_t(rng() % uint64_t(count)) << level);
                const DeepTableEntry& t = *DeepTableAt(level, m0);
                if (t.RM == 0) continue;
                ++tried;
                // delta and dc as doubles times powers of two, inside the radius and the reach.
                const double u = std::fabs(unit(rng)) * 0.7, v = std::fabs(unit(rng)) * 0.7;
                const ComplexExp delta = MakeComplexExp(t.RM * u, t.RM * unit(rng) * 0.7, t.RE);
                const ComplexExp dc = MakeComplexExp(d.M * v, d.M * unit(rng) * 0.7, d.E);
                const ComplexExp want = Add(Mul(ComplexExp{t.AR, t.AI, t.AE}, delta), Mul(ComplexExp{t.BR, t.BI, t.BE}, dc));
                deep::Mp x(prec), y(prec), dd(prec), t1(prec);
                Set(x, delta.R, delta.E, delta.I, delta.E);
                Set(dd, dc.R, dc.E, dc.I, dc.E);
                FloatExp bbar = MakeFloatExp(1.0, 0);
                bool escaped = false;
                for (int64_t m = m0; m < m0 + (int64_t(1) << level); ++m) {
                    const DeepOrbitPoint& z = DeepRef.Z[size_t(m)];
                    Set(t1, z.ReM, z.ReE, z.ImM, z.ImE);
                    if (m > m0) bbar = Add(Mul(Magnitude(MakeComplexExp2(z.ReM, z.ReE + 1, z.ImM, z.ImE + 1)), bbar), MakeFloatExp(1.0, 0));
                    // |Z + delta| short of 2; then delta' = (2Z + delta) delta + dc.
                    mpfr_add(y.re, t1.re, x.re, MPFR_RNDN), mpfr_add(y.im, t1.im, x.im, MPFR_RNDN);
                    escaped |= mpfr_get_d(y.re, MPFR_RNDN) * mpfr_get_d(y.re, MPFR_RNDN) + mpfr_get_d(y.im, MPFR_RNDN) * mpfr_get_d(y.im, MPFR_RNDN) >= 4.0;
                    mpfr_add(y.re, y.re, t1.re, MPFR_RNDN), mpfr_add(y.im, y.im, t1.im, MPFR_RNDN);
                    mpfr_mul(t1.re, y.re, x.re, MPFR_RNDN), mpfr_mul(t1.im, y.im, x.im, MPFR_RNDN);
                    mpfr_sub(t1.re, t1.re, t1.im, MPFR_RNDN);
                    mpfr_mul(t1.im, y.re, x.im, MPFR_RNDN), mpfr_mul(y.im, y.im, x.re, MPFR_RNDN);
                    mpfr_add(x.im, t1.im, y.im, MPFR_RNDN), mpfr_add(x.re, t1.re, dd.re, MPFR_RNDN);
                    mpfr_add(x.im, x.im, dd.im, MPFR_RNDN);
                }
                // The difference, scaled down by the bound's exponent.
                const FloatExp size = Add(Mul(Magnitude(ComplexExp{t.AR, t.AI, t.AE}), Magnitude(delta)), Mul(bbar, d));
                Set(t1, want.R, want.E, want.I, want.E);
                mpfr_sub(x.re, x.re, t1.re, MPFR_RNDN), mpfr_sub(x.im, x.im, t1.im, MPFR_RNDN);
                mpfr_hypot(x.re, x.re, x.im, MPFR_RNDN);
                mpfr_mul_2si(x.re, x.re, -size.E, MPFR_RNDN);
                const double relative = mpfr_get_d(x.re, MPFR_RNDN) / size.M;
                const double eps = std::pow(1.0 + DeepStepTolerance, double(int64_t(1) << level)) - 1.0 + 0x1p-44;
                EXPECT_FALSE(escaped) << level << " at " << m0;
                EXPECT_LE(relative, eps) << "level " << level << " at " << m0 << ", zoom " << s.Zoom;
            }
        EXPECT_GT(tried, 2 * DeepTable.Levels) << s.Zoom;
        // The orbit, its doubles and the table within 200 bytes per reference value.
        const size_t bytes = DeepRef.Z.capacity() * sizeof(DeepOrbitPoint) + DeepTable.Orbit.capacity() * sizeof(double) +
                             DeepTable.Entries.capacity() * sizeof(DeepTableEntry);
        EXPECT_LE(bytes, 200 * size_t(DeepRef.Length));
    }
}

// Inside the exact range the perturbation picture is the long128 picture but for a few pixels.
// (Near the mini-sets of boundary-68 and boundary-90 the chaotic pixels part: there long128 is
// the more accurate at ld_Zoom 68, perturbation at 90.)
TEST(DeepKernel, ExactRangeMatchesLong128) {
    const char* const places[] = {"boundary-80", "", ""};
    const Scene views[] = {{"", "", 0, 0, 0, 0}, {Seahorse[0], Seahorse[1], 66, 10000, 64, 40},
                           {"-1.54368901269207636157085597180174798652", "0", 80, 3000, 64, 40}};
    for (int v = 0; v < 3; ++v) {
        Scene s = views[v];
        const DeepPlace* d = FindDeepPlace(places[v]);
        if (d != nullptr) s = {"0", "0", d->Zoom, d->Iteration, 64, 40};
        std::vector<int32_t> pictures[2];
        for (int forced = 0; forced < 2; ++forced) {
            ref::Install(s, 1);
            if (d != nullptr) {
                SetCentre(View, AxisY, deepview::Coordinate(d->Re));
                SetCentre(View, AxisX, deepview::Coordinate(d->Im));
            }
            Deep.Forced = forced;
            SetupCalculation();
            Deep.Forced = false;
            ASSERT_EQ(Calc.NumberMode, forced ? ModePerturb : ModeLong128);
            ref::RunPass();
            pictures[forced] = CountsOf(s.Width, s.Height);
        }
        int same = 0;
        for (size_t i = 0; i < pictures[0].size(); ++i) same += pictures[0][i] == pictures[1][i];
        EXPECT_GE(double(same), 0.999 * double(pictures[0].size())) << "zoom " << s.Zoom << ": " << same << " of " << pictures[0].size();
    }
}

// Deep pictures against direct orbits of sampled pixels, at two precisions (pixels on which
// those disagree are left out).
TEST(DeepKernel, DeepPicturesMatchDirectOrbits) {
    std::vector<DeepScene> scenes;
    for (const DeepPlace& d : DeepPlaces) {
        if (d.Zoom <= MaxZoom) continue;   // those are compared with long128 above
        // Sparser samples where their orbits are long or wide.
        const int deepest = d.Zoom >= 10000 || d.Iteration > 20000, deeper = d.Zoom >= 3000;
        const DeepPlace& words = d.From != nullptr ? *FindDeepPlace(d.From) : d;
        scenes.push_back({words.Re, words.Im, d.Zoom, d.Iteration, deepest ? 32 : 64, deepest ? 20 : 40,
                          deepest ? 10 : deeper ? 10 : 6, d.MoveY, d.MoveX});
    }
    scenes.push_back({"0", "1", 1000, 3000, 64, 48, 12, 20});   // beside i, whose orbit is exact
    for (const DeepScene& s : scenes) {
        deep::Mp c(ZoomBits(s) + 64), p(ZoomBits(s) + 64);
        InstallDeep(s, 2, c);
        ref::RunPass();
        int agree = 0, checked = 0;
        for (int row = s.Sample / 2; row < s.Height; row += s.Sample)
            for (int col = s.Sample / 2; col < s.Width; col += s.Sample) {
                deep::PixelPoint(c, col, row, s.Width, s.Height, ZoomBits(s), p);
                const int32_t low = deep::Count(p.re, p.im, s.Iteration, ZoomBits(s) + 96);
                if (deep::Count(p.re, p.im, s.Iteration, ZoomBits(s) + 192) != low) continue;
                ++checked;
                agree += NAt(col, row) == low;
            }
        EXPECT_GT(checked, 0);
        EXPECT_GE(double(agree), 0.995 * double(checked)) << "zoom " << s.Zoom << ": " << agree << " of " << checked;
        // Beside the point, where the point is in the picture, the reference escapes long before
        // the pixels nearest to it.
        const int pointCol = s.Width / 2 - s.MoveX, pointRow = s.Height / 2 - s.MoveY;
        if ((s.MoveX != 0 || s.MoveY != 0) && pointCol >= 0 && pointCol < s.Width && pointRow >= 0 && pointRow < s.Height) {
            const int32_t atCentre = NAt(s.Width / 2, s.Height / 2), atPoint = NAt(pointCol, pointRow);
            EXPECT_TRUE(DeepRef.Escaped && atPoint < atCentre) << s.Zoom << ": " << atPoint;
        }
    }
}

// A table built across many slices of a live pass is the table built at once.
TEST(DeepKernel, TableBuildResumesAfterEachSlice) {
    deep::Mp c(3100);
    InstallDeep({"0", "1", 3000, 200000, 32, 24, 0}, 1, c);
    const std::vector<DeepTableEntry> whole = DeepTable.Entries;
    DeepRef.Generation += 1;
    Work.LivePass = true;
    HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);   // every clock read finds the slice over
    int slices = 1;
    for (PrepareSlice(); !DeepPrepareTable(); PrepareSlice()) ++slices;
    HeadlessSetTicksPerRead(0);
    EXPECT_GT(slices, 3);
    EXPECT_TRUE(DeepTable.Entries == whole);
}

// The AVX-512 shape of the lanes and an odd one, on emulated vectors, give the scalar picture.
TEST(DeepKernel, EmulatedLaneShapesAgree) {
    const DeepScene s{"0", "1", 3000, 8000, 48, 32, 0, 6};
    const std::vector<int32_t> want = Render(s, KernelPath::Scalar, 1, 0);
    for (auto kernel : {+[] { DeepLaneKernel<EmulDeepOps<8, 2>>(1).Run(); }, +[] { DeepLaneKernel<EmulDeepOps<3, 1>>(1).Run(); }}) {
        deep::Mp c(ZoomBits(s) + 64);
        InstallDeep(s, 1, c);
        ref::WholePictureTile({"0", "0", 0, s.Iteration, s.Width, s.Height}, 1);
        PrepareSlice();
        OpenTile();
        kernel();
        EXPECT_EQ(CountsOf(s.Width, s.Height), want);
    }
}

// Every path, thread count and sliced pass gives the scalar kernel's picture.
TEST(DeepKernel, PathsThreadsAndSlicesAgree) {
    HeadlessSetProcessorCount(8);
    StartWorkers();
    for (const DeepScene& s : {DeepScene{"0", "1", 1000, 3000, 64, 48, 0}, DeepScene{Seahorse[0], Seahorse[1], 70, 12000, 64, 48, 0}}) {
        const std::vector<int32_t> want = Render(s, KernelPath::Scalar, 1, 0);
        for (KernelPath path : {KernelPath::Scalar, KernelPath::Avx2, KernelPath::Avx512}) {
            if (!KernelPathSupported(path)) continue;
            EXPECT_EQ(Render(s, path, 3, 0), want) << KernelPathName(path);
            EXPECT_EQ(Render(s, path, 2, 7), want) << KernelPathName(path) << " sliced";
        }
    }
}
