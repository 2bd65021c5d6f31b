// tests/ui_canvas.h - a headless window to draw text, legend and panels on, for the ui tests.
#pragma once
#include <gtest/gtest.h>
#include <cstdio>
#include <initializer_list>
#include <vector>
#include "engine/state.h"
#include "files/png.h"
#include "platform/headless/headless.h"
#include "tests/headless_window.h"
#include "render/paint.h"
#include "ui/layout.h"
#include "ui/panel.h"
#include "ui/text.h"

// A fresh W x H window in the middle of a paint, with the layout and the brushes in place.
inline void OpenPaintCanvas(int width, int height) {
    OpenQuietWindow(width, height);
    Calc.WindowWidth = width;
    Calc.WindowHeight = height;
    ComputeLayout();
    Brushes = BrushSet{0x0000FF, 0x00A000, 0x202020, 0x404040, 0x808080};
    PlatBeginPaint();
}

// Each {x, y, colour} is what the canvas shows there.
struct Probe { int X, Y; uint32_t Colour; };
inline void ExpectPixels(std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) EXPECT_EQ(HeadlessPixel(p.X, p.Y), p.Colour) << p.X << "," << p.Y;
}

// The canvas as a PNG, scaled up by an integer factor so that single pixels can be told
// apart by eye.
inline bool SaveCanvasRegion(const char* pathWithoutExtension, int x0, int y0, int w, int h, int scale) {
    std::vector<RgbPixel> pixels(size_t(w) * scale * h * scale);
    for (int y = 0; y < h * scale; y++)
        for (int x = 0; x < w * scale; x++)
            pixels[size_t(y) * w * scale + x] = HeadlessPixel(x0 + x / scale, y0 + y / scale);
    char path[512];
    std::snprintf(path, sizeof path, "%s.png", pathWithoutExtension);
    try {
        WritePicturePng(path, pixels.data(), w * scale, h * scale);
    } catch (...) {
        return false;
    }
    return true;
}

inline bool SaveCanvas(const char* pathWithoutExtension, int scale = 1) {
    return SaveCanvasRegion(pathWithoutExtension, 0, 0, HeadlessCanvasWidth(), HeadlessCanvasHeight(), scale);
}
