// render/cycle.h - the paint-driven render cycle: one bounded step per WM_PAINT, the
// pending command or the next tile, and the ring of the last four finished pictures.
#pragma once
#include <cstdint>
#include "engine/state.h"
#include "engine/work.h"
#include "ui/panel.h"

// Command codes posted into TilePos. CmdNewPicture is also the start-up value: the first
// paint starts a fresh picture.
enum : int32_t {
    CmdRecompute = -10, CmdRecolour = -9, CmdZoomInAtPoint = -8, CmdZoomIn = -7,
    CmdZoomOut = -6, CmdIterationUp = -5, CmdIterationDown = -4, CmdPanPreview = -3,
    CmdPanApply = -2, CmdNewPicture = TileStartPicture,
};

// What the end of the current pass leads to. The rules run in the order of EndOfPass, so
// the two after-take-over states end as PassComplete or PassRefine do.
enum PassStep : int32_t {
    PassComplete            = 0,   // the picture is complete
    PassRefine              = 1,   // refine the boundary of skipped inside regions
    PassZoomOutTakeOver     = 2,   // the grid pass of a zoom out ends: take the counts over
    PassIterationUpTakeOver = 3,   // the grid pass of a raised limit ends
    PassPanTakeOver         = 4,   // the grid pass of a pan ends
    PassTakenOverRefine     = 5,   // main pass after a take-over, with the shortcut
    PassTakenOverComplete   = 6,   // main pass after a take-over, every pixel computed
};

constexpr int HistorySlots = 4;

struct HistorySlot {
    int32_t    Counts[WorkMaskCount];   // N_array rows 0..1199 from picture pixel (0, 0)
    ViewParams Params;
};

struct CycleState {
    int32_t  LastCommand;       // code of the last command taken
    PassStep PassState;         // what the end of the current pass leads to
    int64_t  CalcTimeMs;        // set-up to completion of the shown picture
    uint8_t  RecomputeAll;      // compute every pixel, do not trust inside regions
    int32_t  HistoryIndex;      // current slot
    uint8_t  HistoryEmpty;      // no picture stored yet
    int32_t  RedrawRetries;     // -1 = no screen-check redraw pending
    uint8_t  FirstPaintPending; // the paint resources do not exist yet
    int8_t   FormatOption;      // -2, -1 or 0 from the command line: how the default view
                                // picks its number format
    uint8_t  OnePicture;        // the program ends after its first picture: the history
                                // keeps the views only, not their counts
};
extern CycleState Cycle;
extern HistorySlot History[HistorySlots];
extern ViewParams LoadedParams; // a view read from a file; the first picture shows it

// The view of a fresh start: the whole set, its number formats chosen by the start options
// and the thread count.
ViewParams DefaultView();

void InitCycleState();          // start values, part of the engine's start-up initialisation
void Invalidate();
void PostCommand(int32_t code);
void PaintStep();
void MinimiseWindow();
// The engine's SetupGeometry, the automatic colour scale and a fresh pass.
void SetupCalculation();
PictureStatus PictureStatusNow();   // what the info panel shows of this cycle
void ShowPanel();                   // legend and info panel of the live picture

// The ring of the last four finished pictures.
void StoreHistory();
void StoreAllHistory();
void GoBack();
const int32_t* HistoryCounts(int slot);   // the counts a slot holds (slots may share them)
