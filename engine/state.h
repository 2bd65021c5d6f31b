// engine/state.h - the calculation state every subsystem shares: the view, the geometry
// derived from it, the picture buffers and the clocks. All of it is process-global and
// statically sized for the largest picture; it is written only by the main thread, and
// only while no worker computes.
#pragma once
#include <cstdint>
#include "engine/fixed.h"

constexpr int MaxWidth     = 1920;
constexpr int MaxHeight    = 1200;
constexpr int MaxPixels    = MaxWidth * MaxHeight;          // 2304000
constexpr int CountStride  = 2048;                          // row stride of the count arrays
constexpr int CountMargin  = 64;                            // zero rows/columns round the picture
constexpr int CountRows    = MaxHeight + 2 * CountMargin;   // 1328
constexpr int NArrayCount  = CountRows * CountStride;       // 2719744
constexpr int WorkMaskCount = MaxHeight * CountStride;      // 2457600

// The ranges of a view that commands and files keep to: a pixel step from 2^-4 down to
// 2^-120, a limit of at least 2 and at most 9,999,999 iterations.
constexpr int32_t MinZoom = -4;
constexpr int32_t MaxZoom = 112;
// With deep zoom on, the zoom goes on to a pixel step of 2^-(8 + MaxDeepZoom). The centre then
// carries CentreExtWords more 64-bit words of fraction below its long128 (enough for the
// deepest pixel step and 64 bits more); the bound keeps a view a fixed size, so history slots
// and previews copy it like any other.
constexpr int32_t MaxDeepZoom = 20000;
constexpr int CentreExtWords = (8 + MaxDeepZoom + 64 - 120 + 63) / 64;
constexpr int32_t MinIteration = 2;
constexpr int32_t MaxIteration = 9999999;

// The eleven values that define a view, in parameter-file order.
struct ViewParams {
    long128  Center_zX;       // picture centre along the horizontal screen axis
    long128  Center_zY;       // along the vertical axis (the real part of the iteration)
    int32_t  ld_Zoom;         // pixel step 2^-(8 + ld_Zoom), -4 .. 112
    int32_t  Iteration;       // iteration limit, 2 .. 9999999
    double   Color;           // palette steps per iteration step
    uint32_t Offset;          // palette rotation, used modulo 256
    int32_t  Alt_Iteration;   // equal to Iteration while the automatic limit is on
    double   Alt_Color;       // equal to Color while the automatic scale is on
    uint8_t  Automatic;       // automatic mode: auto colour, auto limit, interior shortcut
    uint8_t  FPU_Mode;        // the double format may be used at low zoom
    int32_t  CPU_Prev;        // 0 .. 8, lowers the zooms at which the format changes
    // The centre's bits below its long128 part, most significant word first: the whole
    // coordinate is the two's-complement number Center.hi, Center.lo, Ext[0], Ext[1], ...
    // Zero for every view of the exact formats' range that was not reached from a deeper one.
    uint64_t Center_zXExt[CentreExtWords];
    uint64_t Center_zYExt[CentreExtWords];
};
extern ViewParams View;       // the live view

// Geometry derived from the view by SetupCalculation, in all three number formats.
struct CalcState {
    int32_t WindowWidth;      // picture size, fixed at start-up; always even but for a
    int32_t WindowHeight;     // height kept clear of the taskbar
    double  PixelStep;        // 2^-(8 + ld_Zoom)
    long128 PixelStep128;
    Fixed60 PixelStep60;      // 0 beyond ld_Zoom 52
    long128 Origin_zX, Origin_zY;       // coordinates of pixel (0, 0)
    double  OriginD_zX, OriginD_zY;     // double copies (truncated)
    Fixed60 Origin60_zX, Origin60_zY;   // Fixed60 copies (floored)
    bool    WideRange;        // the view reaches outside (-3.9, 3.9) or ld_Zoom < 0
    uint8_t NumberMode;       // 0 = Fixed60, 1 = double, 3 = long128
    int64_t QpcFrequency;     // performance-counter ticks per second
    int64_t CalcStartMs;      // ClockMs at the last SetupCalculation
    int64_t ProgressShowTime; // counter value one second after the last SetupCalculation
};
extern CalcState Calc;

enum : uint8_t { ModeFixed60 = 0, ModeDouble = 1, ModeLong128 = 3, ModePerturb = 4 };

// Deep zoom: zooms past MaxZoom computed by perturbation (engine/deep*.h). Off by default;
// `On` lets the zoom commands go on to MaxDeepZoom, `Forced` (the renderer's --kernel
// perturbation) takes the perturbation path at every zoom.
struct DeepSettings {
    bool On;
    bool Forced;
};
extern DeepSettings Deep;
// The deepest zoom the zoom commands reach: MaxDeepZoom with deep zoom on, else MaxZoom.
int32_t DeepestZoom();

// N_array and WorkMask in one block, so WorkMask lies right behind N_array.
struct CountArrays {
    int32_t N_array[NArrayCount];     // 0 = stayed bounded, else Iteration - k; zero margins
    int32_t WorkMask[WorkMaskCount];  // -1 = compute in the next pass, else a count to take over
};
extern CountArrays Counts;

// Index of picture pixel (col, row) in N_array (margins included) and in WorkMask.
inline int NIndex(int col, int row) { return (row + CountMargin) * CountStride + col + CountMargin; }
inline int MaskIndex(int col, int row) { return row * CountStride + col; }
inline int32_t& NAt(int col, int row) { return Counts.N_array[NIndex(col, row)]; }
inline int32_t& MaskAt(int col, int row) { return Counts.WorkMask[MaskIndex(col, row)]; }
// Entries of a count array (or a copy of one) from the picture's first row to the end of its
// last, as MaskIndex counts them. Nothing reads or writes the rows below the picture, so they
// stay zero, and a small picture maps in only the pages of its own rows.
inline int PictureRowEntries() {
    const int rows = Calc.WindowHeight < 0 ? 0 : Calc.WindowHeight > MaxHeight ? MaxHeight : Calc.WindowHeight;
    return rows * CountStride;
}

extern uint32_t ScreenImage[MaxPixels];     // the picture, 0x00RRGGBB, row stride WindowWidth
extern uint32_t ProgressImage[MaxPixels];   // grey pending, green done, for an unfinished tile

void    CheckBufferLayout();   // fatal "Structure (N_array)" unless WorkMask follows N_array
void    InitEngineState();     // frequency, zeroed counts, start values of the flags, TilePos -1
// Geometry in all three formats, the number format, the clock and a live pass, for the view
// with its centre kept in range; the render cycle's SetupCalculation adds the colour scale
// and its own pass bookkeeping.
void    SetupGeometry();
// The farthest a centre may lie from zero along an axis of `pixels` at this zoom (up to
// MaxZoom), so that every pixel of the picture stays inside the 128-bit range: 128 less half
// the picture.
long128 CentreLimitFor(int32_t pixels, int32_t ldZoom);
// Moves a centre beyond its limit back onto it (rather than letting a coordinate wrap round
// to the other end of the range), at every zoom and with every bit (engine/centre.h); true
// when it moved.
bool    KeepCentreInRange();
uint8_t ChooseNumberMode();
int64_t ClockMs();

// A fault the program cannot go on from: the error box captioned "ERROR", then exit code 1.
[[noreturn]] void FatalError(const char* text);
