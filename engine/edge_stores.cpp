// engine/edge_stores.cpp - the pixels the strips keep back at their sides until they end.
#include "engine/edge_stores.h"

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
