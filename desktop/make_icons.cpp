// desktop/make_icons.cpp - the desktop's icon files, made at build time from the window's icon:
// PNG files of the sizes the icon theme asks for and a scalable SVG of the same pixels.
//
//   make_icons FOLDER SIZE...    writes FOLDER/zentrix-SIZE.png for each size and FOLDER/zentrix.svg
#include <zlib.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "platform/common/icon_design.h"

namespace {
constexpr int MaxIconSize = 1024;

// Each pixel of the size x size picture averages the part of the design it covers, colours
// weighted by their opacity, so a whole multiple of the design repeats its pixels exactly.
std::vector<uint8_t> Resample(int size) {
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (int ty = 0; ty < size; ty++)
        for (int tx = 0; tx < size; tx++) {
            double sum[4] = {0, 0, 0, 0};   // premultiplied red, green, blue, and alpha
            for (int sy = ty * IconSize / size; sy < IconSize && sy * size < (ty + 1) * IconSize; sy++)
                for (int sx = tx * IconSize / size; sx < IconSize && sx * size < (tx + 1) * IconSize; sx++) {
                    // Overlap of source pixel (sx, sy) with target pixel (tx, ty), in 1/(48 size) units.
                    const int w = std::min((sx + 1) * size, (tx + 1) * IconSize) - std::max(sx * size, tx * IconSize);
                    const int h = std::min((sy + 1) * size, (ty + 1) * IconSize) - std::max(sy * size, ty * IconSize);
                    const uint32_t p = IconPixel(sx, sy);
                    const double a = double(p >> 24) * w * h;
                    sum[0] += a * ((p >> 16) & 255);
                    sum[1] += a * ((p >> 8) & 255);
                    sum[2] += a * (p & 255);
                    sum[3] += a;
                }
            uint8_t* out = &rgba[(size_t(ty) * size + tx) * 4];
            const double area = double(IconSize) * IconSize;
            for (int c = 0; c < 3; c++) out[c] = sum[3] > 0 ? uint8_t(sum[c] / sum[3] + 0.5) : 0;
            out[3] = uint8_t(sum[3] / area + 0.5);
        }
    return rgba;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// An 8-bit RGBA PNG file: every row unfiltered, deflated at the highest level.
bool WritePng(const std::string& path, int size) {
    const std::vector<uint8_t> rgba = Resample(size);
    std::vector<uint8_t> rows;
    for (int y = 0; y < size; y++) {
        rows.push_back(0);   // filter type: none
        rows.insert(rows.end(), rgba.begin() + size_t(y) * size * 4, rgba.begin() + size_t(y + 1) * size * 4);
    }
    uLongf packedSize = compressBound(uLong(rows.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), uLong(rows.size()), Z_BEST_COMPRESSION) != Z_OK) return false;
    packed.resize(packedSize);
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    PutBigEndian(header, uint32_t(size));
    PutBigEndian(header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});   // 8 bits, RGBA, deflate, no filter method, no interlace
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && written;
}

// One path per colour, a rectangle per run of it in a row, so that no seam shows between the
// pixels of one colour however the picture is smoothed; transparent pixels are left out.
bool WriteSvg(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
                    "shape-rendering=\"crispEdges\">\n", IconSize, IconSize, IconSize, IconSize);
    std::vector<uint32_t> colours;
    for (int y = 0; y < IconSize; y++)
        for (int x = 0; x < IconSize; x++)
            if (IconPixel(x, y) >> 24 && std::find(colours.begin(), colours.end(), IconPixel(x, y)) == colours.end())
                colours.push_back(IconPixel(x, y));
    for (uint32_t colour : colours) {
        std::fprintf(f, "<path fill=\"#%06X\" d=\"", unsigned(colour & 0xFFFFFF));
        for (int y = 0; y < IconSize; y++)
            for (int x = 0; x < IconSize; x++) {
                if (IconPixel(x, y) != colour) continue;
                int run = 1;
                while (x + run < IconSize && IconPixel(x + run, y) == colour) run++;
                std::fprintf(f, "M%d %dh%dv1h-%dz", x, y, run, run);
                x += run - 1;
            }
        std::fprintf(f, "\"/>\n");
    }
    std::fprintf(f, "</svg>\n");
    return std::fclose(f) == 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (int i = 2; i < argc; i++) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > MaxIconSize || !WritePng(folder + "/zentrix-" + argv[i] + ".png", size)) {
            std::fprintf(stderr, "make_icons: cannot write the %s pixel icon in %s\n", argv[i], argv[1]);
            return 1;
        }
    }
    if (!WriteSvg(folder + "/zentrix.svg")) {
        std::fprintf(stderr, "make_icons: cannot write %s/zentrix.svg\n", argv[1]);
        return 1;
    }
    return 0;
}
