// Every kernel path this processor offers against the scalar kernels, picture for picture:
// the engine test views, random views of all three formats (wide-range ones and ones at the
// zooms where the format changes), known counts scattered among pending pixels, several
// strips per tile, and tiles cut short by their slice and resumed.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>
#include "engine/dispatch.h"
#include "tests/engine_reference.h"
#include "platform/headless/headless.h"

using ref::Scene;

namespace {
const char* const Misiurewicz = "-1.54368901269207636157085597180174798652";

std::vector<KernelPath> VectorPaths() {
    std::vector<KernelPath> paths;
    for (KernelPath p : {KernelPath::Avx2, KernelPath::Avx512})
        if (KernelPathSupported(p)) paths.push_back(p);
    return paths;
}

// One view on one path: known counts from `known` where it is not -1, `threads` strips per
// tile, and, when sliced, every slice stopped after `perSlice` pixels.
ref::Picture Render(KernelPath path, const Scene& s, int threads, const std::vector<int32_t>& known, int perSlice) {
    EXPECT_TRUE(ForceKernelPath(path));
    ref::Install(s, threads);
    for (int i = 0; i < s.Width * s.Height; ++i) MaskAt(i % s.Width, i / s.Width) = known[i];
    if (perSlice == 0) {
        ref::RunPass();
        return ref::TakePicture(s);
    }
    Work.LivePass = true;
    HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);   // every clock read finds the slice over
    auto pending = [&] {
        int n = 0;
        for (int row = 0; row < s.Height; ++row) n += int(std::count(&MaskAt(0, row), &MaskAt(s.Width, row), -1));
        return n;
    };
    for (Work.TilePos = 0; Work.TilePos < TileCount; ++Work.TilePos) {
        int before = pending();
        do {
            PrepareSlice();
            Work.SliceCounter = perSlice;
            ComputeTile();
            // Each slice stores exactly what the counter allowed, however the pixels ended.
            const int after = pending();
            EXPECT_TRUE(Work.SliceExpired ? before - after == perSlice : before - after <= perSlice);
            before = after;
        } while (Work.SliceExpired);
    }
    HeadlessSetTicksPerRead(0);
    return ref::TakePicture(s);
}

// Every vector path gives the scalar picture, pixel for pixel.
void ExpectSamePictures(const Scene& s, int threads, const std::vector<int32_t>& known, int perSlice = 0) {
    const ref::Picture want = Render(KernelPath::Scalar, s, threads, known, 0);
    for (KernelPath path : VectorPaths()) {
        const ref::Picture got = Render(path, s, threads, known, perSlice);
        ASSERT_TRUE(got == want) << KernelPathName(path) << " at " << s.CenterY << " + " << s.CenterX
                                 << "i, zoom " << s.Zoom << ", mode " << int(Calc.NumberMode);
    }
}

std::vector<int32_t> AllPending(const Scene& s) { return std::vector<int32_t>(s.Width * s.Height, -1); }

// A decimal in (-range, range) with enough digits for the deepest zoom.
std::string RandomDecimal(std::mt19937& rng, double range) {
    char head[48];
    std::snprintf(head, sizeof head, "%.17f", std::uniform_real_distribution<double>(-range, range)(rng));
    std::string text = head;
    for (int i = 0; i < 24; ++i) text += char('0' + rng() % 10);
    return text;
}
}  // namespace

