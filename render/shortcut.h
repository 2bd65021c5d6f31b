// render/shortcut.h - skipping large inside regions and recovering their boundary.
#pragma once
#include <cstdint>

extern uint8_t SettledFlags[];   // 2048 x 1200: taken over or already queued, never queued again

void FillWorkMask(int32_t value);
void ClearSettledFlags();
void MarkGrid();
void SkipInsideBlocks();
void DecideRecomputeAll();
void RefineBoundary();           // sets Cycle.PassState to 1 if it queued pixels, else 0
