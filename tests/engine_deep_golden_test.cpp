// The perturbation kernels' pictures of views centred on i, whose reference orbit doubles hold
// exactly (i, -1 + i, -i, -1 + i, ...), pinned by one hash each on every kernel path: the
// counts are the same bits on every path and on every build, Linux and Windows alike.
#include <gtest/gtest.h>
#include <cstdint>
#include "engine/deep.h"
#include "engine/dispatch.h"
#include "tests/deep_view.h"

namespace {
uint64_t PictureHash(int w, int h) {
    uint64_t hash = 14695981039346656037u;   // FNV-1a over the counts
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) hash = (hash ^ uint32_t(NAt(col, row))) * 1099511628211u;
    return hash;
}
}  // namespace

TEST(DeepGolden, PicturesCentredOnIKeepTheirHashes) {
    struct Case {
        int32_t Zoom, Iteration;
        uint64_t Hash;
    };
    for (const Case& c : {Case{300, 1000, 16884582230662198275u}, Case{3000, 5000, 17004956778138379699u}})
        for (KernelPath path : {KernelPath::Scalar, KernelPath::Avx2, KernelPath::Avx512}) {
            if (!ForceKernelPath(path)) continue;
            deepview::Install("0", "1", c.Zoom, c.Iteration, 48, 32, 2);
            ref::RunPass();
            EXPECT_EQ(PictureHash(48, 32), c.Hash) << "zoom " << c.Zoom << ", " << KernelPathName(path);
        }
}