TEST(KernelPaths, DispatchPicksTheBestSupportedPath) {
    EXPECT_EQ(Dispatch.Path, BestKernelPath());
    EXPECT_TRUE(KernelPathSupported(KernelPath::Scalar));
    EXPECT_EQ(KernelPathSupported(KernelPath::Avx2), __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2"));
    const KernelPath before = Dispatch.Path;
    for (KernelPath p : {KernelPath::Scalar, KernelPath::Avx2, KernelPath::Avx512}) {
        KernelPath parsed;
        ASSERT_TRUE(ParseKernelPath(KernelPathName(p), &parsed));
        EXPECT_EQ(parsed, p);
        ForceKernelPath(before);
        EXPECT_EQ(ForceKernelPath(p), KernelPathSupported(p));
        EXPECT_EQ(Dispatch.Path, KernelPathSupported(p) ? p : before);
    }
    KernelPath parsed = KernelPath::Avx2;
    EXPECT_FALSE(ParseKernelPath("sse", &parsed));
    SelectKernels();
    EXPECT_EQ(Dispatch.Path, BestKernelPath());
    if (VectorPaths().empty()) GTEST_SKIP() << "no vector path on this processor";
}

TEST(KernelPaths, EngineViewsMatchScalar) {
    const Scene views[] = {
        {"-0.5", "0", -4, 300, 64, 48},
        {"-0.75", "0.1", 0, 500, 96, 64},
        {"-1.7687788", "0.0017389", 12, 800, 48, 36},
        {Misiurewicz, "0", 45, 400, 32, 24},
        {"0", "-1", 45, 400, 32, 24},
        {"0", "1", 20, 1000, 32, 24},                        // a cycle of exact repeats
        {"-0.7453", "0.1127", 10, 500, 64, 48, 0},
        {"0", "2.5", -4, 300, 64, 48, 1, 0, ModeFixed60},
        {Misiurewicz, "0", 53, 400, 32, 24},
        {"-2", "0", 62, 200, 32, 24},
    };
    for (const Scene& s : views) {
        for (int threads : {1, 3, 8}) ExpectSamePictures(s, threads, AllPending(s));
        if (HasFatalFailure()) return;
    }
}

// Strips of the explorer's shape: at 1920 columns and 8 threads a strip is 7 or 8 columns
// of a tile's rows; at one thread a strip crosses many rows, so lanes refill across rows.
// Then a refinement-like pass: only every seventh pixel pending.
TEST(KernelPaths, WideStripsAndScatteredPendingPixelsMatchScalar) {
    const Scene wide{"-0.75", "0.1", 0, 300, 1920, 64};
    ExpectSamePictures(wide, 8, AllPending(wide));
    const Scene tall{"-1.2", "0.25", 4, 600, 480, 96};
    ExpectSamePictures(tall, 1, AllPending(tall));
    std::vector<int32_t> known(tall.Width * tall.Height);
    for (size_t i = 0; i < known.size(); ++i) known[i] = i % 7 == 3 ? -1 : int32_t(i % 11);
    ExpectSamePictures(tall, 2, known);
}

// The whole picture as one strip, as a single thread computes a large tile: long runs of
// pixels far outside the set, which never take a lane, between the orbits that do; limits
// below, at and above the passes pixels make before they take lanes; scattered known counts.
TEST(KernelPaths, OneStripOverAWholePictureMatchesScalar) {
    auto render = [](KernelPath path, const Scene& s, const std::vector<int32_t>& known) {
        EXPECT_TRUE(ForceKernelPath(path));
        ref::Install(s, 1);
        for (int i = 0; i < s.Width * s.Height; ++i) MaskAt(i % s.Width, i / s.Width) = known[i];
        ref::WholePictureTile(s);
        PrepareSlice();
        ComputeTile();
        return ref::TakePicture(s);
    };
    for (int32_t limit : {2, 3, 6, 7, 8, 300}) {
        for (const char* y : {"-0.5", "0.3"}) {
            const Scene s{y, "0", -2, limit, 160, 120};
            std::vector<int32_t> known = AllPending(s);
            for (size_t i = 0; i < known.size(); i += limit == 300 ? 9 : 1000) known[i] = 5;
            const ref::Picture want = render(KernelPath::Scalar, s, known);
            for (KernelPath path : VectorPaths())
                ASSERT_TRUE(render(path, s, known) == want) << KernelPathName(path) << " at " << y << ", limit " << limit;
        }
    }
}

TEST(KernelPaths, RandomViewsWithKnownCountsMatchScalar) {
    std::mt19937 rng(20261207);
    std::vector<std::string> texts;   // the scenes keep pointers into these
    texts.reserve(200);
    for (int k = 0; k < 60; ++k) {
        const bool wide = k % 5 == 0;
        texts.push_back(RandomDecimal(rng, wide ? 6.0 : 2.0));
        const char* y = texts.back().c_str();
        texts.push_back(RandomDecimal(rng, wide ? 6.0 : 1.2));
        const char* x = texts.back().c_str();
        // Zooms round the format changes (45/46, 52/53) as often as anywhere else.
        static const int32_t switchZooms[] = {44, 45, 46, 47, 52, 53, 54};
        const int32_t zoom = k % 2 ? switchZooms[rng() % 7] : int32_t(rng() % 117) - 4;
        Scene s{y, x, wide ? int32_t(rng() % 6) - 4 : zoom, int32_t(2 + rng() % 1500), 40, 30,
                uint8_t(rng() % 4 != 0), int32_t(rng() % 3 == 0 ? rng() % 9 : 0)};
        // About a third known (counts the kernels must only copy), the rest pending.
        std::vector<int32_t> known(s.Width * s.Height, -1);
        for (int32_t& n : known)
            if (rng() % 3 == 0) n = int32_t(rng() % uint32_t(s.Iteration));
        ExpectSamePictures(s, 1 + int(rng() % 8), known);
        if (HasFatalFailure()) return;
    }
}

TEST(KernelPaths, ExpiredSlicesResumeToTheScalarPicture) {
    const Scene views[] = {
        {"-0.75", "0.1", 0, 400, 48, 32},
        {"1.5", "0", -4, 300, 48, 32},   // many pixels that escape in their first pass
        {"-0.7453", "0.1127", 10, 300, 48, 32, 0},
        {Misiurewicz, "0", 60, 300, 32, 24},
    };
    for (const Scene& s : views)
        for (int perSlice : {1, 2, 7}) {
            std::vector<int32_t> known = AllPending(s);
            for (size_t i = 0; i < known.size(); i += 5) known[i] = 3;
            ExpectSamePictures(s, perSlice == 2 ? 3 : 1, known, perSlice);
            if (HasFatalFailure()) return;
        }
}
