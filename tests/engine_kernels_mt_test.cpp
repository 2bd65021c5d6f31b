// The kernels on real worker threads: any thread count, tiles cut short by their time slice
// and resumed, and threads that must take turns on one processor give the counts of one
// uninterrupted single-threaded run.
#include <gtest/gtest.h>
#include <vector>
#include "tests/engine_reference.h"
#include "tests/processor_pinning.h"
#include "platform/headless/headless.h"

using ref::Scene;

namespace {
const Scene Scenes[] = {
    {"-0.75", "0.1", 0, 300, 64, 48},                                      // double
    {"-0.7453", "0.1127", 10, 300, 64, 48, 0},                             // Fixed60
    {"-1.54368901269207636157085597180174798652", "0", 60, 300, 64, 48},   // long128
};

std::vector<int32_t> Picture(const Scene& s) {
    std::vector<int32_t> counts;
    for (int row = 0; row < s.Height; ++row) counts.insert(counts.end(), &NAt(0, row), &NAt(s.Width, row));
    return counts;
}

std::vector<int32_t> SingleThreaded(const Scene& s) {
    HeadlessSetProcessorCount(8);
    StartWorkers();   // once per process; the later calls find the workers running
    ref::Install(s, 1);
    ref::RunPass();
    return Picture(s);
}

int Pending(int p, int threads) {
    int n = 0;
    for (int col = Work.TileX1[1][p]; col <= Work.TileX2[threads][p]; ++col)
        for (int row = Work.TileY1[1][p]; row <= Work.TileY2[1][p]; ++row) n += MaskAt(col, row) == -1;
    return n;
}
}  // namespace

TEST(KernelThreads, AnyThreadCountGivesTheSameCounts) {
    for (const Scene& s : Scenes) {
        const std::vector<int32_t> want = SingleThreaded(s);
        for (int n : {2, 3, 5, 8}) {
            ref::Install(s, n);
            ref::RunPass();
            ASSERT_EQ(Picture(s), want) << "mode " << int(Calc.NumberMode) << ", " << n << " threads";
            for (int p = 0; p < s.Width * s.Height; ++p)
                ASSERT_TRUE(ProgressImage[p] == 0x00FF00u && ScreenImage[p] == ref::Colour(want[p]));
        }
    }
}

TEST(KernelThreads, SlicedTilesResumeToTheSameCounts) {
    for (const Scene& full : Scenes) {
        const Scene s{full.CenterY, full.CenterX, full.Zoom, full.Iteration, 48, 32, full.FpuMode};
        const std::vector<int32_t> want = SingleThreaded(s);
        for (int n : {3, 8}) {
            ref::Install(s, n);
            Work.LivePass = true;
            HeadlessSetTicksPerRead(2 * Calc.QpcFrequency);   // every clock read is past the deadline
            for (Work.TilePos = 0; Work.TilePos < TileCount; ++Work.TilePos) {
                const int p = Work.TilePos;
                for (int before = Pending(p, n); before > 0;) {
                    PrepareSlice();
                    Work.SliceCounter = 2;   // the strips together finish two pixels, then stop
                    ComputeTile();
                    const int after = Pending(p, n);
                    ASSERT_EQ(before - after, std::min(before, 2)) << "tile " << p;
                    ASSERT_EQ(bool(Work.SliceExpired), after > 0);
                    before = after;
                }
            }
            HeadlessSetTicksPerRead(0);
            ASSERT_EQ(Picture(s), want) << "mode " << int(Calc.NumberMode) << ", " << n << " threads";
        }
    }
}

// Eight threads on one processor: most of the time a worker is off it, joins a tile late or
// not at all, or is stopped in the middle of its rows.
TEST(KernelThreads, ThreadsTakingTurnsOnOneProcessorGiveTheSameCounts) {
    const std::vector<int32_t> want[] = {SingleThreaded(Scenes[0]), SingleThreaded(Scenes[1]), SingleThreaded(Scenes[2])};
    if (!PinThreadsToOneProcessor()) GTEST_SKIP() << "this system cannot pin threads to a processor";
    for (int k = 0; k < 3; ++k) {
        ref::Install(Scenes[k], 8);
        ref::RunPass();
        EXPECT_EQ(Picture(Scenes[k]), want[k]) << "mode " << int(Calc.NumberMode);
    }
    UnpinThreads();
}
