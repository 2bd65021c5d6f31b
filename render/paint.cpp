// render/paint.cpp - the drawing resources and the copies of the picture images to the window.
#include "render/paint.h"
#include "engine/state.h"
#include "files/export.h"
#include "platform/platform.h"

BrushSet Brushes;

void CreatePaintResources() {
    Brushes.RedBrush = 0x0000FF;
    Brushes.GreenBrush = 0x00A000;
    Brushes.DarkBrush = 0x202020;
    Brushes.DimBrush = 0x404040;
    Brushes.GreyBrush = 0x808080;
    CreateExportObjects();
}

void ReleasePaintResources() {
    ReleaseExportObjects();
    // Brushes are plain colour values here; clearing them in the release order keeps any
    // drawing after the window is gone visibly wrong instead of silently right.
    Brushes.GreyBrush = 0;
    Brushes.DimBrush = 0;
    Brushes.DarkBrush = 0;
    Brushes.GreenBrush = 0;
    Brushes.RedBrush = 0;
}

void BlitRect(const uint32_t* image, int x, int y, int w, int h) {
    const int width = Calc.WindowWidth, height = Calc.WindowHeight;
    // The source row is counted from the image's bottom edge even for top-down rows.
    PlatSetDIBitsToDevice(x, y, w, h, x, height - y - h, image, width, height);
}

void BlitAll() {
    const int width = Calc.WindowWidth, height = Calc.WindowHeight;
    PlatSetDIBitsToDevice(0, 0, width, height, 0, 0, ScreenImage, width, height);
}
