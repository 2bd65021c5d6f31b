// render/paint.h - drawing resources and the copies of the picture images to the window.
#pragma once
#include <cstdint>
#include "platform/platform.h"

void CreatePaintResources();    // the brushes, at the first new picture
void ReleasePaintResources();   // at window destruction
void BlitRect(const RgbPixel* image, int x, int y, int w, int h);
void BlitAll();
