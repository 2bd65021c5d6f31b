// engine/deep_table.cpp - building the approximation table of the perturbation format.
//
// How far a merged step may be trusted. Write S(delta) = |A| |delta| + Bbar D for an entry,
// with D the largest |dc| of the picture and Bbar a bound on |B| kept beside it (Bbar = 1 for
// one step, Ay Bbarx + Bbary for a merge, never less than |B|). An entry is valid with
// relative error eps when every |delta| < R gives: the true difference after its steps is
// A delta + B dc + E with |E| <= eps S(delta), and no |z| on the way reaches the escape.
//
// One step at index m: the true step is A delta + B dc + delta^2, so E = delta^2, and
// |delta|^2 <= e0 S holds when |delta| <= 2 e0 |Z_m| (then |delta|^2 <= e0 2|Z_m| |delta|) or
// |delta| <= sqrt(e0 D) (then |delta|^2 <= e0 D). The pixel's z_m = Z_m + delta stays short of
// the escape when |delta| < 2 - |Z_m| (less a margin). So
//     R = min(max(2 e0 |Z_m|, sqrt(e0 D)), DeepEscapeMargin - |Z_m|),  eps = e0.
// Merging x then y: after x the difference is delta_x = Ax delta + Bx dc + Ex, of magnitude at
// most (1 + eps_x)(|Ax| |delta| + Bbarx D). It lies inside y's radius when that is below Ry:
//     R = min(Rx, (Ry / (1 + eps_x) - Bbarx D) / |Ax|)     (0 when that is negative).
// The merged error is Ay Ex + Ey(delta_x), at most
//     eps_x |Ay| (|Ax| |delta| + Bbarx D) + eps_y (|Ay| |delta_x| + Bbary D)
//     <= (eps_x + eps_y (1 + eps_x)) S_merged(delta),
// so 1 + eps multiplies along merges: an entry of n steps has eps = (1 + e0)^n - 1, about n e0,
// the same growth as the rounding of n single steps. The coefficients' own rounding adds a
// few units of 2^-53 per level on top.
#include "engine/deep_table.h"
#include <algorithm>
#include "engine/deep.h"
#include "engine/slice_credit.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/platform.h"

DeepTableState DeepTable;

namespace {
// Work between two looks at the slice deadline.
constexpr int64_t DeepBuildChunk = 1 << 15;

struct Merged {
    ComplexExp A, B;
    FloatExp Bbar, R;
};

// The build in progress: the level being made, how far, and the bounds of the level below.
struct BuildState {
    uint64_t Generation = ~uint64_t(0);
    int32_t  Level = 0;       // 0: the orbit's doubles
    int64_t  Next = 0;
    FloatExp D{0.0, FloatExpZeroE};
    double   GrowthBelow = 1.0;   // 1 + eps of the level below
    std::vector<FloatExp> BbarBelow, Bbar;
} Build;

FloatExp FromDouble(double x) { return MakeFloatExp(x, 0); }

ComplexExp Reference(int64_t m) {
    const DeepOrbitPoint& p = DeepRef.Z[size_t(m)];
    return MakeComplexExp2(p.ReM, p.ReE, p.ImM, p.ImE);
}

// The single step at index m.
Merged SingleStep(int64_t m) {
    const ComplexExp z = Reference(m);
    const FloatExp size = Magnitude(z);
    const FloatExp e0 = FromDouble(DeepStepTolerance);
    const FloatExp linear = Max(Mul(Mul(FromDouble(2.0), e0), size), Sqrt(Mul(e0, Build.D)));
    const FloatExp escape = Sub(FromDouble(DeepEscapeMargin), size);
    const FloatExp r = escape.M <= 0 ? FloatExp{0.0, FloatExpZeroE} : Min(linear, escape);
    return {Twice(z), MakeComplexExp(1.0, 0.0, 0), FromDouble(1.0), r};
}

Merged Stored(const DeepTableEntry& e, FloatExp bbar) {
    return {{e.AR, e.AI, e.AE}, {e.BR, e.BI, e.BE}, bbar, {e.RM, e.RE}};
}

// x, then y; growth is 1 + eps of x.
Merged Merge(const Merged& x, const Merged& y, double growth) {
    Merged r;
    r.A = Mul(y.A, x.A);
    r.B = Add(Mul(y.A, x.B), y.B);
    const FloatExp ay = Magnitude(y.A), ax = Magnitude(x.A);
    r.Bbar = Add(Mul(ay, x.Bbar), y.Bbar);
    const FloatExp room = Sub(Div(y.R, FromDouble(growth)), Mul(x.Bbar, Build.D));
    if (room.M <= 0) r.R = {0.0, FloatExpZeroE};
    else r.R = ax.M == 0 ? x.R : Min(x.R, Div(room, ax));
    return r;
}

void Put(int64_t i, const Merged& m) {
    DeepTable.Entries[size_t(i)] = {m.A.R, m.A.I, m.B.R, m.B.I, m.R.M, m.A.E, m.B.E, m.R.E};
    DeepTable.MaxRadius = Max(DeepTable.MaxRadius, m.R);
}

// Half pixels from the picture's centre to its farthest corner, at most.
int64_t PictureReach() { return int64_t(DeepRef.Width) + DeepRef.Height; }

// Sizes the table for the current orbit and starts its build.
void Begin() {
    Build = BuildState{};
    Build.Generation = DeepRef.Generation;
    DeepTable.Ready = false;
    DeepTable.Generation = DeepRef.Generation;
    DeepTable.ZoomBits = DeepRef.ZoomBits;
    DeepTable.Length = DeepRef.Length;
    DeepTable.Reach = PictureReach();
    DeepTable.MaxRadius = {0.0, FloatExpZeroE};
    Build.D = DeepTableReachRadius();
    DeepTable.Orbit.assign(size_t(2 * std::max(DeepRef.Length, 1)), 0.0);
    DeepTable.LevelStart.assign(2, 0);   // level l starts at LevelStart[l], ends at LevelStart[l + 1]
    int64_t total = 0;
    int32_t levels = 0;
    for (int64_t n = (int64_t(DeepRef.Length) - 2) >> 1; n >= 1; n >>= 1) {
        DeepTable.LevelStart.push_back(total + n);
        total += n;
        ++levels;
    }
    DeepTable.Levels = levels;
    DeepTable.Entries.assign(size_t(total), DeepTableEntry{});
}
}  // namespace

