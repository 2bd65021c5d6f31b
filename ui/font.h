// ui/font.h - the glyph table of the built-in bitmap font and the reading of markup text.
//
// Texts are byte strings of at most 255 characters. '#' followed by a character n selects
// glyph 0x80 + n, '@' followed by n selects 0x40 + n; every other byte is its own glyph.
// So "@[" (0x9B) pulls the pen one pixel back, "@]", "@_", "#<", "#=", "#>" open gaps of
// 1 to 5 pixels, "@D" is a Delta and "#x" a multiplication sign.
#pragma once
#include <array>
#include <cstdint>

constexpr int MaxTextLength  = 255;
constexpr int MaxGlyphPixels = 47;
constexpr uint8_t PenBackCode = 0x9B;   // no pixels; moves the pen one pixel left

// One 96-byte record: the advance, the bytes in use (2 + 2 x pixels) and the lit pixels as
// (x, y) pairs, x right of the pen and y down from the top of the line, row by row.
struct Glyph {
    uint8_t Advance;
    uint8_t Length;
    uint8_t Pixels[2 * MaxGlyphPixels];
};
static_assert(sizeof(Glyph) == 96);

extern const std::array<Glyph, 256> GlyphTable;

inline int GlyphPixelCount(const Glyph& g) { return (g.Length - 2) / 2; }

// Reads the next glyph code of text[0 .. length) starting at pos and moves pos past the
// characters used. Returns -1 for a prefix that names no glyph: a prefix at the very end,
// or a pair whose code would pass 255. Such a prefix is skipped on its own, and the byte
// after it is read afresh, so nothing beyond the text is ever touched.
int NextGlyphCode(const char* text, int length, int& pos);

int TextLength(const char* text);      // bytes up to the terminator, at most 255
int32_t TextWidth(const char* text);   // advances summed, one pixel less for each pen-back
