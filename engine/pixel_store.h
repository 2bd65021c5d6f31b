// engine/pixel_store.h - storing a finished pixel: count, mask, progress mark and colour.
#pragma once
#include <cstdint>
#include "engine/state.h"

constexpr uint32_t ProgressGreen = 0x00FF00;

inline void StorePixelColoured(int c, int r, int32_t n, int width, uint32_t colour) {
    NAt(c, r) = n;
    MaskAt(c, r) = n;
    const int p = c + width * r;
    ProgressImage[p] = ProgressGreen;
    ScreenImage[p] = colour;
}
