// files/poster_file.cpp - a poster streamed into a PNG file band by band, so its memory stays
// two bands of rows whatever its size. A band is encoded on a thread of its own while the
// next one computes: the encoder works on one processor only and would otherwise leave the
// others idle for a good part of the time.
#include <atomic>
#include <new>
#include <thread>
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
    std::vector<RgbPixel> bands[2];
    try {
        for (auto& b : bands) b.resize(size_t(w) * size_t(bandRows));
    } catch (const std::bad_alloc&) {
        return BatchResult::Failed;
    }
    PngStream* png = PngStart(path, w, h);
    if (!png) return BatchResult::Failed;
    BatchResult result = BatchResult::Done;
    std::atomic<bool> encoded{true};
    std::thread encoder;
    for (int32_t row = 0, band = 0; row < h && result == BatchResult::Done; row += bandRows, band ^= 1) {
        const int32_t rows = h - row < bandRows ? h - row : bandRows;
        const bool computed = ComputePosterRows(row, rows, bands[band].data(), w);
        if (encoder.joinable()) encoder.join();
        if (!computed || PlatCancelRequested()) result = BatchResult::Cancelled;
        else if (!encoded) result = BatchResult::Failed;
        else encoder = std::thread([&, band, rows] { encoded = PngAddRows(png, bands[band].data(), rows, w); });
    }
    if (encoder.joinable()) encoder.join();
    if (result == BatchResult::Done && !encoded) result = BatchResult::Failed;
    if (result == BatchResult::Done && PlatCancelRequested()) result = BatchResult::Cancelled;
    if (result != BatchResult::Done) {
        PngAbandon(png);
        return result;
    }
    return PngFinish(png) ? BatchResult::Done : BatchResult::Failed;
}
