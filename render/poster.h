// render/poster.h - pictures of any size, beyond the window's buffers, for batch use.
//
// A poster of W x H pixels at zoom z is the picture the view's geometry gives for a window of
// W x H pixels at zoom z, computed by the window's kernels with the view's limit and colours,
// every pixel (no inside region is skipped). It is computed in pieces no larger than the
// buffers; each piece is placed by its whole-pixel offset from the poster's one origin, so the
// joined picture has the bits one unbounded buffer would hold. An anti-aliased poster
// computes n x n sub-pixels per pixel, on the grid of zoom z + log2(n), and averages them in
// linear light.
//
// Posters use the explorer's buffers and geometry for themselves: the explorer's picture is
// gone afterwards.
#pragma once
#include <cstdint>
#include "engine/state.h"
#include "platform/platform.h"

constexpr int32_t MaxPosterSide = 65536;   // pixels along either side
constexpr int32_t MaxSubPixels = 4;        // sub-pixels along a side of one averaged pixel

// k for a power of two 2^k.
inline int32_t Log2Of(int32_t powerOfTwo) {
    int32_t k = 0;
    while ((int32_t(1) << k) < powerOfTwo) ++k;
    return k;
}

struct PosterState {
    int32_t   Width, Height;             // output pixels
    int32_t   Sub;                       // 1, 2 or 4 sub-pixels along a side of a pixel
    int32_t   PieceWidth, PieceHeight;   // sub-pixels of the largest piece, multiples of Sub
    CalcState Geometry;                  // of the whole sub-pixel grid
    int64_t   TilesDone;                 // tiles computed since BeginPoster
    void    (*OnTile)();                 // called after every tile (progress), may be null
};
extern PosterState Poster;

// The view the explorer's first picture of a loaded view is computed with: the file's limit,
// and where the colour scale is automatic, the scale of the view's own zoom.
ViewParams FirstPictureView(const ViewParams& loaded);

// Sets up a width x height poster of `view` at `zoom`, each pixel the mean of sub x sub
// sub-pixels; the limit and colours are the view's as they stand. Pieces are as large as the
// buffers allow and, for a wide poster, low enough for a band of rows to stay near 64 MiB.
void BeginPoster(const ViewParams& view, int32_t zoom, int32_t width, int32_t height, int32_t sub);
// Tiles a poster of rows row0 .. row0 + rows - 1 takes (for progress).
int64_t PosterTiles(int32_t rows);
// Computes output rows row0 .. row0 + rows - 1 into out, row stride `stride` pixels; whole
// bands work best (rows a multiple of PieceHeight / Sub). False, with the rows unfinished,
// when a cancel was requested.
bool ComputePosterRows(int32_t row0, int32_t rows, RgbPixel* out, int32_t stride);
