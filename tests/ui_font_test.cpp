// The glyph table, the reading of markup into glyph codes, text widths and the drawing of
// text and boxes on the headless canvas.
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "ui/font.h"
#include "ui/text.h"
#include "tests/ui_canvas.h"

namespace {

using Pixels = std::vector<std::pair<int, int>>;

Pixels PixelsOf(int code) {
    Pixels p;
    const Glyph& g = GlyphTable[code];
    for (int i = 0; i < GlyphPixelCount(g); i++) p.push_back({g.Pixels[2 * i], g.Pixels[2 * i + 1]});
    return p;
}

std::vector<int> Codes(const std::string& text) {
    std::vector<int> codes;
    for (int pos = 0; pos < int(text.size());) codes.push_back(NextGlyphCode(text.data(), int(text.size()), pos));
    return codes;
}

// Advances of 0x20 .. 0x7E in code order.
constexpr int AsciiAdvances[95] = {
    6, 5, 5, 9, 7, 10, 9, 3, 6, 6, 7, 9, 6, 8, 6, 8,                          // space .. /
    8, 8, 7, 7, 8, 7, 8, 8, 8, 8,                                              // 0 .. 9
    6, 6, 8, 8, 8, 8, 9,                                                       // : .. @
    10, 8, 9, 8, 8, 8, 9, 8, 7, 7, 8, 7, 9, 8, 9, 8, 9, 8, 8, 8, 8, 9, 11, 10, 9, 9,   // A .. Z
    6, 8, 6, 9, 9, 5,                                                          // [ .. `
    8, 8, 8, 8, 8, 9, 8, 8, 7, 7, 7, 7, 11, 8, 8, 8, 8, 7, 7, 8, 8, 9, 11, 8, 9, 8,    // a .. z
    7, 5, 7, 10,                                                               // { .. ~
};

struct UpperGlyph { int Code, Advance; };
constexpr UpperGlyph UpperGlyphs[51] = {
    {0x80, 9}, {0x84, 10}, {0x8A, 5}, {0x8F, 10}, {0x96, 5}, {0x97, 5}, {0x98, 6}, {0x9B, 0},
    {0x9D, 1}, {0x9E, 7}, {0x9F, 2}, {0xA0, 5},
    {0xA1, 9}, {0xA2, 7}, {0xA3, 9}, {0xA4, 7}, {0xA5, 7}, {0xA6, 9}, {0xA7, 8}, {0xA8, 8},
    {0xA9, 6}, {0xAB, 8}, {0xAC, 8}, {0xAD, 9}, {0xAE, 8}, {0xAF, 8}, {0xB0, 9}, {0xB1, 7},
    {0xB2, 8}, {0xB3, 8}, {0xB4, 7}, {0xB5, 11}, {0xB7, 9}, {0xB8, 8}, {0xB9, 9}, {0xBA, 7},
    {0xBC, 3}, {0xBD, 4}, {0xBE, 5}, {0xC1, 9}, {0xC3, 9}, {0xCF, 9}, {0xD5, 8}, {0xE1, 8},
    {0xE3, 7}, {0xEF, 8}, {0xF3, 8}, {0xF5, 8}, {0xF6, 8}, {0xF8, 8}, {0xFC, 11},
};

Pixels MissingPixels() {
    Pixels p;
    for (int x = 0; x <= 6; x++) p.push_back({x, 0});
    for (int y = 1; y <= 10; y++) p.push_back({0, y}), p.push_back({6, y});
    for (int x = 0; x <= 6; x++) p.push_back({x, 11});
    return p;
}

int Top(int code) { return PixelsOf(code).front().second; }
int Bottom(int code) { return PixelsOf(code).back().second; }

}  // namespace

TEST(GlyphTable, RecordsHaveTheFixedLayout) {
    EXPECT_EQ(sizeof GlyphTable, 24576u);
    for (int code = 0; code < 256; code++) {
        const Glyph& g = GlyphTable[code];
        SCOPED_TRACE(code);
        ASSERT_EQ(g.Length % 2, 0);
        ASSERT_LE(GlyphPixelCount(g), MaxGlyphPixels);
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&g);
        for (int i = g.Length; i < 96; i++) EXPECT_EQ(bytes[i], 0) << "byte " << i;
        Pixels p = PixelsOf(code);
        for (auto [x, y] : p) {
            EXPECT_LE(x, 8);
            EXPECT_LE(y, 12);
        }
        // Row by row from the top, left to right within a row.
        for (size_t i = 1; i < p.size(); i++)
            EXPECT_TRUE(std::make_pair(p[i - 1].second, p[i - 1].first) < std::make_pair(p[i].second, p[i].first));
    }
}

