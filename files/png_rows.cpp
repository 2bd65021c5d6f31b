// files/png_rows.cpp - row filters. Each filter is a loop of its own over the row, so the
// compiler turns every one into vector code; the least-magnitude choice is what serves
// deflate best on pictures like ours.
#include "files/png_rows.h"
#include <cstring>

namespace {
enum PngFilter : uint8_t { FilterNone, FilterSub, FilterUp, FilterAverage, FilterPaeth, FilterCount };
constexpr int B = RgbBytesPerPixel;

// The byte read as a signed value, without its sign.
inline uint32_t Magnitude(uint8_t v) {
    const int s = int8_t(v);
    return uint32_t(s < 0 ? -s : s);
}

inline int Distance(int a, int b) { return a > b ? a - b : b - a; }

// The neighbour nearest to a + b - c: left a, above b, above-left c.
inline int Paeth(int a, int b, int c) {
    const int pa = Distance(b, c), pb = Distance(a, c), pc = Distance(a + b, 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}
}  // namespace

void ToRgbRow(const RgbPixel* pixels, int width, uint8_t* rgb) {
    for (int x = 0; x < width; ++x) {
        const RgbPixel p = pixels[x];
        rgb[B * x] = uint8_t(p >> 16);
        rgb[B * x + 1] = uint8_t(p >> 8);
        rgb[B * x + 2] = uint8_t(p);
    }
}

void FilterRow(const uint8_t* __restrict row, const uint8_t* __restrict above, size_t n, uint8_t* __restrict out,
               uint8_t* __restrict scratch) {
    uint8_t* __restrict sub = scratch;
    uint8_t* __restrict up = scratch + n;
    uint8_t* __restrict average = scratch + 2 * n;
    uint8_t* __restrict paeth = scratch + 3 * n;
    // The first pixel has no left neighbour: it counts as zero.
    for (size_t i = 0; i < B && i < n; ++i) {
        sub[i] = row[i];
        average[i] = uint8_t(row[i] - (above[i] >> 1));
        paeth[i] = uint8_t(row[i] - above[i]);
    }
    for (size_t i = B; i < n; ++i) sub[i] = uint8_t(row[i] - row[i - B]);
    for (size_t i = 0; i < n; ++i) up[i] = uint8_t(row[i] - above[i]);
    for (size_t i = B; i < n; ++i) average[i] = uint8_t(row[i] - ((row[i - B] + above[i]) >> 1));
    for (size_t i = B; i < n; ++i) paeth[i] = uint8_t(row[i] - Paeth(row[i - B], above[i], above[i - B]));

    uint32_t sums[FilterCount] = {};
    for (size_t i = 0; i < n; ++i) sums[FilterNone] += Magnitude(row[i]);
    for (size_t i = 0; i < n; ++i) {
        sums[FilterSub] += Magnitude(sub[i]);
        sums[FilterUp] += Magnitude(up[i]);
        sums[FilterAverage] += Magnitude(average[i]);
        sums[FilterPaeth] += Magnitude(paeth[i]);
    }
    int best = FilterNone;
    for (int f = FilterSub; f < FilterCount; ++f)
        if (sums[f] < sums[best]) best = f;
    out[0] = uint8_t(best);
    std::memcpy(out + 1, best == FilterNone ? row : scratch + size_t(best - 1) * n, n);
}
