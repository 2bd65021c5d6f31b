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
        const double a = start + out * scale, b = a + scale;
        return std::max(0.0L, std::min<long double>(b, in + 1) - std::max<long double>(a, in)) / scale;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            long double light[3] = {};
            for (int j = 0; j < sh; ++j)
                for (int i = 0; i < sw; ++i) {
                    const long double share = weight(y0, y, j) * weight(x0, x, i);
                    for (int ch = 0; ch < 3 && share > 0; ++ch)
                        light[ch] += share * LinearOfByte(uint8_t(src[size_t(j * sw + i)] >> (16 - 8 * ch)));
                }
            for (int ch = 0; ch < 3; ++ch) {
                const long double nearest = std::floor(light[ch] + 0.5L);
                const long double other = light[ch] - std::floor(light[ch]) < 0.5L ? nearest + 1 : nearest - 1;
                const bool either = std::fabs(light[ch] - std::floor(light[ch]) - 0.5L) < 0.01L;
                const uint8_t byte = uint8_t(got[y * w + x] >> (16 - 8 * ch));
                if (byte != ByteOfLinear(uint16_t(nearest)) && !(either && byte == ByteOfLinear(uint16_t(other))))
                    return y * w + x;
            }
        }
    return -1;
}