TEST(GlyphTable, AdvancesAndCoverageAsListed) {
    bool listed[256] = {};
    for (int i = 0; i < 95; i++) {
        EXPECT_EQ(GlyphTable[0x20 + i].Advance, AsciiAdvances[i]) << char(0x20 + i);
        listed[0x20 + i] = true;
    }
    for (const UpperGlyph& u : UpperGlyphs) {
        EXPECT_EQ(GlyphTable[u.Code].Advance, u.Advance) << std::hex << u.Code;
        EXPECT_NE(PixelsOf(u.Code), MissingPixels()) << std::hex << u.Code;
        listed[u.Code] = true;
    }
    int missing = 0;
    for (int code = 0; code < 256; code++) {
        if (listed[code]) continue;
        missing++;
        EXPECT_EQ(GlyphTable[code].Advance, 8) << std::hex << code;
        EXPECT_EQ(PixelsOf(code), MissingPixels()) << std::hex << code;
    }
    EXPECT_EQ(missing, 110);
    EXPECT_EQ(MissingPixels().size(), 34u);
}

TEST(GlyphTable, CapitalAAndSmallGAreTheGivenPictures) {
    const Pixels a = {{3, 2}, {4, 2}, {3, 3}, {4, 3}, {2, 4}, {5, 4}, {2, 5}, {5, 5}, {1, 6}, {6, 6},
                      {1, 7}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {6, 7}, {0, 8}, {7, 8}, {0, 9}, {7, 9}};
    const Pixels g = {{1, 3}, {2, 3}, {3, 3}, {5, 3}, {0, 4}, {4, 4}, {5, 4}, {0, 5}, {5, 5},
                      {0, 6}, {5, 6}, {0, 7}, {5, 7}, {0, 8}, {4, 8}, {5, 8}, {1, 9}, {2, 9},
                      {3, 9}, {5, 9}, {5, 10}, {5, 11}, {1, 12}, {2, 12}, {3, 12}, {4, 12}};
    EXPECT_EQ(PixelsOf('A'), a);
    EXPECT_EQ(PixelsOf('g'), g);
}

TEST(GlyphTable, PrefixPicturesAreCopiedAndSpacesAreBlank) {
    EXPECT_EQ(std::memcmp(&GlyphTable[0x80], &GlyphTable['@'], sizeof(Glyph)), 0);
    EXPECT_EQ(std::memcmp(&GlyphTable[0xC3], &GlyphTable['#'], sizeof(Glyph)), 0);
    for (int code : {0x20, 0x9B, 0x9D, 0x9F, 0xBC, 0xBD, 0xBE}) EXPECT_EQ(GlyphTable[code].Length, 2) << code;
    EXPECT_EQ(PixelsOf(0xA0), (Pixels{{2, 0}, {1, 1}}));
}

// The letters keep to their lines, so words sit on one baseline.
TEST(GlyphTable, LettersAndDigitsStandOnTheBaseline) {
    for (int c = 'A'; c <= 'Z'; c++) {
        EXPECT_EQ(Top(c), 2) << char(c);
        EXPECT_EQ(Bottom(c), 9) << char(c);
    }
    for (int c = '0'; c <= '9'; c++) {
        EXPECT_EQ(Top(c), 1) << char(c);
        EXPECT_EQ(Bottom(c), 9) << char(c);
    }
    for (int c = 'a'; c <= 'z'; c++) {
        const bool descender = std::strchr("gjpqy", c) != nullptr;
        const bool tall = std::strchr("bdfhijklt", c) != nullptr;
        EXPECT_EQ(Bottom(c), descender ? 12 : 9) << char(c);
        EXPECT_EQ(Top(c), tall ? 1 : 3) << char(c);
    }
}

TEST(TextReading, PrefixesFormCodesOfTheUpperHalf) {
    EXPECT_EQ(Codes("A#x@D@["), (std::vector<int>{'A', 0xF8, 0x84, 0x9B}));
    EXPECT_EQ(Codes("#@"), (std::vector<int>{0xC0}));   // the # pair is read first
    EXPECT_EQ(Codes("@#"), (std::vector<int>{0x63}));
    EXPECT_EQ(Codes("@ "), (std::vector<int>{0x60}));
    EXPECT_EQ(Codes("##"), (std::vector<int>{0xA3}));
    EXPECT_EQ(Codes("\x85" "a"), (std::vector<int>{0x85, 'a'}));   // a high byte stands for itself
}

TEST(TextReading, APrefixThatNamesNoGlyphIsSkippedAlone) {
    EXPECT_EQ(Codes("ab#"), (std::vector<int>{'a', 'b', -1}));
    EXPECT_EQ(Codes("@"), (std::vector<int>{-1}));
    EXPECT_EQ(Codes("#\xC5"), (std::vector<int>{-1, 0xC5}));
    EXPECT_EQ(Codes("@\xC0x"), (std::vector<int>{-1, 0xC0, 'x'}));
    EXPECT_EQ(Codes("@\xBF"), (std::vector<int>{0xFF}));
    EXPECT_EQ(TextWidth("ab#"), TextWidth("ab"));
    // The reader stops at the given length even when the prefix's partner lies beyond it.
    int pos = 0;
    EXPECT_EQ(NextGlyphCode("#x", 1, pos), -1);
    EXPECT_EQ(pos, 1);
}

