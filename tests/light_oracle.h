// tests/light_oracle.h - a region of a picture made smaller in linear light, worked out in
// long double straight from the overlap of each output pixel with the source pixels.
#pragma once
#include <algorithm>
#include <cmath>
#include <vector>
#include "render/resample.h"

// The first pixel of the w x h picture `got` that is not the region of src (sw x sh) from
// (x0, y0) at `scale` source pixels per output pixel, or -1. A light within a hundredth of
// halfway between two levels may round either way.
inline int FirstWrongPixel(const std::vector<RgbPixel>& src, int sw, int sh, double x0, double y0, double scale,
                           const RgbPixel* got, int w, int h) {
    const auto weight = [scale](double start, int out, int in) {
        const double a = start + out * scale;
        return std::max(0.0L, std::min<long double>(a + scale, in + 1) - std::max<long double>(a, in)) / scale;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int ch = 0, shift = 16; ch < 3; ++ch, shift -= 8) {
                long double light = 0;
                for (int j = 0; j < sh; ++j)
                    if (const long double wy = weight(y0, y, j); wy > 0)
                        for (int i = 0; i < sw; ++i)
                            light += wy * weight(x0, x, i) * LinearOfByte(uint8_t(src[size_t(j * sw + i)] >> shift));
                const long double nearest = std::floor(light + 0.5L), other = light < nearest ? nearest - 1 : nearest + 1;
                const uint8_t byte = uint8_t(got[y * w + x] >> shift);
                if (byte != ByteOfLinear(uint16_t(nearest)) &&
                    !(std::fabs(light - std::floor(light) - 0.5L) < 0.01L && byte == ByteOfLinear(uint16_t(other))))
                    return y * w + x;
            }
    return -1;
}
