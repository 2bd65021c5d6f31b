// engine/state.cpp - the calculation state, its set-up before every pass, and the clock.
#include "engine/state.h"
#include <cmath>
#include <cstring>
#include "engine/centre.h"
#include "engine/colour_rule.h"
#include "engine/deep.h"
#include "engine/work.h"
#include "platform/platform.h"

ViewParams  View;
CalcState   Calc;
DeepSettings Deep;
// The picture-sized buffers start on large-page boundaries, so the system can back them with
// large pages.
alignas(PlatLargePageAlignment) CountArrays Counts;
alignas(PlatLargePageAlignment) uint32_t    ScreenImage[MaxPixels];
alignas(PlatLargePageAlignment) uint32_t    ProgressImage[MaxPixels];
uint32_t Palette[256];

void FatalError(const char* text) {
    PlatMessageBox(text, "ERROR");
    PlatExitProcess(1);
}

void CheckBufferLayout() {
    // Code that walks the counts row by row may run from the margins of N_array on into
    // WorkMask, so the two must form one block.
    auto first = reinterpret_cast<uintptr_t>(&Counts.N_array[0]);
    auto mask = reinterpret_cast<uintptr_t>(&Counts.WorkMask[0]);
    if (mask != first + sizeof(int32_t) * NArrayCount) FatalError("Structure (N_array)");
}

void InitEngineState() {
    Calc.QpcFrequency = PlatPerfFrequency();
    // The buffers are sized for the largest picture, but a small one uses only the first of
    // their rows: the pages nobody writes are never mapped in.
    PlatClearBuffer(Counts.N_array, sizeof Counts.N_array);
    Work.TilePos = TileStartPicture;
}

int32_t DeepestZoom() { return Deep.On ? MaxDeepZoom : MaxZoom; }

uint8_t ChooseNumberMode() {
    const int32_t shift = View.CPU_Prev;
    if (Deep.Forced || View.ld_Zoom > MaxZoom) return ModePerturb;
    if (Calc.WideRange) return ModeDouble;
    if (View.ld_Zoom > 52 - shift) return ModeLong128;
    if (View.ld_Zoom > 45 - shift) return ModeFixed60;
    return View.FPU_Mode ? ModeDouble : ModeFixed60;
}

namespace {
// 2^-(8 + ld_Zoom), built from its bits so it is exact at every zoom.
double PixelStepFor(int32_t ldZoom) {
    uint64_t bits = static_cast<uint64_t>(static_cast<uint16_t>(0x3F70 - 16 * ldZoom)) << 48;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

constexpr long128 RangeStart{0, uint64_t(1) << 63};   // -128, the lowest long128

}  // namespace

long128 CentreLimitFor(int32_t pixels, int32_t ldZoom) {
    const double half = double(pixels) * PixelStepFor(ldZoom) * 0.5;   // exact: a power of two times an integer
    return Neg128(Add128(RangeStart, ToLong128(half)));
}

bool KeepCentreInRange() {
    bool moved = false;
    for (const CentreAxis axis : {AxisX, AxisY}) {
        CentreCoord c = CentreOf(View, axis);
        const int32_t pixels = axis == AxisX ? Calc.WindowWidth : Calc.WindowHeight;
        if (!KeepCoordWithin(c, CentreLimit(pixels, View.ld_Zoom))) continue;
        SetCentre(View, axis, c);
        moved = true;
    }
    return moved;
}

void SetupGeometry() {
    KeepCentreInRange();
    // Beyond the exact formats the double step only serves the sizes of the view (it fades
    // out below the doubles' range); the perturbation kernels place pixels from the centre.
    Calc.PixelStep = View.ld_Zoom <= MaxZoom ? PixelStepFor(View.ld_Zoom) : std::ldexp(1.0, -8 - View.ld_Zoom);
    Calc.PixelStep128 = ToLong128(Calc.PixelStep);
    Calc.PixelStep60 = ToFixed60(Calc.PixelStep128);

    const double halfW = double(Calc.WindowWidth) * Calc.PixelStep * 0.5;
    const double halfH = double(Calc.WindowHeight) * Calc.PixelStep * 0.5;
    Calc.Origin_zX = Sub128(View.Center_zX, ToLong128(halfW));
    Calc.Origin_zY = Sub128(View.Center_zY, ToLong128(halfH));
    Calc.OriginD_zX = Long128AsDouble(Calc.Origin_zX);
    Calc.OriginD_zY = Long128AsDouble(Calc.Origin_zY);
    Calc.Origin60_zX = ToFixed60(Calc.Origin_zX);
    Calc.Origin60_zY = ToFixed60(Calc.Origin_zY);
    const double right = Long128AsDouble(View.Center_zX) + halfW;
    const double bottom = Long128AsDouble(View.Center_zY) + halfH;

    // The fixed-point kernels stay clear of their wrap-around only inside (-3.9, 3.9).
    Calc.WideRange = std::fabs(Calc.OriginD_zX) >= 3.9 || std::fabs(Calc.OriginD_zY) >= 3.9 ||
                     std::fabs(right) >= 3.9 || std::fabs(bottom) >= 3.9 || View.ld_Zoom < 0;
    Calc.NumberMode = ChooseNumberMode();

    Calc.CalcStartMs = ClockMs();
    Work.LivePass = true;
    Calc.ProgressShowTime = PlatPerfCounter() + Calc.QpcFrequency;
    if (Calc.NumberMode == ModePerturb) DeepSetupGeometry();
}

int64_t ClockMs() {
    // Single precision on purpose: the displayed times are differences of these values.
    float ms = float(PlatPerfCounter()) * 1000.0f / float(Calc.QpcFrequency);
    double wide = ms;
    if (!(wide > -9.0e18 && wide < 9.0e18)) return 0;   // no frequency yet
    return std::llrint(wide);
}
