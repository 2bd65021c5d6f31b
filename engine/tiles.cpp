// engine/tiles.cpp - the spiral order of the 32 x 32 tiles and their cut into strips.
#include <cmath>
#include "engine/state.h"
#include "engine/work.h"

namespace {
constexpr int Grid = 32;

int32_t RoundToInt(double v) { return static_cast<int32_t>(std::llrint(v)); }

// Rings round the centre, each starting one cell right of its top-left corner and running
// clockwise, so the picture grows from the middle outwards.
void BuildSpiral() {
    int gx = 15, gy = 15, i = 0;
    const int dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
    for (int r = 0; r < Grid / 2; ++r) {
        const int s = 2 * r + 1;
        for (int run = 0; run < 4; ++run) {
            for (int k = 0; k < s; ++k) {
                gx += dx[run];
                gy += dy[run];
                if (gx >= 0 && gx < Grid && gy >= 0 && gy < Grid) Work.SpiralPos[gy][gx] = i;
                ++i;
            }
        }
        --gx;
        --gy;
    }
    if (gx != -1 || gy != -1 || i != TileCount) FatalError("Kachel-Spirale");
}

// Strip boundaries fall at rounded multiples of the single-precision strip width and band
// height, so every column and row belongs to exactly one strip of one tile.
void BuildSplit() {
    const int n = Work.ThreadCount;
    const double cw = float(Calc.WindowWidth) / (float(n) * 32.0f);
    const double rh = float(Calc.WindowHeight) * 0.03125f;
    double ysum = 0;
    int32_t ystart = 0;
    for (int gy = 0; gy < Grid; ++gy) {
        ysum = ysum + rh;
        const int32_t yend = RoundToInt(ysum) - 1;
        double xsum = 0;
        int32_t xnext = 0;
        for (int gx = 0; gx < Grid; ++gx) {
            for (int t = 1; t <= n; ++t) {
                const int p = Work.SpiralPos[gy][gx];
                Work.TileX1[t][p] = xnext;
                xsum = xsum + cw;
                const int32_t xend = RoundToInt(xsum) - 1;
                Work.TileX2[t][p] = xend;
                if (gx == Grid - 1 && t == n && xend != Calc.WindowWidth - 1) FatalError("X-Split");
                Work.TileY1[t][p] = ystart;
                Work.TileY2[t][p] = yend;
                if (gy == Grid - 1 && yend != Calc.WindowHeight - 1) FatalError("Y-Split");
                xnext = xend + 1;
            }
        }
        ystart = yend + 1;
    }
}
}  // namespace

void BuildTileTables() {
    BuildSpiral();
    BuildSplit();
}