FloatExp DeepTableReachRadius() {
    return MakeFloatExp(double(DeepTable.Reach), -int64_t(DeepTable.ZoomBits) - 1);
}

bool DeepPrepareTable() {
    if (!DeepRef.Ready) return false;
    // The same orbit serves pictures of another size (a poster of the view), but the radii hold
    // only as far as the picture the table was built for reaches.
    const bool sameReach = DeepTable.Reach == PictureReach();
    if (DeepTable.Ready && DeepTable.Generation == DeepRef.Generation && sameReach) return true;
    if (Build.Generation != DeepRef.Generation || DeepTable.Generation != DeepRef.Generation || !sameReach) Begin();
    int64_t done = 0;
    if (Build.Level == 0) {
        for (; Build.Next < DeepRef.Length; ++Build.Next, ++done) {
            if (done == DeepBuildChunk) {
                if (LiveSliceOver()) return false;
                done = 0;
            }
            const ComplexExp z = Reference(Build.Next);
            const double re = RealDouble(z), im = ImagDouble(z);
            DeepTable.Orbit[size_t(2 * Build.Next)] = std::fabs(re) < DeepOrbitFloor ? 0.0 : re;
            DeepTable.Orbit[size_t(2 * Build.Next + 1)] = std::fabs(im) < DeepOrbitFloor ? 0.0 : im;
        }
        Build.Level = 1;
        Build.Next = 0;
        Build.GrowthBelow = 1.0 + DeepStepTolerance;
    }
    for (; Build.Level <= DeepTable.Levels; ++Build.Level) {
        const int32_t l = Build.Level;
        const int64_t start = DeepTable.LevelStart[l], count = DeepTable.LevelStart[l + 1] - start;
        const int64_t below = DeepTable.LevelStart[l - 1 > 0 ? l - 1 : 1];
        Build.Bbar.resize(size_t(count));
        for (; Build.Next < count; ++Build.Next, ++done) {
            if (done == DeepBuildChunk) {
                if (LiveSliceOver()) return false;
                done = 0;
            }
            const int64_t i = Build.Next;
            Merged x, y;
            if (l == 1) {
                x = SingleStep(1 + 2 * i);
                y = SingleStep(2 + 2 * i);
            } else {
                x = Stored(DeepTable.Entries[size_t(below + 2 * i)], Build.BbarBelow[size_t(2 * i)]);
                y = Stored(DeepTable.Entries[size_t(below + 2 * i + 1)], Build.BbarBelow[size_t(2 * i + 1)]);
            }
            const Merged m = Merge(x, y, Build.GrowthBelow);
            Put(start + i, m);
            Build.Bbar[size_t(i)] = m.Bbar;
        }
        Build.BbarBelow.swap(Build.Bbar);
        Build.Next = 0;
        Build.GrowthBelow *= Build.GrowthBelow;
    }
    std::vector<FloatExp>().swap(Build.BbarBelow);
    std::vector<FloatExp>().swap(Build.Bbar);
    DeepTable.Ready = true;
    return true;
}
