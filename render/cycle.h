// render/cycle.h - the paint-driven render cycle: one bounded step per WM_PAINT, the
// pending command or the next tile, and the ring of the last four finished pictures.
#pragma once
#include <cstdint>
#include "engine/state.h"

// Command codes posted into TilePos.
enum : int32_t {
    CmdRecompute = -10, CmdRecolour = -9, CmdZoomInAtPoint = -8, CmdZoomIn = -7,
    CmdZoomOut = -6, CmdIterationUp = -5, CmdIterationDown = -4, CmdPanPreview = -3,
    CmdPanApply = -2, CmdNewPicture = -1,
};

constexpr int HistorySlots = 4;

struct HistorySlot {
    int32_t    Counts[WorkMaskCount];   // N_array rows 0..1199 from picture pixel (0, 0)
    ViewParams Params;
};

struct CycleState {
    int32_t  LastCommand;       // code of the last command taken
    int32_t  PassState;         // what the end of the current pass leads to (0 = complete)
    int64_t  CalcTimeMs;        // set-up to completion of the shown picture
    uint8_t  RecomputeAll;      // compute every pixel, do not trust inside regions
    int32_t  HistoryIndex;      // current slot
    uint8_t  HistoryEmpty;      // no picture stored yet
    int32_t  RedrawRetries;     // -1 = no screen-check redraw pending
    uint8_t  FirstPaintPending; // the paint resources do not exist yet
};
extern CycleState Cycle;
extern HistorySlot History[HistorySlots];

void InitCycleState();          // start values, part of the engine's start-up initialisation
void Invalidate();
void PostCommand(int32_t code);
void PaintStep();
void StoreHistory();
void StoreAllHistory();
void GoBack();
void MinimiseWindow();
