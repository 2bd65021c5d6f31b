// render/paint.cpp - the drawing resources and the copies of the picture images to the window.
#include "render/paint.h"
#include "engine/state.h"
#include "platform/platform.h"
#include "ui/text.h"

void CreatePaintResources() { CreateBrushes(); }
void ReleasePaintResources() { ReleaseBrushes(); }

void BlitRect(const RgbPixel* image, int x, int y, int w, int h) {
    const int width = Calc.WindowWidth, height = Calc.WindowHeight;
    // The source row is counted from the image's bottom edge even for top-down rows.
    PlatSetDIBitsToDevice(x, y, w, h, x, height - y - h, image, width, height);
}

void BlitAll() {
    const int width = Calc.WindowWidth, height = Calc.WindowHeight;
    PlatSetDIBitsToDevice(0, 0, width, height, 0, 0, ScreenImage, width, height);
}
