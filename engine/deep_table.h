// engine/deep_table.h - the approximation table of the perturbation format: runs of the
// reference orbit's steps merged into one linear step each, with the largest difference from
// the reference for which the merged step stays accurate, and the reference orbit as the
// kernels read it.
//
// A pixel at reference index m with difference delta from Z_m moves in one step to
// delta' = 2 Z_m delta + delta^2 + dc. Dropping delta^2 leaves a linear map
// delta' = A delta + B dc (A = 2 Z_m, B = 1); two such maps in a row merge into one
// (A = Ay Ax, B = Ay Bx + By), and so on, pairwise, into runs of 2, 4, 8 ... steps. Entry i of
// level l covers the steps from index 1 + i * 2^l to 1 + (i + 1) * 2^l.
#pragma once
#include <cstdint>
#include <vector>
#include "engine/deep_floatexp.h"

// The error a single step may drop, relative to the size of its linear terms.
constexpr double DeepStepTolerance = 0x1p-50;
// A pixel whose |z| reaches this is taken to be near the escape, where no step is merged.
constexpr double DeepEscapeMargin = 2.0 - 0x1p-20;

// One merged run: delta' = A delta + B dc while |delta| < R (all with an exponent of their
// own: A grows like the orbit's derivative, R shrinks like its inverse).
struct DeepTableEntry {
    double  AR, AI, BR, BI, RM;
    int32_t AE, BE, RE;
    bool operator==(const DeepTableEntry&) const = default;   // field by field: the padding is no part of it
};

struct DeepTableState {
    bool     Ready;            // built for the orbit of generation Generation
    uint64_t Generation;
    int32_t  ZoomBits;
    int32_t  Length;           // reference values, as in DeepRef
    // A pixel may use the table when its offset from the centre in half pixels, (2 row - H,
    // 2 col - W), is at most Reach long: the radii hold for every |dc| up to Reach half pixels.
    int64_t  Reach;
    FloatExp MaxRadius;        // the largest radius of any entry
    int32_t  Levels;           // entries exist on levels 1 .. Levels
    std::vector<double> Orbit;             // Z_m as doubles, real and imaginary part at 2m, 2m + 1
    std::vector<DeepTableEntry> Entries;   // level by level
    std::vector<int64_t> LevelStart;       // level l: Entries[LevelStart[l] .. LevelStart[l + 1])
};
extern DeepTableState DeepTable;

// The entry of level l (1 .. Levels) that starts at reference index m, or null when none does.
inline const DeepTableEntry* DeepTableAt(int level, int64_t m) {
    if (level < 1 || level > DeepTable.Levels || m < 1 || ((m - 1) & ((int64_t(1) << level) - 1)) != 0) return nullptr;
    const int64_t i = DeepTable.LevelStart[level] + ((m - 1) >> level);
    return i < DeepTable.LevelStart[level + 1] ? &DeepTable.Entries[i] : nullptr;
}

// Orbit values of magnitude below this are kept as 0 in DeepTable.Orbit (see deep_kernel.h).
constexpr double DeepOrbitFloor = 0x1p-600;

// The largest |dc| the table holds for: Reach half pixels at the picture's pixel step.
FloatExp DeepTableReachRadius();
