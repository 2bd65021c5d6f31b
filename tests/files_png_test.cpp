// tests/files_png_test.cpp - the saved picture decodes to exactly the window's pixels.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>
#include "engine/state.h"
#include "files/export.h"
#include "files/png.h"
#include "files/png_rows.h"
#include "tests/files_test_util.h"

namespace {

// Chunk types in file order.
std::vector<std::string> ChunkTypes(const std::string& file) {
    std::vector<std::string> types;
    for (size_t at = 8; at + 8 <= file.size();) {
        const uint32_t length = BigEndian32(file, at);
        types.push_back(file.substr(at + 4, 4));
        at += 12 + size_t(length);
    }
    return types;
}

void FillPicture(int w, int h) {
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ScreenImage[y * w + x] = (x * 7 & 0xFF) << 16 | (y * 13 & 0xFF) << 8 | ((x ^ y) & 0xFF);
    ScreenImage[0] = 0x00FFFFFF;
    ScreenImage[w * h - 1] = 0x00000000;
    if (w * h + 5 < MaxPixels) ScreenImage[w * h + 5] = 0x00123456;   // beyond the window
}

}  // namespace

// A small odd window and the largest one.
TEST(WriteScreenPng, DecodesToTheWindowSizeAndTheExactColours) {
    for (const auto& [w, h] : {std::pair{37, 23}, std::pair{MaxWidth, MaxHeight}}) {
        ScratchFolder dir;
        FillPicture(w, h);
        CreateExportObjects();
        const std::string path = dir / "p.png";
        ASSERT_TRUE(WriteScreenPng(path.c_str()));
        const std::string file = ReadWholeFile(path);
        ASSERT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        Decoded d;
        ASSERT_TRUE(Decode(file, &d));
        EXPECT_EQ(std::pair(int(d.Width), int(d.Height)), std::pair(w, h));
        EXPECT_EQ(std::tuple(d.BitDepth, d.ColourType, d.Interlace), std::tuple(8, PngTruecolour, PngNoInterlace));
        ASSERT_EQ(d.Pixels.size(), size_t(w) * size_t(h));
        EXPECT_TRUE(std::equal(d.Pixels.begin(), d.Pixels.end(), ScreenImage));
        ReleaseExportObjects();
    }
}

TEST(WriteScreenPng, HoldsOnlyTheCriticalChunksDeflatedAtTheHighestLevel) {
    ScratchFolder dir;
    FillPicture(64, 48);
    CreateExportObjects();
    const std::string path = dir / "p.png";
    WriteScreenPng(path.c_str());
    const std::string file = ReadWholeFile(path);
    std::vector<std::string> types = ChunkTypes(file);
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types.front(), "IHDR");
    EXPECT_EQ(types.back(), "IEND");
    for (size_t i = 1; i + 1 < types.size(); ++i) EXPECT_EQ(types[i], "IDAT");
    // The zlib header of the first IDAT: deflate, and the level field of the top levels.
    const size_t idat = 8 + 25;
    EXPECT_EQ(uint8_t(file[idat + 8]) & 0x0F, 8);
    EXPECT_EQ(uint8_t(file[idat + 9]) >> 6, 3);
}

TEST(WriteScreenPng, ReplacesAnOlderFileAndWorksAgainAndAgain) {
    ScratchFolder dir;
    FillPicture(16, 16);
    CreateExportObjects();
    const std::string path = dir / "p.png";
    WriteWholeFile(path, "an older file of another kind");
    for (int round = 0; round < 3; ++round) {
        ScreenImage[round] = 0x00ABCDEF;
        WriteScreenPng(path.c_str());
        Decoded d;
        ASSERT_TRUE(Decode(ReadWholeFile(path), &d));
        ASSERT_EQ(d.Pixels.size(), 256u);
        EXPECT_EQ(d.Pixels[round], 0x00ABCDEFu);
    }
    EXPECT_EQ(FolderEntries(dir.Path), std::vector<std::string>{"p.png"});
}

TEST(WriteScreenPng, FailuresAreToldAndLeaveNoFile) {
    ScratchFolder dir;
    FillPicture(16, 16);
    EXPECT_FALSE(WriteScreenPng((dir / "p.png").c_str()));   // no export objects yet
    CreateExportObjects();
    EXPECT_STRNE(WriteScreenPng((dir / "no-such-folder/p.png").c_str()).Reason, "");   // the system's reason
    Calc.WindowWidth = 18;   // a window that is not the one the objects were made for
    EXPECT_FALSE(WriteScreenPng((dir / "p.png").c_str()));
    EXPECT_TRUE(FolderEntries(dir.Path).empty());
    ReleaseExportObjects();
    ReleaseExportObjects();   // releasing twice at exit is harmless
}

