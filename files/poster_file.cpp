// files/poster_file.cpp - a poster streamed into a PNG file band by band, so its memory stays
// two bands of rows whatever its size. A band is encoded on a thread of its own while the
// next one computes: the encoder's parts and the computing threads then share the
// processors, and a poster is done a few per cent sooner than with the bands encoded one
// after the other (bench/README.md), for a band more of memory.
#include <algorithm>
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

namespace {
// The encoder keeps the filtered rows of each call until they are deflated: rows go in by
// the few megabytes, still enough for its parts to be deflated side by side.
constexpr int64_t EncoderBytes = int64_t(8) << 20;

bool EncodeRows(PngStream* png, const RgbPixel* rows, int32_t count, int32_t w) {
    const int32_t step = int32_t(std::max<int64_t>(1, EncoderBytes / (int64_t(w) * 3)));
    for (int32_t r = 0; r < count; r += step)
        if (!PngAddRows(png, rows + size_t(r) * size_t(w), std::min(step, count - r), w)) return false;
    return true;
}
}  // namespace

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
        else encoder = std::thread([&, band, rows] { encoded = EncodeRows(png, bands[band].data(), rows, w); });
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
