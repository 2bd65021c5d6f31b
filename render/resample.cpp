// render/resample.cpp - making pictures smaller in linear light.
#include "render/resample.h"
#include <algorithm>
#include <cmath>
#include <new>

namespace {
constexpr int LightLevels = 65536;

struct LightTables {
    uint16_t Linear[256];
    uint8_t  Byte[LightLevels];
};

double DecodeSrgb(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double EncodeSrgb(double v) { return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055; }

const LightTables& Tables() {
    static const LightTables* tables = [] {
        auto* t = new LightTables;
        for (int b = 0; b < 256; ++b) t->Linear[b] = uint16_t(std::lround(DecodeSrgb(b / 255.0) * (LightLevels - 1)));
        for (int l = 0; l < LightLevels; ++l) t->Byte[l] = uint8_t(std::lround(EncodeSrgb(double(l) / (LightLevels - 1)) * 255));
        return t;
    }();
    return *tables;
}

RgbPixel PixelOfLight(uint32_t r, uint32_t g, uint32_t b) {
    const uint8_t* byte = Tables().Byte;
    return RgbPixel(byte[r]) << 16 | RgbPixel(byte[g]) << 8 | byte[b];
}

// Which source pixels one output pixel covers along one axis, and how much of it each.
struct Taps {
    int32_t First;
    float   Weight[3];   // of First, First + 1, First + 2; 0 for those it does not reach
};

// Null when their memory cannot be had.
std::unique_ptr<Taps[]> TapsFor(double start, double scale, int32_t count, int32_t sourceSize) {
    std::unique_ptr<Taps[]> taps(new (std::nothrow) Taps[size_t(count)]);
    if (!taps) return taps;
    for (int32_t i = 0; i < count; ++i) {
        const double a = start + i * scale, b = a + scale;
        Taps& t = taps[size_t(i)];
        t.First = std::clamp(int32_t(std::floor(a)), int32_t(0), std::max(sourceSize - 3, int32_t(0)));
        for (int k = 0; k < 3; ++k) {
            const double lo = std::max(a, double(t.First + k)), hi = std::min(b, double(t.First + k + 1));
            const bool inside = t.First + k < sourceSize && hi > lo;
            t.Weight[k] = inside ? float((hi - lo) / scale) : 0.0f;
        }
    }
    return taps;
}
}  // namespace

uint16_t LinearOfByte(uint8_t byte) { return Tables().Linear[byte]; }
uint8_t  ByteOfLinear(uint16_t light) { return Tables().Byte[light]; }

namespace {
// N fixed, so the block's rows are compared and summed in unrolled, vectorised code.
template <int N>
void DownsampleBlocks(const RgbPixel* src, int32_t srcStride, RgbPixel* dst, int32_t dstStride, int32_t w, int32_t h) {
    const uint16_t* linear = Tables().Linear;
    constexpr uint32_t Count = N * N, Half = Count / 2;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const RgbPixel* block = src + size_t(y * N) * size_t(srcStride) + size_t(x * N);
            RgbPixel& out = dst[size_t(y) * size_t(dstStride) + size_t(x)];
            // A block of one colour keeps it (the tables take every byte back to itself), and
            // most blocks away from the set's edge are one colour.
            uint32_t differ = 0;
            for (int j = 0; j < N; ++j)
                for (int i = 0; i < N; ++i) differ |= block[size_t(j) * size_t(srcStride) + size_t(i)] ^ block[0];
            if (differ == 0) {
                out = block[0];
                continue;
            }
            uint32_t r = 0, g = 0, b = 0;
            for (int j = 0; j < N; ++j) {
                const RgbPixel* p = block + size_t(j) * size_t(srcStride);
                for (int i = 0; i < N; ++i) {
                    r += linear[p[i] >> 16 & 0xFF];
                    g += linear[p[i] >> 8 & 0xFF];
                    b += linear[p[i] & 0xFF];
                }
            }
            out = PixelOfLight((r + Half) / Count, (g + Half) / Count, (b + Half) / Count);
        }
    }
}
}  // namespace

void DownsampleBox(const RgbPixel* src, int32_t srcStride, int32_t n, RgbPixel* dst, int32_t dstStride,
                   int32_t w, int32_t h) {
    switch (n) {
    case 1: DownsampleBlocks<1>(src, srcStride, dst, dstStride, w, h); break;
    case 2: DownsampleBlocks<2>(src, srcStride, dst, dstStride, w, h); break;
    default: DownsampleBlocks<4>(src, srcStride, dst, dstStride, w, h); break;
    }
}

PlatResult DecodeToLight(const RgbPixel* src, int32_t width, int32_t height, LinearPicture* out) {
    const uint16_t* linear = Tables().Linear;
    const size_t pixels = size_t(width) * size_t(height);
    if (pixels > out->Capacity) {
        out->Light.reset(new (std::nothrow) uint16_t[pixels * LightChannels]);
        out->Capacity = out->Light ? pixels : 0;
        if (!out->Light) return PlatOutOfMemory();
    }
    out->Width = width;
    out->Height = height;
    uint16_t* l = out->Light.get();
    for (size_t i = 0; i < pixels; ++i) {
        *l++ = linear[src[i] >> 16 & 0xFF];
        *l++ = linear[src[i] >> 8 & 0xFF];
        *l++ = linear[src[i] & 0xFF];
    }
    return PlatDone();
}

PlatResult ResampleRegion(const LinearPicture& from, double x0, double y0, double scale, RgbPixel* dst, int32_t w,
                          int32_t h) {
    const std::unique_ptr<Taps[]> cols = TapsFor(x0, scale, w, from.Width), rows = TapsFor(y0, scale, h, from.Height);
    if (!cols || !rows) return PlatOutOfMemory();
    // The columns the frame reaches, mixed down the rows first.
    const int32_t c0 = cols[0].First, c1 = std::min(cols[size_t(w - 1)].First + 3, from.Width);
    const size_t mixedCount = size_t(c1 - c0) * LightChannels;
    const std::unique_ptr<float[]> mixed(new (std::nothrow) float[mixedCount]);
    if (!mixed) return PlatOutOfMemory();
    for (int32_t y = 0; y < h; ++y) {
        const Taps& ty = rows[size_t(y)];
        const uint16_t* line[3];
        for (int k = 0; k < 3; ++k)
            line[k] = &from.Light[(size_t(std::min(ty.First + k, from.Height - 1)) * size_t(from.Width) + size_t(c0)) * 3];
        for (size_t i = 0; i < mixedCount; ++i)
            mixed[i] = ty.Weight[0] * float(line[0][i]) + ty.Weight[1] * float(line[1][i]) + ty.Weight[2] * float(line[2][i]);
        RgbPixel* out = dst + size_t(y) * size_t(w);
        for (int32_t x = 0; x < w; ++x) {
            const Taps& tx = cols[size_t(x)];
            const float* m = &mixed[size_t(tx.First - c0) * 3];
            uint32_t light[3];
            for (int ch = 0; ch < 3; ++ch) {
                const float v = tx.Weight[0] * m[ch] + tx.Weight[1] * m[3 + ch] + tx.Weight[2] * m[6 + ch];
                light[ch] = std::min(uint32_t(v + 0.5f), uint32_t(LightLevels - 1));
            }
            out[x] = PixelOfLight(light[0], light[1], light[2]);
        }
    }
    return PlatDone();
}
