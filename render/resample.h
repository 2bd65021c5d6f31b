// render/resample.h - making pictures smaller in linear light: the sRGB bytes are decoded
// through a table, averaged as light adds up, and encoded back through a table, so an edge
// between bright and dark comes out as bright as the eye sees the mix.
#pragma once
#include <cstdint>
#include <memory>
#include "platform/platform.h"

// The light of an sRGB byte, 0 .. 65535, and the byte of such a light, each through a table.
uint16_t LinearOfByte(uint8_t byte);
uint8_t  ByteOfLinear(uint16_t light);

// Each pixel of the w x h picture at dst is the mean of an n x n block of src (n = 1, 2 or
// 4), whose row stride is srcStride; dst has the row stride dstStride.
void DownsampleBox(const RgbPixel* src, int32_t srcStride, int32_t n, RgbPixel* dst, int32_t dstStride,
                   int32_t w, int32_t h);

// A picture decoded to light once, for the many frames taken from it.
constexpr int LightChannels = 3;   // red, green, blue
struct LinearPicture {
    int32_t Width = 0, Height = 0;
    size_t  Capacity = 0;                 // pixels Light has room for
    std::unique_ptr<uint16_t[]> Light;    // red, green, blue of each pixel, row by row
};
// Fails, without throwing, when the memory for the light (tens of megabytes for a keyframe)
// cannot be had; a picture of the same or a smaller size reuses it.
PlatResult DecodeToLight(const RgbPixel* src, int32_t width, int32_t height, LinearPicture* out);

// The w x h picture of the square-pixel region of `from` that starts at (x0, y0) and spans
// `scale` source pixels per output pixel (1 <= scale <= 2), each output pixel the
// area-weighted mean of the source pixels it covers. With whole-numbered x0, y0 and scale 2
// it is DownsampleBox with n = 2. Fails only when its few rows of scratch cannot be had.
PlatResult ResampleRegion(const LinearPicture& from, double x0, double y0, double scale, RgbPixel* dst, int32_t w,
                    int32_t h);
