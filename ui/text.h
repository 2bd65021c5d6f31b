// ui/text.h - markup text in the bitmap font and the two box primitives of the panels.
// All three draw on the paint in progress and are called only from the paint handler.
#pragma once
#include <cstdint>

// Draws text (markup included, cut to 255 bytes) with its first cell's top-left corner at
// (x, y), one SetPixel per lit pixel in the COLORREF colour; the background is left alone.
void DrawText(int32_t x, int32_t y, uint32_t colour, const char* text);

// A one-pixel outline of the box with both corners inside it, in ScreenBox order.
void DrawFrame(int32_t left, int32_t right, int32_t top, int32_t bottom, uint32_t brush);

// Fills the box, all four edges included, in ScreenBox order.
void FillBox(int32_t left, int32_t right, int32_t top, int32_t bottom, uint32_t brush);
