// ui/text.h - markup text in the bitmap font, the two box primitives of the panels and the
// brushes they fill with. All three draw on the paint in progress and are called only from
// the paint handler.
#pragma once
#include <cstdint>
#include "platform/platform.h"

// Solid brushes as COLORREF values, made once with the paint resources.
struct BrushSet {
    ColourRef RedBrush;     // 0x0000FF
    ColourRef GreenBrush;   // 0x00A000
    ColourRef DarkBrush;    // 0x202020
    ColourRef DimBrush;     // 0x404040
    ColourRef GreyBrush;    // 0x808080
};
extern BrushSet Brushes;

void CreateBrushes();
void ReleaseBrushes();   // in the order Grey, Dim, Dark, Green, Red

// Draws text (markup included, cut to 255 bytes) with its first cell's top-left corner at
// (x, y), one SetPixel per lit pixel in the COLORREF colour; the background is left alone.
void DrawText(int32_t x, int32_t y, ColourRef colour, const char* text);

// A one-pixel outline of the box with both corners inside it, in ScreenBox order.
void DrawFrame(int32_t left, int32_t right, int32_t top, int32_t bottom, ColourRef brush);

// Fills the box, all four edges included, in ScreenBox order.
void FillBox(int32_t left, int32_t right, int32_t top, int32_t bottom, ColourRef brush);
