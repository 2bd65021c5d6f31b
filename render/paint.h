// render/paint.h - drawing resources and the copies of the picture images to the window.
#pragma once
#include <cstdint>

// Solid brushes as COLORREF values (0x00BBGGRR), made once by CreatePaintResources.
struct BrushSet {
    uint32_t RedBrush;     // 0x0000FF
    uint32_t GreenBrush;   // 0x00A000
    uint32_t DarkBrush;    // 0x202020
    uint32_t DimBrush;     // 0x404040
    uint32_t GreyBrush;    // 0x808080
};
extern BrushSet Brushes;

void CreatePaintResources();    // brushes and the export image with its PNG writer
void ReleasePaintResources();   // at window destruction, in the order Grey, Dim, Dark, Green, Red
void BlitRect(const uint32_t* image, int x, int y, int w, int h);
void BlitAll();
