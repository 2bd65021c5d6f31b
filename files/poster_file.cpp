// files/poster_file.cpp - a poster streamed into a PNG file band by band, so its memory stays
// two bands of rows whatever its size. A band is encoded while the next one computes: the
// encoder's parts and the computing threads then share the processors, and a poster is done
// a few per cent sooner than with the bands encoded one after the other (bench/README.md).
#include "files/poster_file.h"
#include <algorithm>
#include <memory>
#include <new>
#include "files/overlap.h"
#include "files/png.h"
#include "files/png_rows.h"
#include "render/poster.h"

namespace {
// The encoder keeps the filtered rows of each call until they are deflated: rows go in by
// the few megabytes, still enough for its parts to be deflated side by side.
constexpr int64_t EncoderBytes = int64_t(8) << 20;

PlatResult EncodeRows(PngStream* png, const RgbPixel* rows, int32_t count, int32_t w) {
    const int32_t step = int32_t(std::max<int64_t>(1, EncoderBytes / (int64_t(w) * RgbBytesPerPixel)));
    PlatResult result = PlatDone();
    for (int32_t r = 0; r < count && result; r += step)
        result = PngAddRows(png, rows + size_t(r) * size_t(w), std::min(step, count - r), w);
    return result;
}
}  // namespace

PlatResult WritePosterPng(const char* path) {
    const int32_t w = Poster.Width, h = Poster.Height, bandRows = Poster.PieceHeight / Poster.Sub;
    std::unique_ptr<RgbPixel[]> bands[2];
    for (auto& b : bands) {
        b.reset(new (std::nothrow) RgbPixel[size_t(w) * size_t(bandRows)]);
        if (!b) return PlatOutOfMemory();
    }
    PlatResult result = PlatDone();
    PngStream* png = PngStart(path, w, h, &result);
    if (!png) return result;
    auto rowsOf = [&](int32_t band) { return std::min(bandRows, h - band * bandRows); };
    result = ComputeWhileUsing(
        (h + bandRows - 1) / bandRows,
        [&](int32_t band) { return ComputePosterRows(band * bandRows, rowsOf(band), bands[band & 1].get(), w); },
        [&](int32_t band) { return EncodeRows(png, bands[band & 1].get(), rowsOf(band), w); });
    if (!result) {
        PngAbandon(png);
        return result;
    }
    return PngFinish(png);
}
