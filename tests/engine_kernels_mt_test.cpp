// The kernels on real worker threads: any thread count, and tiles cut short by their time
// slice and resumed, give the counts of one uninterrupted single-threaded run.
#include <gtest/gtest.h>
#include <vector>
#include "engine_reference.h"
#include "platform/headless/headless.h"

using ref::Scene;

namespace {
const Scene Scenes[] = {
    {"-0.75", "0.1", 0, 300, 64, 48},                                          // double
    {"-0.7453", "0.1127", 10, 300, 64, 48, 0},                                 // Fixed60
    {"-1.54368901269207636157085597180174798652", "0", 60, 300, 64, 48},       // long128
};

void StartEightWorkers() {
    HeadlessSetProcessorCount(8);
    StartWorkers();
    ASSERT_EQ(Work.ThreadCount, 8);
}

std::vector<int32_t> Picture(const Scene& s) {
    std::vector<int32_t> counts;
    for (int row = 0; row < s.Height; ++row)
        for (int col = 0; col < s.Width; ++col) counts.push_back(NAt(col, row));
    return counts;
}

std::vector<int32_t> SingleThreaded(const Scene& s) {
    ref::Install(s, 1);
    ref::RunPass();
    return Picture(s);
}
}  // namespace

TEST(KernelThreads, AnyThreadCountGivesTheSameCounts) {
    StartEightWorkers();
    for (const Scene& s : Scenes) {
        const std::vector<int32_t> want = SingleThreaded(s);
        for (int n : {2, 3, 5, 8}) {
            ref::Install(s, n);
            ref::RunPass();
            ASSERT_EQ(Picture(s), want) << "mode " << int(Calc.NumberMode) << ", " << n << " threads";
            for (int p = 0; p < s.Width * s.Height; ++p) {
                ASSERT_EQ(ProgressImage[p], 0x00FF00u);
                ASSERT_EQ(ScreenImage[p], ref::Colour(want[p]));
            }
        }
    }
}

TEST(KernelThreads, SlicedTilesResumeToTheSameCounts) {
    StartEightWorkers();
    for (const Scene& full : Scenes) {
        const Scene s{full.CenterY, full.CenterX, full.Zoom, full.Iteration, 48, 32, full.FpuMode};
        const std::vector<int32_t> want = SingleThreaded(s);
        for (int n : {3, 8}) {
            ref::Install(s, n);
            Work.LivePass = true;
            // Each clock read lands past the deadline, so a slice ends at the first read.
            HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);
            for (int p = 0; p < TileCount; ++p) {
                Work.TilePos = p;
                int before = 0;
                for (int t = 1; t <= n; ++t)
                    for (int row = Work.TileY1[t][p]; row <= Work.TileY2[t][p]; ++row)
                        for (int col = Work.TileX1[t][p]; col <= Work.TileX2[t][p]; ++col)
                            before += MaskAt(col, row) == -1;
                for (;;) {
                    PrepareSlice();
                    Work.SliceCounter = 2;   // the strips together finish two pixels, then stop
                    ComputeTile();
                    int after = 0;
                    for (int t = 1; t <= n; ++t)
                        for (int row = Work.TileY1[t][p]; row <= Work.TileY2[t][p]; ++row)
                            for (int col = Work.TileX1[t][p]; col <= Work.TileX2[t][p]; ++col)
                                after += MaskAt(col, row) == -1;
                    ASSERT_EQ(before - after, std::min(before, 2)) << "tile " << p;
                    before = after;
                    if (!Work.SliceExpired) break;
                }
                ASSERT_EQ(before, 0);
            }
            HeadlessSetTicksPerRead(0);
            ASSERT_EQ(Picture(s), want) << "mode " << int(Calc.NumberMode) << ", " << n << " threads";
        }
    }
}
