// engine/deep_kernel_scalar.cpp - the events of a perturbation pixel (rescaling, rebasing,
// passes in FloatExp, table steps) shared by every kernel path, and the scalar strip kernel.
#include <algorithm>
#include "engine/deep.h"
#include "engine/deep_kernel.h"
#include "engine/deep_table.h"
#include "engine/strip.h"

namespace {
constexpr ComplexExp ComplexZero{0.0, 0.0, FloatExpZeroE};

ComplexExp Reference(int32_t m) {
    const DeepOrbitPoint& p = DeepRef.Z[size_t(m)];
    return MakeComplexExp2(p.ReM, p.ReE, p.ImM, p.ImE);
}

ComplexExp DeltaOf(const DeepLane& p) { return MakeComplexExp(p.DR, p.DI, p.E); }

// r^2 in the lane's scale: (r * 2^-e)^2 as a double, infinite or 0 outside the range.
double ScaledSquare(double rm, int32_t re, int32_t e) {
    if (rm == 0) return 0.0;
    return ToDouble(MakeFloatExp(rm * rm, 2 * (int64_t(re) - e)));
}

void SetBudget(DeepLane& p) {
    const int32_t toEnd = DeepTable.Length - 1 - p.M;
    p.Budget = std::max(0, std::min(toEnd, p.Left - 1));
}

// Holds delta in the form its size calls for (see deep_kernel.h).
void Hold(DeepLane& p, ComplexExp delta) {
    const bool zero = delta.R == 0 && delta.I == 0;
    const bool dcZero = p.DC.R == 0 && p.DC.I == 0;
    const int64_t size = zero ? FloatExpZeroE : delta.E, dcSize = dcZero ? FloatExpZeroE : p.DC.E;
    if (std::max(size, dcSize - DeepDcSpan) > DeepPlainFrom) {
        p.E = 0;
        p.S = p.S2 = 1.0;
        p.Near = 0.0;
        p.Small = DeepPlainSmall;
        p.Large = __builtin_inf();
        p.CR = p.DCR;
        p.CI = p.DCI;
    } else {
        // Room to grow; dc scaled stays below 2^(DeepScaledHeadroom + DeepDcSpan).
        const int64_t e = std::min<int64_t>(std::max(size + DeepScaledHeadroom, dcSize - DeepScaledHeadroom), DeepScaledTop);
        p.E = int32_t(e);
        p.S = e < DeepScaleFloor ? 0.0 : Pow2(e);
        p.S2 = 0.0;
        p.Near = DeepNearZero;
        p.Small = DeepScaledSmall;
        p.Large = DeepScaledLarge;
        p.CR = dcZero ? 0.0 : ScalePow2(p.DC.R, dcSize - e);
        p.CI = dcZero ? 0.0 : ScalePow2(p.DC.I, dcSize - e);
    }
    p.DR = zero ? 0.0 : ScalePow2(delta.R, int64_t(delta.E) - p.E);
    p.DI = zero ? 0.0 : ScalePow2(delta.I, int64_t(delta.E) - p.E);
    p.High = p.Large;
    p.TableLow = p.Table ? ScaledSquare(DeepTable.MaxRadius.M, DeepTable.MaxRadius.E, p.E) : 0.0;
    p.Low = std::max(p.Small, p.TableLow);
    SetBudget(p);
}

// The largest table step that starts at the lane's index and holds for its delta, if any.
bool TableStep(DeepLane& p, double d2) {
    if (p.M < 1) return false;
    const int32_t top = p.M == 1 ? DeepTable.Levels : std::min(DeepTable.Levels, __builtin_ctz(uint32_t(p.M - 1)));
    for (int l = top; l >= 1; --l) {
        const DeepTableEntry* t = DeepTableAt(l, p.M);
        const int32_t n = int32_t(1) << l;
        if (t == nullptr || n >= p.Left || !(d2 < ScaledSquare(t->RM, t->RE, p.E))) continue;
        const ComplexExp a{t->AR, t->AI, t->AE}, b{t->BR, t->BI, t->BE};
        const ComplexExp next = Add(Mul(a, DeltaOf(p)), Mul(b, p.DC));
        p.M += n;
        p.Left -= n;
        Hold(p, next);
        return true;
    }
    return false;
}
}  // namespace

