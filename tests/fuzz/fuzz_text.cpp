// tests/fuzz/fuzz_text.cpp - the markup text drawer on any bytes (lone prefixes, high bytes,
// texts longer than 255) at any position on and around the canvas: it draws nothing outside
// its own line of rows and touches nothing beyond the canvas.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include "platform/headless/headless.h"
#include "tests/fuzz/fuzz_harness.h"
#include "ui/glyphs.h"
#include "ui/text.h"

namespace {
constexpr int CanvasW = 96, CanvasH = 40;   // small, so every input can be checked pixel by pixel
constexpr int Margin = 48;                  // positions reach this far past every edge
constexpr ColourRef Ink = 0x00FFFFFF;

intptr_t QuietProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_PAINT) return 0;
    return PlatDefWindowProc(message, wParam, lParam);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!PlatRegisterWindowClass("WndClass", QuietProc) || !PlatCreateWindow("WndClass", "Zntx", 0, 0, CanvasW, CanvasH))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int x = data[0] % (CanvasW + 2 * Margin) - Margin;
    const int y = data[1] % (CanvasH + 2 * Margin) - Margin;
    char text[400];
    const size_t n = std::min(size - 2, sizeof text - 1);
    std::memcpy(text, data + 2, n);
    text[n] = 0;
    PlatBeginPaint();
    PlatFillRect(0, 0, CanvasW, CanvasH, 0);
    DrawText(x, y, Ink, text);
    PlatEndPaint();
    for (int row = 0; row < CanvasH; row++)
        for (int col = 0; col < CanvasW; col++)
            if (HeadlessPixel(col, row) != 0) FUZZ_CHECK(row >= y && row < y + GlyphRows);
    return 0;
}
