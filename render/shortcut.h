// render/shortcut.h - skipping large inside regions and recovering their boundary.
#pragma once
#include <cstdint>

extern uint8_t SettledFlags[];   // 2048 x 1200: taken over or already queued, never queued again

void FillWorkMask(int32_t value);
void ClearSettledFlags();
void MarkGrid();
void SkipInsideBlocks();
void DecideRecomputeAll();
void RefineBoundary();           // PassRefine again if it queued pixels, else PassComplete

// The decision of DecideRecomputeAll in pure form.
uint32_t InsidePercent(uint32_t insideCount, uint32_t pixels);   // single precision, nearest
uint8_t  RecomputeAllFor(uint32_t percent, int32_t iteration, uint8_t numberMode,
                         uint8_t historyEmpty, uint8_t automatic);
