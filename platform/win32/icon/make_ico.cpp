// platform/win32/icon/make_ico.cpp - the icon design as a Windows icon file, for the resource
// the Windows build links into the program: one 48 x 48 image of 32-bit pixels with alpha.
// Built for and run on the build machine.
//
//   make_ico OUT.ico
#include <cstdint>
#include <cstdio>
#include <vector>
#include "platform/common/icon_design.h"

namespace {
constexpr int DirectoryBytes = 6, EntryBytes = 16, HeaderBytes = 40;
constexpr int IconBytesPerPixel = 4;   // blue, green, red, alpha
// The 1-bit transparency mask that follows the pixels, each row padded to 32 bits.
constexpr int MaskRowBytes = (IconSize + 31) / 32 * 4;
constexpr int PixelBytes = IconSize * IconSize * IconBytesPerPixel;
constexpr int ImageBytes = HeaderBytes + PixelBytes + IconSize * MaskRowBytes;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::vector<uint8_t> IconFile() {
    std::vector<uint8_t> out;
    Put16(out, 0), Put16(out, 1), Put16(out, 1);   // reserved, an icon, one image
    out.push_back(IconSize), out.push_back(IconSize), out.push_back(0), out.push_back(0);
    Put16(out, 1), Put16(out, 32);                 // planes, bits per pixel
    Put32(out, ImageBytes), Put32(out, DirectoryBytes + EntryBytes);
    // The image: a bitmap header of twice the height (pixels and mask), rows bottom-up.
    Put32(out, HeaderBytes), Put32(out, IconSize), Put32(out, 2 * IconSize);
    Put16(out, 1), Put16(out, 32);
    Put32(out, 0), Put32(out, PixelBytes + IconSize * MaskRowBytes);
    Put32(out, 0), Put32(out, 0), Put32(out, 0), Put32(out, 0);
    for (int y = IconSize - 1; y >= 0; y--)
        for (int x = 0; x < IconSize; x++) Put32(out, IconPixel(x, y));   // 0xAARRGGBB is B, G, R, A in memory
    for (int y = IconSize - 1; y >= 0; y--) {
        std::vector<uint8_t> row(MaskRowBytes, 0);
        for (int x = 0; x < IconSize; x++)
            if ((IconPixel(x, y) >> 24) == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.ico\n", argv[0]);
        return 2;
    }
    const std::vector<uint8_t> bytes = IconFile();
    FILE* f = std::fopen(argv[1], "wb");
    const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) return 1;
    if (!ok) std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return ok ? 0 : 1;
}
