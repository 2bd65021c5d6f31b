// engine/deep_kernel.h - one pixel of the perturbation format, as every kernel path follows
// it.
//
// A pixel's z_k is Z_m + delta, Z the reference orbit (engine/deep.h), and a pass moves it to
// z_(k+1) = Z_(m+1) + delta' with delta' = 2 Z_m delta + delta^2 + dc = (Z_m + z_k) delta + dc.
// The difference is held as doubles (DR, DI) times 2^E, dc as doubles (CR, CI) times 2^-E:
//   - plain (E = 0) while |delta| >= 2^-480: doubles are exact enough there. dc is then the
//     double of dc, flushed to 0 below 2^FloatExpFloor; that drops less than the rounding of
//     the step's product (Z_m + z) delta, which is at least |delta|^2 >= 2^-960 whenever the
//     pixel does not rebase (|z| >= |delta| gives |Z_m + z| = |2 z - delta| >= |delta|), so
//     1/256 of its last bit at the most. Orbit values below 2^-600 are 0 for the same
//     reason: 2 Z_m delta is then under 2^-119 |delta|^2.
//   - scaled (E <= -740) below that: DR, DI within [2^-300, 2^300], held from about 2^-280
//     on, so a difference grows by 2^580 between two rescalings; |delta| stays below
//     2^-440. Z_m + delta is then Z_m but where |z| < 2^-440, and the pass is the same
//     formula with the difference's square scaled by S = 2^E (0 below 2^-980, which drops
//     a delta under 2^-680 beside a Z_m over 2^-441). Where |z| < 2^-440, Z_m may be as
//     small as delta (or kept as 0): that pass, and the rebase it may need, is made in
//     FloatExp.
// Rebasing: when |z| < |delta| (or the reference has no further value) the pixel goes on from
// the reference's start, delta = z, m = 0, so one reference serves every pixel of the picture.
// Table steps (engine/deep_table.h) replace runs of passes while |delta| is inside a radius.
//
// The kernels run the plain pass below as long as the lane is calm (DeepCalm), the same
// operations in the same order on every path, and hand every other pass to DeepEventPass, so
// every path gives the same bits.
#pragma once
#include <cstdint>
#include "engine/deep_floatexp.h"

// The differences held as plain doubles: from 2^DeepPlainFrom on.
constexpr int32_t DeepPlainFrom = -480;
constexpr double DeepPlainSmall = 0x1p-960;            // |delta|^2 below this: scaled
// The scaled form: E at most DeepScaledTop, DR, DI held from 2^-DeepScaledHeadroom on and
// rescaled when |DR, DI|^2 leaves [DeepScaledSmall, DeepScaledLarge].
constexpr int32_t DeepScaledTop = -740;
constexpr int32_t DeepScaledHeadroom = 280;
constexpr double DeepScaledSmall = 0x1p-600, DeepScaledLarge = 0x1p600;
constexpr double DeepNearZero = 0x1p-880;              // scaled: |z|^2 below this, FloatExp
constexpr int32_t DeepScaleFloor = -980;               // S is 0 below 2^DeepScaleFloor
// A dc over 2^(DeepPlainFrom + DeepDcSpan) makes the form plain at once: the difference
// takes dc's size in one pass.
constexpr int32_t DeepDcSpan = 32;

struct DeepLane {
    // What the plain pass reads and writes (the vector kernels hold these in lanes).
    double DR, DI;       // delta * 2^-E
    double CR, CI;       // dc * 2^-E
    double S, S2;        // 2^E (0 below 2^DeepScaleFloor); plain: S2 = 1, scaled: S2 = 0
    double Near;         // plain 0, scaled DeepNearZero
    double Low, High;    // a pass with |delta|^2 (scaled) below Low or above High is an event
    int32_t M;           // reference index
    int32_t Budget;      // calm passes left before a due event (the limit, the reference's end)
    // The rest, for the events.
    int32_t Left;        // the down-counter of the count rule
    int32_t E;
    double Small, Large; // the rescaling bounds of the form
    double TableLow;     // |delta|^2 below which a table step may apply (0: none)
    bool Table;          // table steps are tried
    bool TableFits;      // the pixel's dc lies within the table's reach
    ComplexExp DC;       // dc exactly
    double DCR, DCI;     // dc as doubles, flushed
};

// Starts a lane on picture pixel (col, row) of the current tile (StripStart.Col0/Row0 added).
void DeepStartLane(DeepLane& p, int col, int row);
// One pass of a lane that is not calm, or any pass; the count when the pixel is finished,
// else -1.
int32_t DeepEventPass(DeepLane& p);
// Whether the kernels can run: the reference and its table are ready for the picture.
bool DeepKernelReady();

// z, |z|^2 and the scaled |delta|^2 of the lane's current pass.
struct DeepMeasure {
    double ZR, ZI, R2, D2;
};
inline DeepMeasure DeepMeasureOf(const DeepLane& p, const double* z) {
    const double zr = z[0] + p.DR * p.S;
    const double zi = z[1] + p.DI * p.S;
    return {zr, zi, zr * zr + zi * zi, p.DR * p.DR + p.DI * p.DI};
}
// No escape, no last pass, no rebase, no rescaling, no table step due.
inline bool DeepCalm(const DeepLane& p, const DeepMeasure& q) {
    return (q.R2 < 4.0) & !(q.R2 < q.D2 * p.S2 + p.Near) & !(q.D2 < p.Low) & !(q.D2 > p.High) & (p.Budget != 0);
}
// The plain pass: delta' = (Z_m + z) delta + dc.
inline void DeepPlainPass(DeepLane& p, const double* z, const DeepMeasure& q) {
    const double wr = z[0] + q.ZR;
    const double wi = z[1] + q.ZI;
    const double nr = (wr * p.DR - wi * p.DI) + p.CR;
    const double ni = (wr * p.DI + wi * p.DR) + p.CI;
    p.DR = nr;
    p.DI = ni;
    ++p.M;
    --p.Left;
    --p.Budget;
}

// The strip walk (engine/strip.h) over picture pixels, for the perturbation kernels: they
// take pixels' columns and rows from it and form each pixel's dc themselves.
struct DeepWalk {
    static constexpr bool Paired = false;
    typedef int32_t Coord;
    typedef int32_t Value;
    static Coord StartX(int) { return 0; }
    static Coord StartY() { return 0; }
    static void Step(Coord& c) { ++c; }
    static Coord StepBy(Coord c, int k) { return c + k; }
    static Value PointX(Coord c) { return c; }
    static Value PointY(Coord c) { return c; }
};