TEST(TextWidth, SumsAdvancesLessOnePixelPerPenBack) {
    EXPECT_EQ(TextWidth(""), 0);
    EXPECT_EQ(TextWidth("Iter@[a@[t@[ion"), TextWidth("Iteration") - 3);
    EXPECT_EQ(TextWidth("#=#x#<"), 15);
    EXPECT_EQ(TextWidth("Info"), 32);
    EXPECT_EQ(TextWidth("\x01@j@v"), 24);   // three missing glyphs
    EXPECT_EQ(TextWidth("@[@[@["), -3);
}

TEST(TextWidth, LongTextsAreCutAt255Bytes) {
    const std::string text(300, 'W');
    EXPECT_EQ(TextLength(text.c_str()), 255);
    EXPECT_EQ(TextWidth(text.c_str()), 255 * 11);
}

TEST(DrawText, EmptyTextLeavesTheCanvasAlone) {
    OpenPaintCanvas(64, 32);
    DrawText(10, 10, 0x0000FF, "");
    DrawText(10, 10, 0x0000FF, "@[ #< @]");
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 64; x++) ASSERT_EQ(HeadlessPixel(x, y), 0u);
}

TEST(DrawText, LightsExactlyTheGlyphPixelsInTheColour) {
    OpenPaintCanvas(64, 32);
    DrawText(20, 5, 0x00009F, "Ag");
    int lit = 0;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 64; x++) lit += HeadlessPixel(x, y) != 0;
    EXPECT_EQ(lit, 20 + 26);
    EXPECT_EQ(HeadlessPixel(20 + 3, 5 + 2), 0x9F0000u);   // the apex of A, COLORREF to RGB
    EXPECT_EQ(HeadlessPixel(20 + 10 + 1, 5 + 12), 0x9F0000u);   // g's tail, one advance on
}

TEST(DrawText, PenBackAtTheStartPullsTheGlyphLeft) {
    OpenPaintCanvas(64, 32);
    DrawText(20, 5, 0xFFFFFF, "@[A");
    EXPECT_EQ(HeadlessPixel(20 + 3 - 1, 5 + 2), 0xFFFFFFu);
    EXPECT_EQ(HeadlessPixel(20 + 4, 5 + 2), 0u);
}

TEST(DrawText, CodesWithoutAGlyphShowTheOutline) {
    OpenPaintCanvas(64, 32);
    DrawText(2, 2, 0xFFFFFF, "@j\x01");
    for (int pen : {2, 10}) {
        EXPECT_EQ(HeadlessPixel(pen, 2), 0xFFFFFFu);
        EXPECT_EQ(HeadlessPixel(pen + 6, 2 + 11), 0xFFFFFFu);
        EXPECT_EQ(HeadlessPixel(pen + 3, 2 + 5), 0u);
    }
    EXPECT_EQ(HeadlessPixel(18, 2), 0u);
}

TEST(DrawFrame, DegenerateFrameLightsOnePixel) {
    OpenPaintCanvas(16, 16);
    DrawFrame(5, 5, 7, 7, 0x808080);
    int lit = 0;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) lit += HeadlessPixel(x, y) != 0;
    EXPECT_EQ(lit, 1);
    EXPECT_EQ(HeadlessPixel(5, 7), 0x808080u);
}

TEST(DrawFrame, OutlinesAndFillsIncludeBothEdges) {
    OpenPaintCanvas(32, 32);
    DrawFrame(2, 9, 3, 8, 0x0000FF);
    FillBox(20, 22, 20, 21, 0x00A000);
    for (int x = 2; x <= 9; x++) EXPECT_EQ(HeadlessPixel(x, 3), 0xFF0000u) << x;
    for (int x = 2; x <= 9; x++) EXPECT_EQ(HeadlessPixel(x, 8), 0xFF0000u) << x;
    for (int y = 3; y <= 8; y++) EXPECT_EQ(HeadlessPixel(2, y) & HeadlessPixel(9, y), 0xFF0000u) << y;
    EXPECT_EQ(HeadlessPixel(5, 5), 0u);
    EXPECT_EQ(HeadlessPixel(10, 3), 0u);
    EXPECT_EQ(HeadlessPixel(2, 9), 0u);
    int filled = 0;
    for (int y = 18; y < 24; y++)
        for (int x = 18; x < 25; x++) filled += HeadlessPixel(x, y) == 0x00A000u;
    EXPECT_EQ(filled, 6);
    EXPECT_EQ(HeadlessPixel(22, 21), 0x00A000u);
}
