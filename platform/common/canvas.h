// platform/common/canvas.h - the window's pixels, kept in memory by the backends that draw
// themselves. It outlives every paint, so an uncovered or restored window is shown again
// without asking the program.
#pragma once
#include <cstdint>

constexpr int CanvasCapacity = 1920 * 1200;   // the largest picture the program makes

struct Canvas {
    int      Width, Height;              // 0 while there is no window
    bool     NoPixels;                   // nobody looks at the window: drawing only marks it
    uint32_t Pixels[CanvasCapacity];     // 0x00RRGGBB, row stride Width
    // Union of everything drawn since it was last taken, right and bottom exclusive;
    // empty when DirtyRight <= DirtyLeft.
    int      DirtyLeft, DirtyTop, DirtyRight, DirtyBottom;
};
extern Canvas WindowCanvas;

bool CanvasOpen(int w, int h);            // black, w x h; false if it cannot hold that size
void CanvasClose();
void CanvasMarkDirty(int left, int top, int right, int bottom);
void CanvasMarkAllDirty();
// Hands out the drawn area and starts collecting afresh; false when nothing was drawn.
bool CanvasTakeDirty(int* left, int* top, int* right, int* bottom);

uint32_t RgbFromColourref(uint32_t colourref);   // 0x00BBGGRR -> 0x00RRGGBB
uint32_t ColourrefFromRgb(uint32_t rgb);
