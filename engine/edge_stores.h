// engine/edge_stores.h - storing a finished pixel, and the pixels a strip keeps back at its
// sides until it ends.
#pragma once
#include <cstdint>
#include "engine/state.h"
#include "engine/work.h"

constexpr uint32_t ProgressGreen = 0x00FF00;

// A computed or copied pixel: count, mask, progress mark and colour.
inline void StorePixelColoured(int c, int r, int32_t n, int width, uint32_t colour) {
    NAt(c, r) = n;
    MaskAt(c, r) = n;
    const int p = c + width * r;
    ProgressImage[p] = ProgressGreen;
    ScreenImage[p] = colour;
}

// The strips of a tile are computed at the same time and lie side by side, so the pixels
// near a strip's side share cache lines with the neighbouring strip's. Stored one by one
// from two processors, such a line would travel between them with almost every pixel; so a
// strip keeps the pixels of its 32 columns next to a neighbour here and stores them when it
// ends (FlushEdgeStores). 32 columns of 4-byte entries are two cache lines, the pair the
// processor's prefetcher fetches together: keeping only one line measured clearly slower.
struct EdgeStore {
    int32_t Col, Row, Count;
    uint32_t Colour;
};
struct EdgeStoreList {
    static constexpr int Capacity = 4096;
    int Length;
    EdgeStore Items[Capacity];
};
extern EdgeStoreList EdgeStores[MaxThreads + 1];   // one list per strip
void FlushEdgeStores(int t);                        // stores strip t's kept pixels

// Flushes strip t's kept pixels however the kernel returns.
struct EdgeStoresFlush {
    int t;
    ~EdgeStoresFlush() { FlushEdgeStores(t); }
};