TEST(PngStream, BandsGiveTheFileOfTheWholeImageAndAShortOneIsNeverWritten) {
    ScratchFolder dir;
    // Rows that repeat in part, columns that step, noise: every row filter gets its turn.
    for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 61; ++x)
            ScreenImage[y * 61 + x] = y % 3 ? (x * x * 2654435761u >> 8 & 0xFFFFFF) : uint32_t(x * 0x030201 + y);
    WritePicturePng((dir / "whole.png").c_str(), ScreenImage, 61, 45);
    Decoded d;
    ASSERT_TRUE(Decode(ReadWholeFile(dir / "whole.png"), &d));
    EXPECT_TRUE(std::equal(d.Pixels.begin(), d.Pixels.end(), ScreenImage));
    PngStream* s = PngStart((dir / "bands.png").c_str(), 61, 45);
    ASSERT_NE(s, nullptr);
    for (int y = 0; y < 45; y += 7) ASSERT_TRUE(PngAddRows(s, ScreenImage + y * 61, std::min(7, 45 - y), 61));
    ASSERT_TRUE(PngFinish(s));
    EXPECT_EQ(ReadWholeFile(dir / "bands.png"), ReadWholeFile(dir / "whole.png"));

    s = PngStart((dir / "short.png").c_str(), 61, 45);
    ASSERT_TRUE(PngAddRows(s, ScreenImage, 44, 61));
    EXPECT_FALSE(PngFinish(s));                                   // a row is missing
    s = PngStart((dir / "long.png").c_str(), 4, 4);
    EXPECT_FALSE(PngAddRows(s, ScreenImage, 5, 4));               // more rows than the picture has
    PngAbandon(s);
    EXPECT_EQ(PngStart((dir / "wide.png").c_str(), 0, 4), nullptr);
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"bands.png", "whole.png"}));
}

namespace {
// Undoes a row filter the way a PNG decoder does, from the bytes of the row before.
void Unfilter(const uint8_t* in, const uint8_t* above, size_t n, uint8_t* row) {
    for (size_t i = 0; i < n; ++i) {
        const int a = i < size_t(RgbBytesPerPixel) ? 0 : row[i - RgbBytesPerPixel], b = above[i];
        const int c = i < size_t(RgbBytesPerPixel) ? 0 : above[i - RgbBytesPerPixel];
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        const int predictors[] = {0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c};
        row[i] = uint8_t(in[i + 1] + predictors[in[0]]);
    }
}
}  // namespace

// Pictures on which every filter wins some rows, ties of the nearest neighbour included:
// each filtered row must come back to the row itself.
TEST(FilterRow, EveryChosenFilterUndoesToTheRow) {
    constexpr int W = 40, H = 64;
    const auto pixel = [](int kind, int x, int y) -> RgbPixel {
        const uint32_t noise = uint32_t(x * 73 + y * 151) * 2654435761u >> 13;
        const uint32_t blocks = uint32_t(x / 2 * 73 + y / 2 * 151) * 2654435761u >> 13;
        const uint32_t grey[2][2] = {{129, 81}, {239, 129}};   // each pixel the mean of left and above
        switch (kind) {
        case 0: return y % 2 ? noise & 0x030303 : uint32_t(x * 0x0A0A0A) & 0xFFFFFF;   // dark between ramps
        case 1: return uint32_t(x * x * 2654435761u) >> 8;                              // rows repeating
        case 2: return grey[y % 2][x % 2] * 0x010101;
        case 3: return uint32_t((x + y) * 0x080808) ^ (noise & 0x030303);              // smooth both ways
        default: return blocks % 4 * 7 * 0x010101;   // grey levels in steps, neighbours tie often
        }
    };
    std::vector<uint8_t> rgb(W * 3), above(W * 3), decoded(W * 3), out(W * 3 + 1),
        scratch(PngFilterScratchRows * W * 3);
    std::vector<RgbPixel> line(W);
    bool chosen[5] = {};
    for (int kind = 0; kind < 5; ++kind) {
        std::fill(above.begin(), above.end(), 0);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) line[x] = pixel(kind, x, y);
            ToRgbRow(line.data(), W, rgb.data());
            FilterRow(rgb.data(), above.data(), rgb.size(), out.data(), scratch.data());
            ASSERT_LT(out[0], 5);
            chosen[out[0]] = true;
            Unfilter(out.data(), above.data(), rgb.size(), decoded.data());
            ASSERT_EQ(decoded, rgb) << "kind " << kind << " row " << y << " filter " << int(out[0]);
            above = rgb;
        }
    }
    for (int f = 0; f < 5; ++f) EXPECT_TRUE(chosen[f]) << "filter " << f;
}
