// render/preview.h - what a command shows at once, and which pixels its passes compute:
// previews built from the old picture's counts, and the take-over steps between passes.
#pragma once
#include <cstdint>

// Preparations, one per command (the render cycle sets TilePos afterwards).
void PrepareRecompute();
void PrepareZoomIn(int factor, int steps);   // (16, 4) at the press point, (2, 1) at the centre
void PrepareZoomOut();
void PrepareIterationUp();
void LowerIteration();
void DrawPanPreview();
void PreparePan();

// Take-over steps at the end of a grid pass (PassState 2, 3, 4).
void ZoomOutTakeOver();
void IterationUpTakeOver();
void PanTakeOver();
