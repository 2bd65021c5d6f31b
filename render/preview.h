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
void KeepPanInRange();    // shortens the drag where it would move the centre out of range
void PreparePan();

// Take-over steps at the end of a grid pass (PassState 2, 3, 4).
void ZoomOutTakeOver();
void IterationUpTakeOver();
void PanTakeOver();

// Building blocks of the take-over steps.
void BlockyPreview();      // ScreenImage = raw count of the nearest grid point
void TakeOverColours();    // N_array = the raw counts in ScreenImage, which are then coloured

// The part of the old picture that stays visible when the picture is shifted by a drag.
struct PanOverlap {
    int32_t OverlapW, OverlapH;   // its size
    int32_t OverlapX, OverlapY;   // its top-left corner on the screen after the shift
    int32_t SourceX, SourceY;     // its top-left corner in the old picture
};

struct PreviewState {
    PanOverlap Overlap;             // of the last pan preview or pan
    uint32_t   OverlapInsideCount;  // zero counts taken over into the overlap
};
extern PreviewState Preview;

// ---- Pure geometry and limits, so every case can be tested without a picture ----------

// Magnification of old columns (or rows) about an old position `centre`: screen position 0
// shows old position FirstSource, which fills the first FirstFill screen positions; every
// following old position fills `factor` screen positions.
struct MagnifySpan {
    int32_t FirstSource;
    int32_t FirstFill;
};
MagnifySpan MagnifySpanFor(int32_t size, int32_t factor, int32_t centre);
int32_t     MagnifiedSource(const MagnifySpan& span, int32_t factor, int32_t screenPos);

// Zoom factor and steps of a zoom at a point, smaller near the deepest zoom (DeepestZoom).
void    ZoomStepNearLimit(int32_t ldZoom, int32_t* factor, int32_t* steps);
// The zoom point kept far enough from the edges that the magnified preview stays inside.
int32_t ClampZoomPoint(int32_t press, int32_t size, int32_t steps);
// First column (row) of the central quarter that shows the halved old picture.
int32_t QuarterCorner(int32_t size);
PanOverlap OverlapFor(int32_t dragDX, int32_t dragDY, int32_t width, int32_t height);
// The grid row (column) whose count a pixel shows in the blocky preview.
int32_t BlockyGridLine(int32_t pos, int32_t size);
int32_t RaisedIteration(int32_t old);    // x 1.5 in single precision, at most 9,999,999
int32_t LoweredIteration(int32_t old);   // / 1.5 in single precision, at least 2
