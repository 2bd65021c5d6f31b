// engine/edge_stores.cpp - the pixels a strip keeps back at its sides until it ends.
#include "engine/strip.h"

EdgeStoreList EdgeStores[MaxThreads + 1];

void FlushEdgeStores(int t) {
    EdgeStoreList& list = EdgeStores[t];
    const int width = Calc.WindowWidth;
    for (int i = 0; i < list.Length; ++i) {
        const EdgeStore& e = list.Items[i];
        StorePixelColoured(e.Col, e.Row, e.Count, width, e.Colour);
    }
    list.Length = 0;
}
