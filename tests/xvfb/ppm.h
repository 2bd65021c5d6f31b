// tests/xvfb/ppm.h - the binary PPM pictures the Xvfb check passes between its tools.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

struct Picture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;   // 0x00RRGGBB, top row first
};

inline bool WritePpm(const char* path, const uint32_t* pixels, int w, int h) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    std::vector<unsigned char> row((size_t)w * 3);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            uint32_t p = pixels[(size_t)y * w + x];
            row[3 * x] = (unsigned char)(p >> 16), row[3 * x + 1] = (unsigned char)(p >> 8), row[3 * x + 2] = (unsigned char)p;
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

// Reads the 8-bit P6 files ImageMagick and WritePpm produce (no comments in the header).
inline bool ReadPpm(const char* path, Picture* pic) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    int w, h, maxval;
    bool ok = std::fscanf(f, "P6 %d %d %d", &w, &h, &maxval) == 3 && maxval == 255 && w > 0 && h > 0 &&
              w <= 16384 && h <= 16384 && std::fgetc(f) != EOF;
    if (ok) {
        std::vector<unsigned char> raw((size_t)w * h * 3);
        ok = std::fread(raw.data(), 1, raw.size(), f) == raw.size();
        pic->Width = w, pic->Height = h;
        pic->Pixels.resize((size_t)w * h);
        for (size_t i = 0; ok && i < pic->Pixels.size(); i++)
            pic->Pixels[i] = (uint32_t)raw[3 * i] << 16 | (uint32_t)raw[3 * i + 1] << 8 | raw[3 * i + 2];
    }
    std::fclose(f);
    return ok;
}
