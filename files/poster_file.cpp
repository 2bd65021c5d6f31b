// files/poster_file.cpp - a poster streamed into a PNG file band by band, so its memory stays
// one band of rows whatever its size.
#include <new>
#include <vector>
#include "files/batch.h"
#include "files/png.h"
#include "platform/platform.h"
#include "render/poster.h"

bool OutputWritable(const char* path) {
    PlatFileWriter* probe = PlatBeginFile(path);
    if (!probe) return false;
    PlatAbandonFile(probe);
    return true;
}

BatchResult WritePosterPng(const char* path) {
    const int32_t w = Poster.Width, h = Poster.Height, bandRows = Poster.PieceHeight / Poster.Sub;
    std::vector<RgbPixel> band;
    try {
        band.resize(size_t(w) * size_t(bandRows));
    } catch (const std::bad_alloc&) {
        return BatchResult::Failed;
    }
    PngStream* png = PngStart(path, w, h);
    if (!png) return BatchResult::Failed;
    for (int32_t row = 0; row < h; row += bandRows) {
        const int32_t rows = h - row < bandRows ? h - row : bandRows;
        if (!ComputePosterRows(row, rows, band.data(), w)) {
            PngAbandon(png);
            return BatchResult::Cancelled;
        }
        if (!PngAddRows(png, band.data(), rows, w)) {
            PngAbandon(png);
            return BatchResult::Failed;
        }
        if (PlatCancelRequested()) {
            PngAbandon(png);
            return BatchResult::Cancelled;
        }
    }
    return PngFinish(png) ? BatchResult::Done : BatchResult::Failed;
}
