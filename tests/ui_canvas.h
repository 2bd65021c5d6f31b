// tests/ui_canvas.h - a headless window to draw text, legend and panels on, for the ui tests.
#pragma once
#include <gtest/gtest.h>
#include <cstdio>
#include <vector>
#include "engine/state.h"
#include "platform/headless/headless.h"
#include "tests/headless_window.h"
#include "render/paint.h"
#include "ui/layout.h"
#include "ui/panel.h"
#include "ui/text.h"
#if __has_include(<png.h>)
#include <png.h>
#endif

// A fresh W x H window in the middle of a paint, with the layout and the brushes in place.
inline void OpenPaintCanvas(int width, int height) {
    OpenQuietWindow(width, height);
    Calc.WindowWidth = width;
    Calc.WindowHeight = height;
    ComputeLayout();
    Brushes = BrushSet{0x0000FF, 0x00A000, 0x202020, 0x404040, 0x808080};
    PlatBeginPaint();
}

// The canvas as an 8-bit RGB PNG (or a PPM where libpng is missing), scaled up by an
// integer factor so that single pixels can be told apart by eye.
inline bool SaveCanvasRegion(const char* pathWithoutExtension, int x0, int y0, int w, int h, int scale) {
    std::vector<unsigned char> rgb(size_t(w) * scale * h * scale * 3);
    for (int y = 0; y < h * scale; y++)
        for (int x = 0; x < w * scale; x++) {
            const uint32_t p = HeadlessPixel(x0 + x / scale, y0 + y / scale);
            unsigned char* o = &rgb[(size_t(y) * w * scale + x) * 3];
            o[0] = (p >> 16) & 0xFF, o[1] = (p >> 8) & 0xFF, o[2] = p & 0xFF;
        }
    char path[512];
#if __has_include(<png.h>)
    std::snprintf(path, sizeof path, "%s.png", pathWithoutExtension);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(w * scale);
    image.height = uint32_t(h * scale);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr) != 0;
#else
    std::snprintf(path, sizeof path, "%s.ppm", pathWithoutExtension);
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", w * scale, h * scale);
    const bool ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    return std::fclose(f) == 0 && ok;
#endif
}

inline bool SaveCanvas(const char* pathWithoutExtension, int scale = 1) {
    return SaveCanvasRegion(pathWithoutExtension, 0, 0, HeadlessCanvasWidth(), HeadlessCanvasHeight(), scale);
}
