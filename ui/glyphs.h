// ui/glyphs.h - the readable source of the bitmap font: glyph pictures drawn as text.
//
// A sheet holds up to eight glyphs side by side. Row r of the sheet is one string in which
// cell i occupies characters 10i .. 10i + 8 ('#' lit, '.' dark) and character 10i + 9 is
// the blank between cells. ui/font.cpp turns the sheets into the glyph table while
// compiling, and refuses a sheet with a short row, a stray character or a code drawn twice.
#pragma once
#include <cstdint>

constexpr int GlyphColumns = 9;    // pixel columns 0..8 of a cell
constexpr int GlyphRows    = 13;   // rows 0..12 of a text line; the baseline is row 9
constexpr int SheetCells   = 8;

struct GlyphSheet {
    uint8_t     Count;                  // cells in use, from the left
    uint8_t     Codes[SheetCells];      // glyph code of each cell
    uint8_t     Advances[SheetCells];   // pen movement after each glyph
    const char* Rows[GlyphRows];
};
