// platform/common/canvas.cpp - filling, pixel access and image copies on the memory canvas,
// clipped to the window as the desktop's drawing calls clip them.
#include "platform/common/canvas.h"
#include <cstring>
#include "platform/platform.h"

Canvas WindowCanvas;

uint32_t RgbFromColourref(uint32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
uint32_t ColourrefFromRgb(uint32_t rgb) { return RgbFromColourref(rgb); }   // the swap is its own inverse

bool CanvasOpen(int w, int h) {
    if (w <= 0 || h <= 0 || (int64_t)w * h > CanvasCapacity) return false;
    WindowCanvas.Width = w;
    WindowCanvas.Height = h;
    if (!WindowCanvas.NoPixels) PlatClearBuffer(WindowCanvas.Pixels, size_t(PlatBytesPerPixel) * (size_t)w * (size_t)h);
    WindowCanvas.DirtyLeft = WindowCanvas.DirtyTop = WindowCanvas.DirtyRight = WindowCanvas.DirtyBottom = 0;
    return true;
}

void CanvasClose() {
    WindowCanvas.Width = WindowCanvas.Height = 0;
    WindowCanvas.DirtyLeft = WindowCanvas.DirtyTop = WindowCanvas.DirtyRight = WindowCanvas.DirtyBottom = 0;
}

void CanvasMarkDirty(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    Canvas& c = WindowCanvas;
    if (c.DirtyRight <= c.DirtyLeft) {
        c.DirtyLeft = left, c.DirtyTop = top, c.DirtyRight = right, c.DirtyBottom = bottom;
        return;
    }
    if (left < c.DirtyLeft) c.DirtyLeft = left;
    if (top < c.DirtyTop) c.DirtyTop = top;
    if (right > c.DirtyRight) c.DirtyRight = right;
    if (bottom > c.DirtyBottom) c.DirtyBottom = bottom;
}

void CanvasMarkAllDirty() { CanvasMarkDirty(0, 0, WindowCanvas.Width, WindowCanvas.Height); }

bool CanvasTakeDirty(int* left, int* top, int* right, int* bottom) {
    Canvas& c = WindowCanvas;
    if (c.DirtyRight <= c.DirtyLeft || c.DirtyBottom <= c.DirtyTop) return false;
    *left = c.DirtyLeft, *top = c.DirtyTop, *right = c.DirtyRight, *bottom = c.DirtyBottom;
    c.DirtyLeft = c.DirtyTop = c.DirtyRight = c.DirtyBottom = 0;
    return true;
}

void PlatFillRect(int left, int top, int right, int bottom, uint32_t colourref) {
    Canvas& c = WindowCanvas;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > c.Width) right = c.Width;
    if (bottom > c.Height) bottom = c.Height;
    if (right <= left || bottom <= top) return;
    const uint32_t rgb = RgbFromColourref(colourref);
    for (int y = top; y < bottom && !c.NoPixels; y++) {
        uint32_t* row = c.Pixels + (size_t)y * c.Width;
        for (int x = left; x < right; x++) row[x] = rgb;
    }
    CanvasMarkDirty(left, top, right, bottom);
}

static bool Inside(int x, int y) {
    return x >= 0 && y >= 0 && x < WindowCanvas.Width && y < WindowCanvas.Height;
}

void PlatSetPixel(int x, int y, uint32_t colourref) {
    if (!Inside(x, y)) return;
    if (!WindowCanvas.NoPixels) WindowCanvas.Pixels[(size_t)y * WindowCanvas.Width + x] = RgbFromColourref(colourref);
    CanvasMarkDirty(x, y, x + 1, y + 1);
}

uint32_t PlatGetPixel(int x, int y) {
    if (!Inside(x, y) || WindowCanvas.NoPixels) return CLR_INVALID;
    return ColourrefFromRgb(WindowCanvas.Pixels[(size_t)y * WindowCanvas.Width + x]);
}

void PlatSetDIBitsToDevice(int xDest, int yDest, int w, int h, int xSrc, int ySrc,
                           const uint32_t* image, int imageW, int imageH) {
    if (!image || w <= 0 || h <= 0 || imageW <= 0 || imageH <= 0) return;
    // Source rectangle in top-down rows: ySrc counts from the bottom edge. 64-bit, so that
    // no argument combination can overflow while clipping.
    int64_t sx0 = xSrc, sy0 = (int64_t)imageH - ySrc - h;
    int64_t sx1 = sx0 + w, sy1 = sy0 + h;
    int64_t dx = (int64_t)xDest - sx0, dy = (int64_t)yDest - sy0;   // destination = source + offset
    if (sx0 < 0) sx0 = 0;
    if (sy0 < 0) sy0 = 0;
    if (sx1 > imageW) sx1 = imageW;
    if (sy1 > imageH) sy1 = imageH;
    const Canvas& c = WindowCanvas;
    if (sx0 + dx < 0) sx0 = -dx;
    if (sy0 + dy < 0) sy0 = -dy;
    if (sx1 + dx > c.Width) sx1 = c.Width - dx;
    if (sy1 + dy > c.Height) sy1 = c.Height - dy;
    if (sx1 <= sx0 || sy1 <= sy0) return;
    const size_t n = (size_t)(sx1 - sx0);
    for (int64_t y = sy0; y < sy1 && !c.NoPixels; y++)
        std::memcpy(WindowCanvas.Pixels + (size_t)(y + dy) * c.Width + (size_t)(sx0 + dx),
                    image + (size_t)y * imageW + (size_t)sx0, n * PlatBytesPerPixel);
    CanvasMarkDirty((int)(sx0 + dx), (int)(sy0 + dy), (int)(sx1 + dx), (int)(sy1 + dy));
}
