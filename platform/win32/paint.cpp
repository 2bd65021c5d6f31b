// platform/win32/paint.cpp - painting on the window's device context with GDI: solid-brush
// fills, single pixels and 32-bit top-down images.
#include "platform/win32/win32.h"

namespace {
// The program fills with a handful of colours; their brushes are made once and kept for the
// window's life. A colour beyond the table gets a brush for the one fill.
constexpr int BrushCapacity = 16;
struct BrushEntry {
    ColourRef Colour;
    HBRUSH   Brush;
};

struct PaintState {
    PAINTSTRUCT Paint;
    HDC         Dc;       // null outside a paint
    BrushEntry  Brushes[BrushCapacity];
    int         BrushCount;
};
PaintState Paint;

HBRUSH KeptBrush(ColourRef colour) {
    for (int i = 0; i < Paint.BrushCount; i++)
        if (Paint.Brushes[i].Colour == colour) return Paint.Brushes[i].Brush;
    if (Paint.BrushCount == BrushCapacity) return nullptr;
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush) Paint.Brushes[Paint.BrushCount++] = BrushEntry{colour, brush};
    return brush;
}
}  // namespace

HDC Win32PaintDC() { return Paint.Dc; }

void Win32ReleaseBrushes() {
    for (int i = 0; i < Paint.BrushCount; i++) DeleteObject(Paint.Brushes[i].Brush);
    Paint.BrushCount = 0;
}

// The whole client area is made part of the paint: a step draws wherever its tile or text
// lies, not only where the system found the window damaged, and BeginPaint clips to the
// region it validates.
void PlatBeginPaint() {
    HWND hwnd = Win32Window();
    if (!hwnd || Paint.Dc) return;
    InvalidateRect(hwnd, nullptr, FALSE);
    Paint.Dc = BeginPaint(hwnd, &Paint.Paint);
}

void PlatEndPaint() {
    if (!Paint.Dc) return;
    EndPaint(Win32Window(), &Paint.Paint);
    Paint.Dc = nullptr;
}

void PlatFillRect(int left, int top, int right, int bottom, ColourRef colour) {
    if (!Paint.Dc) return;
    const RECT r{left, top, right, bottom};
    if (HBRUSH kept = KeptBrush(colour)) {
        FillRect(Paint.Dc, &r, kept);
        return;
    }
    HBRUSH once = CreateSolidBrush(colour);
    if (!once) return;
    FillRect(Paint.Dc, &r, once);
    DeleteObject(once);
}

void PlatSetPixel(int x, int y, ColourRef colour) {
    if (Paint.Dc) SetPixelV(Paint.Dc, x, y, colour);
}

ColourRef PlatGetPixel(int x, int y) { return Paint.Dc ? GetPixel(Paint.Dc, x, y) : CLR_INVALID; }

void PlatSetDIBitsToDevice(int xDest, int yDest, int w, int h, int xSrc, int ySrc,
                           const RgbPixel* image, int imageW, int imageH) {
    if (!Paint.Dc || !image || w <= 0 || h <= 0 || imageW <= 0 || imageH <= 0) return;
    // A BITMAPINFOHEADER and one zeroed colour entry; a negative height makes row 0 the top.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = imageW;
    info.bmiHeader.biHeight = -imageH;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = PlatBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = (DWORD)imageW * (DWORD)imageH * PlatBytesPerPixel;
    SetDIBitsToDevice(Paint.Dc, xDest, yDest, (DWORD)w, (DWORD)h, xSrc, ySrc, 0, (UINT)imageH, image, &info,
                      DIB_RGB_COLORS);
}
