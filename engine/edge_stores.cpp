// engine/edge_stores.cpp - the pixels a strip keeps back at its sides until it ends.
#include "engine/strip.h"

EdgeStoreList EdgeStores[MaxThreads + 1];

void FlushEdgeStores(int t) {
    EdgeStoreList& list = EdgeStores[t];
    const int width = Calc.WindowWidth;
    const int32_t iteration = View.Iteration;
    const double color = View.Color;
    const uint32_t offset = View.Offset;
    for (int i = 0; i < list.Length; ++i) {
        const EdgeStore& e = list.Items[i];
        StorePixel(e.Col, e.Row, e.Count, width, iteration, color, offset);
    }
    list.Length = 0;
}
