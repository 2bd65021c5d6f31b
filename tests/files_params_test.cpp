// tests/files_params_test.cpp - the parameter file's text: layout, token reader, range check,
// and loading from the command line's point of view.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include "engine/centre.h"
#include "files/params.h"
#include "tests/files_test_util.h"
#include "render/cycle.h"
#include "ui/message.h"

namespace {

ViewParams ExampleView() {
    ViewParams v = HomeView();
    v.ld_Zoom = -3;
    return v;
}

std::string Format(const ViewParams& v, const char* name = "Pictures/x") {
    char text[ParamFileMaxBytes];
    int n = FormatParameterFile(v, name, text, sizeof text);
    EXPECT_GT(n, 0);
    return std::string(text, n > 0 ? n : 0);
}

bool Parse(const std::string& text, ViewParams* out) { return ParseParameterFile(text.data(), text.size(), out); }
bool Parses(const std::string& text) {
    ViewParams v{};
    return Parse(text, &v);
}

uint64_t Bits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

void ExpectSameBits(const ViewParams& a, const ViewParams& b) {
    EXPECT_TRUE(a.Center_zX == b.Center_zX);
    EXPECT_TRUE(a.Center_zY == b.Center_zY);
    EXPECT_EQ(a.ld_Zoom, b.ld_Zoom);
    EXPECT_EQ(a.Iteration, b.Iteration);
    EXPECT_EQ(Bits(a.Color), Bits(b.Color));
    EXPECT_EQ(a.Offset, b.Offset);
    EXPECT_EQ(a.Alt_Iteration, b.Alt_Iteration);
    EXPECT_EQ(Bits(a.Alt_Color), Bits(b.Alt_Color));
    EXPECT_EQ(a.Automatic, b.Automatic);
    EXPECT_EQ(a.FPU_Mode, b.FPU_Mode);
    EXPECT_EQ(a.CPU_Prev, b.CPU_Prev);
}

// Replaces the first occurrence of `from`, which the test expects to be there.
std::string Replace(std::string s, const std::string& from, const std::string& to) {
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

}  // namespace

TEST(ParamText, KnownViewIsWrittenByteForByte) {
    const std::string expected =
        "$04                                      1 (long128)\r\n"
        "$00000000 $00000000 $00000000 $00000000  2 Center_zX\r\n"
        "$FF800000 $00000000 $00000000 $00000000  3 Center_zY\r\n"
        "$FFFFFFFD                                4 ld_Zoom\r\n"
        "$00000100                                5 Iteration\r\n"
        "$4010 $0000 $0000 $0000                  6 Color\r\n"
        "$00000000                                7 Offset\r\n"
        "$00000100                                8 Alt_Iteration\r\n"
        "$4010 $0000 $0000 $0000                  9 Alt_Color\r\n"
        "$01                                     10 Automatic\r\n"
        "$01                                     11 FPU_Mode\r\n"
        "$00000000                               12 CPU_Prev\r\n"
        "---------------------------------------\r\n"
        "Comment: \"C:\\Tools\\Pictures\\2024-03-03-09-05-07\" for x64\r\n";
    EXPECT_EQ(Format(ExampleView(), "C:\\Tools\\Pictures\\2024-03-03-09-05-07"), expected);
}

TEST(ParamText, WideValuesKeepTheirColumnsAndUpperCaseDigits) {
    ViewParams v = ExampleView();
    v.Center_zX = long128{0x0123456789ABCDEFull, 0xFEDCBA9876543210ull};
    v.Iteration = 9999999;
    v.Color = -std::numeric_limits<double>::infinity();
    v.Offset = 0xDEADBEEF;
    v.Automatic = 0xAB;
    v.CPU_Prev = -1;
    std::string text = Format(v);
    EXPECT_NE(text.find("$FEDCBA98 $76543210 $01234567 $89ABCDEF  2 Center_zX\r\n"), std::string::npos);
    EXPECT_NE(text.find("$0098967F                                5 Iteration\r\n"), std::string::npos);
    EXPECT_NE(text.find("$FFF0 $0000 $0000 $0000                  6 Color\r\n"), std::string::npos);
    EXPECT_NE(text.find("$DEADBEEF                                7 Offset\r\n"), std::string::npos);
    EXPECT_NE(text.find("$AB                                     10 Automatic\r\n"), std::string::npos);
    EXPECT_NE(text.find("$FFFFFFFF                               12 CPU_Prev\r\n"), std::string::npos);
    EXPECT_EQ(Format(v, "").size(), 52u + 52 + 52 + 50 + 52 + 48 + 49 + 56 + 52 + 52 + 51 + 51 + 39 + 19 + 14 * 2);
}

TEST(ParamText, TooSmallABufferIsRefused) {
    char text[100];
    EXPECT_EQ(FormatParameterFile(ExampleView(), "x", text, sizeof text), -1);
}

TEST(ParamText, EveryValueComesBackBitForBit) {
    ViewParams v{};
    v.Center_zX = long128{0x8000000000000001ull, 0x00000000FFFFFFFFull};
    v.Center_zY = long128{0xFFFFFFFFFFFFFFFFull, 0x8000000000000000ull};   // the most negative centre
    v.ld_Zoom = -4;
    v.Iteration = 9999999;
    v.Color = std::nextafter(1.1e9, 0.0);
    v.Offset = 0xFFFFFFFF;
    v.Alt_Iteration = -7;
    v.Alt_Color = -0.0;
    v.Automatic = 0;
    v.FPU_Mode = 0xFF;
    v.CPU_Prev = 8;
    ViewParams back{};
    ASSERT_TRUE(Parse(Format(v), &back));
    ExpectSameBits(v, back);

    v.ld_Zoom = 112;
    v.Color = 9e-10;
    v.Alt_Color = std::numeric_limits<double>::quiet_NaN();   // not checked: any bits come back
    ASSERT_TRUE(Parse(Format(v), &back));
    ExpectSameBits(v, back);
}

// Lines 2 and 3 of `text` replaced by centre lines of the given words, every word `word`.
std::string WithCentreWords(const std::string& text, int wordsX, int wordsY, const char* word = "$80000001") {
    const size_t line2 = text.find("\r\n") + 2, line4 = text.find("\r\n", text.find("\r\n", line2) + 2) + 2;
    std::string lines;
    for (int line : {2, 3}) {
        for (int k = 0; k < (line == 2 ? wordsX : wordsY); ++k) lines += std::string(word) + ' ';
        lines += ' ' + std::to_string(line) + " Center\r\n";
    }
    return text.substr(0, line2) + lines + text.substr(line4);
}

TEST(ParamText, DeepCentresTakeTheWordsTheirZoomNeedsAndComeBack) {
    ViewParams v = ExampleView();
    for (int i = 0; i < CentreExtWords; ++i) {
        v.Center_zXExt[i] = 0x0123456789ABCDEFull * uint64_t(i + 1);
        v.Center_zYExt[i] = ~v.Center_zXExt[i];
    }
    const struct { int32_t Zoom; int Words; } rows[] = {{-4, 4}, {112, 4}, {113, 6}, {1000, 33}, {MaxDeepZoom, 627}};
    for (const auto& r : rows) {
        v.ld_Zoom = r.Zoom;
        const std::string text = Format(v);
        const std::string line2 = text.substr(text.find("\r\n") + 2, text.find(" 2 Center_zX") - text.find("\r\n"));
        EXPECT_EQ(std::count(line2.begin(), line2.end(), '$'), r.Words) << r.Zoom;
        ViewParams back{};
        ASSERT_TRUE(Parse(text, &back)) << r.Zoom;
        EXPECT_EQ(Format(back), text);
        for (CentreAxis axis : {AxisX, AxisY}) {   // the bits the words hold, none below
            CentreCoord want = CentreOf(v, axis);
            TruncateCentre(want, 32 * r.Words - 8);
            EXPECT_EQ(CompareCentre(CentreOf(back, axis), want), 0) << r.Zoom;
        }
    }
    ViewParams plain = v;   // an exact view is written as if it had no deeper bits
    v.ld_Zoom = plain.ld_Zoom = 112;
    std::fill_n(plain.Center_zXExt, CentreExtWords, 0);
    std::fill_n(plain.Center_zYExt, CentreExtWords, 0);
    EXPECT_EQ(Format(v), Format(plain));
}

TEST(ParamText, CentreLinesAreReadAsWrittenUpToWhatTheCentreHolds) {
    ViewParams deep = ExampleView();
    deep.ld_Zoom = 1000;
    const std::string text = Format(deep);
    ViewParams v{};
    ASSERT_TRUE(Parse(WithCentreWords(text, 6, 6), &v));   // fewer words than the zoom needs
    EXPECT_EQ(v.Center_zX, (long128{0x8000000180000001ull, 0x8000000180000001ull}));
    EXPECT_EQ(v.Center_zXExt[0], 0x8000000180000001ull);
    EXPECT_EQ(v.Center_zYExt[1], 0u);
    EXPECT_TRUE(Parses(WithCentreWords(text, 2 * CentreWords, 2 * CentreWords)));
    EXPECT_FALSE(Parses(WithCentreWords(text, 2 * CentreWords + 1, 2 * CentreWords + 1)));   // more than it holds
    EXPECT_FALSE(Parses(WithCentreWords(text, 5, 6)));                                     // lines differ
    EXPECT_FALSE(Parses(WithCentreWords(text, 3, 3)));
    EXPECT_FALSE(Parses(WithCentreWords(text, 5, 5, "$8000001")));   // a fifth word is written whole
}

TEST(ParamText, DecimalTabsLineFeedsAndOtherLabelsLoad) {
    const std::string text =
        "4 1\n"
        "0\t0\t0\t0\t2 anything here\n"
        "4286578688 0 0 0   3\n"
        "-3\t\t4\r"
        "300 5 Iteration\r\n"
        "16400 0 0 0 6\n"
        "+17 7\n"
        "$fffffff0 8\n"
        "$4010 0 0 1 9\n"
        "1 10\n"
        "0 11\n"
        "2 12";
    ViewParams v{};
    ASSERT_TRUE(Parse(text, &v));
    EXPECT_TRUE(v.Center_zY == (long128{0, 0xFF80000000000000ull}));
    EXPECT_EQ(v.ld_Zoom, -3);
    EXPECT_EQ(v.Iteration, 300);
    EXPECT_EQ(v.Color, 4.0);
    EXPECT_EQ(v.Offset, 17u);
    EXPECT_EQ(v.Alt_Iteration, -16);
    EXPECT_EQ(Bits(v.Alt_Color), 0x4010000000000001ull);
    EXPECT_EQ(v.CPU_Prev, 2);
}

TEST(ParamText, ValuesKeepOnlyTheirLowBits) {
    std::string text = Format(ExampleView());
    text = Replace(text, "$FFFFFFFD", "$1FFFFFFFD");                  // ld_Zoom: low 32 bits
    text = Replace(text, "$4010 $0000", "$34010 $10000");             // colour words: low 16 bits
    text = Replace(text, "$01                                     10", "$301 10");
    ViewParams v{};
    ASSERT_TRUE(Parse(text, &v));
    EXPECT_EQ(v.ld_Zoom, -3);
    EXPECT_EQ(v.Color, 4.0);
    EXPECT_EQ(v.Automatic, 1);
}

TEST(ParamText, EachBoundIsInclusiveAndRejectsOneStepBeyond) {
    struct Case { void (*Set)(ViewParams&); bool Accepted; };
    const Case cases[] = {
        {[](ViewParams& v) { v.ld_Zoom = -4; }, true},       {[](ViewParams& v) { v.ld_Zoom = 112; }, true},
        {[](ViewParams& v) { v.ld_Zoom = -5; }, false},      {[](ViewParams& v) { v.ld_Zoom = MaxDeepZoom + 1; }, false},
        {[](ViewParams& v) { v.ld_Zoom = MaxDeepZoom; }, true},
        {[](ViewParams& v) { v.Iteration = 2; }, true},      {[](ViewParams& v) { v.Iteration = 9999999; }, true},
        {[](ViewParams& v) { v.Iteration = 1; }, false},     {[](ViewParams& v) { v.Iteration = 10000000; }, false},
        {[](ViewParams& v) { v.Iteration = -1; }, false},
        {[](ViewParams& v) { v.Color = 9e-10; }, true},      {[](ViewParams& v) { v.Color = 1.1e9; }, true},
        {[](ViewParams& v) { v.Color = 1e-10; }, false},     {[](ViewParams& v) { v.Color = 2e9; }, false},
        {[](ViewParams& v) { v.Color = -4.0; }, false},
        {[](ViewParams& v) { v.Color = std::numeric_limits<double>::quiet_NaN(); }, false},
        {[](ViewParams& v) { v.Color = -std::numeric_limits<double>::quiet_NaN(); }, false},
        {[](ViewParams& v) { v.Color = std::numeric_limits<double>::infinity(); }, false},
        {[](ViewParams& v) { v.CPU_Prev = 0; }, true},       {[](ViewParams& v) { v.CPU_Prev = 8; }, true},
        {[](ViewParams& v) { v.CPU_Prev = -1; }, false},     {[](ViewParams& v) { v.CPU_Prev = 9; }, false},
        // Values that are not checked may be anything.
        {[](ViewParams& v) { v.Alt_Color = 1e300; v.Alt_Iteration = -5; v.Offset = 0xFFFFFFFF; }, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        ViewParams v = ExampleView();
        cases[i].Set(v);
        EXPECT_EQ(Parses(Format(v)), cases[i].Accepted) << "case " << i;
    }
}

TEST(ParamText, MalformedTextsAreRejected) {
    const std::string good = Format(ExampleView());
    ASSERT_TRUE(Parses(good));
    EXPECT_FALSE(Parses(Replace(good, "$04", "$05")));                         // format tag 5
    EXPECT_FALSE(Parses(Replace(good, " 1 (long128)", " 2 (long128)")));       // header line number
    EXPECT_FALSE(Parses(Replace(good, "$00000100      ", "               ")));  // a missing value
    EXPECT_FALSE(Parses(Replace(good, "$00000000 ", "$0000000G ")));           // not a number
    EXPECT_FALSE(Parses(Replace(good, "$FFFFFFFD", "$")));                     // "$" alone
    EXPECT_FALSE(Parses(Replace(good, "$FFFFFFFD", "-3x")));
    EXPECT_FALSE(Parses(Replace(good, "$00000100", "-256")));                   // unsigned field
    EXPECT_FALSE(Parses(Replace(good, "$00000100", "18446744073709551616")));   // beyond 64 bits
    EXPECT_FALSE(Parses(Replace(good, "$00000100", "$10000000000000100")));
    EXPECT_FALSE(Parses(Replace(good, " 7 Offset", " 8 Offset")));
    EXPECT_FALSE(Parses(good.substr(0, good.find("12 CPU_Prev"))));              // ends before line 12's number
    EXPECT_FALSE(Parses(""));
    // A bad token poisons every later read, even where a 0 would be a fine value.
    EXPECT_FALSE(Parses(Replace(good, "$00000000                                7", "zz 7")));
}

TEST(ParamText, NothingAfterLineTwelveIsRead) {
    const std::string good = Format(ExampleView());
    const std::string twelveLines = good.substr(0, good.find("-----"));
    EXPECT_TRUE(Parses(twelveLines));
    EXPECT_TRUE(Parses(twelveLines.substr(0, twelveLines.size() - 2)));   // no final line break
    EXPECT_TRUE(Parses(twelveLines + "garbage $XYZ \x01\x02\xff\r\nmore"));
    EXPECT_TRUE(Parses(Replace(good, "Center_zX", "any words at all")));
}

TEST(ParamText, SaveNamesCarryTheLocalTimeWithTwoDigitFields) {
    char name[64];
    FormatSaveBaseName(PlatLocalTime{2024, 3, 3, 9, 5, 7}, name, sizeof name);
    EXPECT_STREQ(name, "2024-03-03-09-05-07");
    FormatSaveBaseName(PlatLocalTime{1999, 12, 31, 23, 59, 10}, name, sizeof name);
    EXPECT_STREQ(name, "1999-12-31-23-59-10");
}

TEST(LoadParameterFile, ValidFileIsTakenAndNamed) {
    ScratchFolder dir;
    ViewParams v = ExampleView();
    v.Offset = 77;
    WriteWholeFile(dir / "a.zxp", Format(v));
    Messages.LoadState = 0;
    LoadParameterFile((dir / "a.zxp").c_str());
    EXPECT_EQ(Messages.LoadState, 1);
    EXPECT_EQ(std::string(Messages.MessageFileName), dir / "a.zxp");
    ExpectSameBits(LoadedParams, v);
}

TEST(LoadParameterFile, MissingOrBadFilesLeaveStateTwoAndTheirName) {
    ScratchFolder dir;
    Messages.LoadState = 0;
    LoadParameterFile((dir / "none.zxp").c_str());
    EXPECT_EQ(Messages.LoadState, 2);
    EXPECT_EQ(std::string(Messages.MessageFileName), dir / "none.zxp");

    ViewParams v = ExampleView();
    v.Iteration = 1;
    WriteWholeFile(dir / "bad.zxp", Format(v));
    LoadParameterFile((dir / "bad.zxp").c_str());
    EXPECT_EQ(Messages.LoadState, 2);
    EXPECT_EQ(std::string(Messages.MessageFileName), dir / "bad.zxp");
}

TEST(LoadParameterFile, FirstValidFileWinsAndLaterOnesAreIgnored) {
    ScratchFolder dir;
    ViewParams first = ExampleView(), second = ExampleView(), bad = ExampleView();
    first.Offset = 1;
    second.Offset = 2;
    bad.CPU_Prev = 9;
    WriteWholeFile(dir / "bad.zxp", Format(bad));
    WriteWholeFile(dir / "first.zxp", Format(first));
    WriteWholeFile(dir / "second.zxp", Format(second));
    Messages.LoadState = 0;
    LoadParameterFile((dir / "bad.zxp").c_str());   // a failure does not block a later file
    LoadParameterFile((dir / "first.zxp").c_str());
    LoadParameterFile((dir / "second.zxp").c_str());
    LoadParameterFile((dir / "bad.zxp").c_str());
    EXPECT_EQ(Messages.LoadState, 1);
    EXPECT_EQ(std::string(Messages.MessageFileName), dir / "first.zxp");
    EXPECT_EQ(LoadedParams.Offset, 1u);
}
