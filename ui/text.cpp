// ui/text.cpp - markup text and box primitives, drawn straight onto the window.
#include "ui/text.h"
#include "platform/platform.h"
#include "ui/font.h"

BrushSet Brushes;

void CreateBrushes() {
    Brushes.RedBrush = 0x0000FF;
    Brushes.GreenBrush = 0x00A000;
    Brushes.DarkBrush = 0x202020;
    Brushes.DimBrush = 0x404040;
    Brushes.GreyBrush = 0x808080;
}

void ReleaseBrushes() {
    // Brushes are plain colour values here; clearing them in the release order keeps any
    // drawing after the window is gone visibly wrong instead of silently right.
    Brushes.GreyBrush = 0;
    Brushes.DimBrush = 0;
    Brushes.DarkBrush = 0;
    Brushes.GreenBrush = 0;
    Brushes.RedBrush = 0;
}

void DrawText(int32_t x, int32_t y, ColourRef colour, const char* text) {
    int length = TextLength(text);
    int32_t pen = x;
    for (int pos = 0; pos < length;) {
        int code = NextGlyphCode(text, length, pos);
        if (code < 0) continue;
        // The pen-back step belongs to the code, however the text reached it.
        if (code == PenBackCode) pen -= 1;
        const Glyph& g = GlyphTable[code];
        for (int i = 0; i < GlyphPixelCount(g); i++)
            PlatSetPixel(pen + g.Pixels[2 * i], y + g.Pixels[2 * i + 1], colour);
        pen += g.Advance;
    }
}

// Four fills in this order; the top and bottom rows stop one pixel short of the right
// edge, which the right column covers.
void DrawFrame(int32_t left, int32_t right, int32_t top, int32_t bottom, ColourRef brush) {
    PlatFillRect(left, top, left + 1, bottom + 1, brush);
    PlatFillRect(right, top, right + 1, bottom + 1, brush);
    PlatFillRect(left, top, right, top + 1, brush);
    PlatFillRect(left, bottom, right, bottom + 1, brush);
}

void FillBox(int32_t left, int32_t right, int32_t top, int32_t bottom, ColourRef brush) {
    PlatFillRect(left, top, right + 1, bottom + 1, brush);
}
