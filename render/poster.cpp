// render/poster.cpp - pictures of any size, computed piece by piece.
#include "render/poster.h"
#include <algorithm>
#include <cstring>
#include "engine/work.h"
#include "render/colour.h"
#include "render/resample.h"

PosterState Poster;

namespace {
// A band of output rows across a wide poster stays near this many pixels.
constexpr int64_t BandPixels = int64_t(16) << 20;

// The piece with pixel (0, 0) at sub-pixel (col0, row0) of the poster, in ScreenImage with
// row stride w. The piece gets the poster's geometry with its own size for the tile tables
// and the image stride; the coordinates come from the poster's origin.
bool ComputePiece(int32_t col0, int32_t row0, int32_t w, int32_t h) {
    Calc = Poster.Geometry;
    Calc.WindowWidth = w;
    Calc.WindowHeight = h;
    BuildTileTables();
    for (int32_t r = 0; r < h; ++r) std::fill_n(&MaskAt(0, r), w, -1);
    const int n = Work.ThreadCount;
    for (int p = 0; p < TileCount; ++p) {
        // A small piece leaves many tiles without a row or a column; they need no hand-over.
        if (Work.TileY2[1][p] < Work.TileY1[1][p] || Work.TileX2[n][p] < Work.TileX1[1][p]) continue;
        Work.TilePos = p;
        PrepareSlice();
        ComputeTileAt(col0, row0);
        if (Poster.OnTile) Poster.OnTile();
        if (PlatCancelRequested()) break;
    }
    Poster.TilesDone += TileCount;
    Work.TilePos = TileIdle;
    return !PlatCancelRequested();
}
}  // namespace

ViewParams FirstPictureView(const ViewParams& loaded) {
    View = loaded;
    AutoColorScale();
    return View;
}

void BeginPoster(const ViewParams& view, int32_t zoom, int32_t width, int32_t height, int32_t sub) {
    View = view;
    View.ld_Zoom = zoom + Log2Of(sub);
    Calc.WindowWidth = width * sub;
    Calc.WindowHeight = height * sub;
    SetupGeometry();
    Work.LivePass = false;   // whole tiles, no clock reads
    Poster.Geometry = Calc;
    Poster.Width = width;
    Poster.Height = height;
    Poster.Sub = sub;
    Poster.PieceWidth = MaxWidth / sub * sub;
    const int64_t bandRows = std::max<int64_t>(1, BandPixels / width);
    Poster.PieceHeight = int32_t(std::min<int64_t>(MaxHeight / sub, bandRows)) * sub;
    Poster.TilesDone = 0;
}

int64_t PosterTiles(int32_t rows) {
    const int64_t subRows = int64_t(rows) * Poster.Sub, subCols = int64_t(Poster.Width) * Poster.Sub;
    const int64_t bands = (subRows + Poster.PieceHeight - 1) / Poster.PieceHeight;
    return bands * ((subCols + Poster.PieceWidth - 1) / Poster.PieceWidth) * TileCount;
}

bool ComputePosterRows(int32_t row0, int32_t rows, RgbPixel* out, int32_t stride) {
    const int32_t n = Poster.Sub, subCols = Poster.Width * n, subRows = rows * n;
    for (int32_t r = 0; r < subRows; r += Poster.PieceHeight) {
        const int32_t h = std::min(Poster.PieceHeight, subRows - r);
        for (int32_t c = 0; c < subCols; c += Poster.PieceWidth) {
            const int32_t w = std::min(Poster.PieceWidth, subCols - c);
            if (!ComputePiece(c, row0 * n + r, w, h)) return false;
            RgbPixel* to = out + size_t(r / n) * size_t(stride) + size_t(c / n);
            if (n > 1) {
                DownsampleBox(ScreenImage, w, n, to, stride, w / n, h / n);
                continue;
            }
            for (int32_t y = 0; y < h; ++y)
                std::memcpy(to + size_t(y) * size_t(stride), ScreenImage + size_t(y) * size_t(w), size_t(w) * sizeof(RgbPixel));
        }
    }
    return true;
}
