// ui/font.cpp - builds the glyph table from the pictures while compiling, and reads markup.
#include "ui/font.h"
#include "ui/glyphs.h"
#include "ui/glyphs_ascii.h"
#include "ui/glyphs_extra.h"

namespace {

using GlyphArray = std::array<Glyph, 256>;

constexpr int RowChars(const char* row) {
    int n = 0;
    while (row[n] != '\0') n++;
    return n;
}

// A malformed sheet stops the compilation here: a throw cannot be part of a constant.
constexpr Glyph GlyphFromCell(const GlyphSheet& sheet, int cell) {
    Glyph g{};
    g.Advance = sheet.Advances[cell];
    int count = 0;
    for (int y = 0; y < GlyphRows; y++) {
        const char* row = sheet.Rows[y];
        if (RowChars(row) != sheet.Count * (GlyphColumns + 1) - 1) throw "sheet row of wrong length";
        if (cell + 1 < sheet.Count && row[cell * (GlyphColumns + 1) + GlyphColumns] != ' ')
            throw "cells must be parted by one blank";
        for (int x = 0; x < GlyphColumns; x++) {
            char c = row[cell * (GlyphColumns + 1) + x];
            if (c == '#') {
                if (count == MaxGlyphPixels) throw "glyph has more pixels than a record holds";
                g.Pixels[2 * count] = uint8_t(x);
                g.Pixels[2 * count + 1] = uint8_t(y);
                count++;
            } else if (c != '.') {
                throw "a cell holds only '#' and '.'";
            }
        }
    }
    g.Length = uint8_t(2 + 2 * count);
    return g;
}

template <int N>
constexpr void AddSheets(GlyphArray& table, std::array<bool, 256>& drawn, const GlyphSheet (&sheets)[N]) {
    for (const GlyphSheet& sheet : sheets) {
        if (sheet.Count < 1 || sheet.Count > SheetCells) throw "sheet cell count out of range";
        for (int cell = 0; cell < sheet.Count; cell++) {
            uint8_t code = sheet.Codes[cell];
            if (drawn[code]) throw "glyph code drawn twice";
            drawn[code] = true;
            table[code] = GlyphFromCell(sheet, cell);
        }
    }
}

constexpr GlyphArray BuildGlyphTable() {
    GlyphArray table{};
    std::array<bool, 256> drawn{};
    AddSheets(table, drawn, AsciiGlyphs);
    AddSheets(table, drawn, ExtraGlyphs);
    // The two markup prefixes cannot reach their own glyphs, so the pictures live on here.
    table[0x80] = table['@'];
    table[0xC3] = table['#'];
    drawn[0x80] = drawn[0xC3] = true;
    Glyph missing = GlyphFromCell(MissingGlyph[0], 0);
    for (int code = 0; code < 256; code++)
        if (!drawn[code]) table[code] = missing;
    return table;
}

}  // namespace

constexpr GlyphArray GlyphTable = BuildGlyphTable();
static_assert(sizeof(GlyphTable) == 24576);

int NextGlyphCode(const char* text, int length, int& pos) {
    int c = uint8_t(text[pos++]);
    if (c != '#' && c != '@') return c;
    if (pos >= length) return -1;                  // a prefix with nothing after it
    int n = uint8_t(text[pos]);
    int code = (c == '#' ? 0x80 : 0x40) + n;
    if (code > 255) return -1;                     // leave n to be read as a code by itself
    pos++;
    return code;
}

int TextLength(const char* text) {
    int n = 0;
    while (n < MaxTextLength && text[n] != '\0') n++;
    return n;
}

int32_t TextWidth(const char* text) {
    int length = TextLength(text);
    int32_t width = 0;
    for (int pos = 0; pos < length;) {
        int code = NextGlyphCode(text, length, pos);
        if (code < 0) continue;
        if (code == PenBackCode) width -= 1;
        width += GlyphTable[code].Advance;
    }
    return width;
}