bool DeepKernelReady() {
    return DeepRef.Ready && DeepTable.Ready && DeepTable.Generation == DeepRef.Generation && DeepRef.Length >= 2;
}

void DeepStartLane(DeepLane& p, int col, int row) {
    const int64_t nr = 2 * (int64_t(StripStart.Row0) + row) - DeepRef.Height;
    const int64_t ni = 2 * (int64_t(StripStart.Col0) + col) - DeepRef.Width;
    p.DC = MakeComplexExp(double(nr), double(ni), -int64_t(DeepRef.ZoomBits) - 1);
    p.DCR = RealDouble(p.DC);
    p.DCI = ImagDouble(p.DC);
    p.TableFits = DeepTable.ZoomBits == DeepRef.ZoomBits && nr * nr + ni * ni <= DeepTable.Reach * DeepTable.Reach;
    p.Table = p.TableFits;
    p.M = 1;   // z_0 = c = Z_1 + dc
    p.Left = View.Iteration;
    Hold(p, p.DC);
}

int32_t DeepEventPass(DeepLane& p) {
    const double* orbit = DeepTable.Orbit.data();
    const double d2Before = p.DR * p.DR + p.DI * p.DI;
    if (d2Before < p.Small || d2Before > p.Large) Hold(p, DeltaOf(p));
    const double* z = orbit + 2 * size_t(p.M);
    const DeepMeasure q = DeepMeasureOf(p, z);
    if (!(q.R2 < 4.0)) return p.Left;
    if (p.Left == 1) return 0;
    const bool scaled = p.E != 0;
    const bool last = p.M == DeepTable.Length - 1;
    if (last || (scaled ? q.R2 < p.Near : q.R2 < q.D2)) {
        // In FloatExp: the rebase, and a scaled pass near zero, where Z_m may be tiny.
        ComplexExp delta = DeltaOf(p), ref = Reference(p.M);
        const ComplexExp whole = scaled ? Add(ref, delta) : MakeComplexExp(q.ZR, q.ZI, 0);
        if (last || !scaled || Less(Norm(whole), Norm(delta))) {
            delta = whole;
            ref = ComplexZero;
            p.M = 0;
            p.Table = p.TableFits;
        }
        const ComplexExp next = Add(Mul(Add(Twice(ref), delta), delta), p.DC);
        ++p.M;
        --p.Left;
        Hold(p, next);
        return -1;
    }
    if (p.Table && q.D2 < p.TableLow) {
        if (TableStep(p, q.D2)) return -1;
        // delta only grows until the next rebase, mostly: the lane stops looking till then.
        p.Table = false;
        p.TableLow = 0.0;
        p.Low = p.Small;
    }
    DeepPlainPass(p, z, q);
    SetBudget(p);
    return -1;
}

namespace {
[[gnu::noinline]] int32_t RunPixel(int col, int row) {
    DeepLane p;
    DeepStartLane(p, col, row);
    const double* orbit = DeepTable.Orbit.data();
    for (;;) {
        // The calm passes on a copy in registers; the lane itself goes to the events.
        DeepLane l = p;
        for (;;) {
            const double* z = orbit + 2 * size_t(l.M);
            const DeepMeasure q = DeepMeasureOf(l, z);
            if (!DeepCalm(l, q)) break;
            DeepPlainPass(l, z, q);
        }
        p = l;
        const int32_t r = DeepEventPass(p);
        if (r >= 0) return r;
    }
}
}  // namespace

void ComputeStripPerturbScalar(int t) {
    if (!DeepKernelReady()) return;
    StripWalk<DeepWalk> w(t);
    int col = 0, row = 0;
    int32_t x = 0, y = 0;
    while (w.Gather(1, &col, &row, &x, &y) == 1)
        if (!w.Finish(col, row, RunPixel(col, row))) return;
}
