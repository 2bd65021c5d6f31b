// tests/files_png_test.cpp - the saved picture decodes to exactly the window's pixels.
#include <gtest/gtest.h>
#include <png.h>
#include <cstring>
#include <string>
#include <vector>
#include "engine/state.h"
#include "files/export.h"
#include "files_test_util.h"

namespace {

struct Decoded {
    uint32_t Width = 0, Height = 0;
    int BitDepth = 0, ColorType = 0, Interlace = 0;
    std::vector<uint32_t> Pixels;   // 0x00RRGGBB
};

struct MemoryReader {
    const std::string* Data;
    size_t At;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (r->At + length > r->Data->size()) png_error(png, "truncated");
    std::memcpy(out, r->Data->data() + r->At, length);
    r->At += length;
}

bool Decode(const std::string& file, Decoded* d) {
    MemoryReader reader{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    d->Width = png_get_image_width(png, info);
    d->Height = png_get_image_height(png, info);
    d->BitDepth = png_get_bit_depth(png, info);
    d->ColorType = png_get_color_type(png, info);
    d->Interlace = png_get_interlace_type(png, info);
    if (d->BitDepth != 8 || d->ColorType != PNG_COLOR_TYPE_RGB) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true;   // the caller reports the wrong format
    }
    rows.resize(size_t(d->Width) * d->Height * 3);
    for (uint32_t y = 0; y < d->Height; ++y) png_read_row(png, &rows[size_t(y) * d->Width * 3], nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    for (size_t i = 0; i < rows.size(); i += 3) d->Pixels.push_back(rows[i] << 16 | rows[i + 1] << 8 | rows[i + 2]);
    return true;
}

// Chunk types in file order.
std::vector<std::string> ChunkTypes(const std::string& file) {
    std::vector<std::string> types;
    for (size_t at = 8; at + 8 <= file.size();) {
        uint32_t length = uint32_t(uint8_t(file[at])) << 24 | uint32_t(uint8_t(file[at + 1])) << 16 |
                          uint32_t(uint8_t(file[at + 2])) << 8 | uint8_t(file[at + 3]);
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

TEST(WritePicturePng, DecodesToTheWindowSizeAndTheExactColours) {
    ScratchFolder dir;
    FillPicture(37, 23);
    CreateExportObjects();
    const std::string path = dir / "p.png";
    WritePicturePng(path.c_str());
    const std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    Decoded d;
    ASSERT_TRUE(Decode(file, &d));
    EXPECT_EQ(d.Width, 37u);
    EXPECT_EQ(d.Height, 23u);
    EXPECT_EQ(d.BitDepth, 8);
    EXPECT_EQ(d.ColorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(d.Interlace, PNG_INTERLACE_NONE);
    ASSERT_EQ(d.Pixels.size(), 37u * 23);
    for (int i = 0; i < 37 * 23; ++i) ASSERT_EQ(d.Pixels[i], ScreenImage[i]) << "pixel " << i;
}

TEST(WritePicturePng, HoldsOnlyTheCriticalChunksDeflatedAtTheHighestLevel) {
    ScratchFolder dir;
    FillPicture(64, 48);
    CreateExportObjects();
    const std::string path = dir / "p.png";
    WritePicturePng(path.c_str());
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

TEST(WritePicturePng, ReplacesAnOlderFileAndWorksAgainAndAgain) {
    ScratchFolder dir;
    FillPicture(16, 16);
    CreateExportObjects();
    const std::string path = dir / "p.png";
    WriteWholeFile(path, "an older file of another kind");
    for (int round = 0; round < 3; ++round) {
        ScreenImage[round] = 0x00ABCDEF;
        WritePicturePng(path.c_str());
        Decoded d;
        ASSERT_TRUE(Decode(ReadWholeFile(path), &d));
        ASSERT_EQ(d.Pixels.size(), 256u);
        EXPECT_EQ(d.Pixels[round], 0x00ABCDEFu);
    }
    EXPECT_EQ(FolderEntries(dir.Path), std::vector<std::string>{"p.png"});
}

TEST(WritePicturePng, LargestWindowKeepsEveryPixel) {
    ScratchFolder dir;
    FillPicture(MaxWidth, MaxHeight);
    CreateExportObjects();
    const std::string path = dir / "p.png";
    WritePicturePng(path.c_str());
    Decoded d;
    ASSERT_TRUE(Decode(ReadWholeFile(path), &d));
    EXPECT_EQ(d.Width, uint32_t(MaxWidth));
    EXPECT_EQ(d.Height, uint32_t(MaxHeight));
    EXPECT_TRUE(std::equal(d.Pixels.begin(), d.Pixels.end(), ScreenImage));
}

TEST(WritePicturePng, FailuresThrowAndLeaveNoFile) {
    ScratchFolder dir;
    FillPicture(16, 16);
    EXPECT_ANY_THROW(WritePicturePng((dir / "p.png").c_str()));   // no export objects yet
    CreateExportObjects();
    EXPECT_ANY_THROW(WritePicturePng((dir / "no-such-folder/p.png").c_str()));
    Calc.WindowWidth = 18;   // a window that is not the one the objects were made for
    EXPECT_ANY_THROW(WritePicturePng((dir / "p.png").c_str()));
    EXPECT_TRUE(FolderEntries(dir.Path).empty());
    ReleaseExportObjects();
    ReleaseExportObjects();   // releasing twice at exit is harmless
}
