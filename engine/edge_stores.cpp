// engine/edge_stores.cpp - the pixels a strip keeps back at its sides until it ends.
#include "engine/strip.h"

EdgeStoreList EdgeStores[MaxThreads + 1];

// How many pixels ahead of the one being stored the lines are asked for: about two rows
// of a strip of a wide picture.
constexpr int FlushLead = 64;

void FlushEdgeStores(int t) {
    EdgeStoreList& list = EdgeStores[t];
    const int width = Calc.WindowWidth;
    for (int i = 0; i < list.Length; ++i) {
        // The lines of a pixel further on are asked for while this one is stored: the list
        // runs down the strip's short rows, a pattern the processor does not fetch ahead on
        // its own.
        if (i + FlushLead < list.Length) {
            const EdgeStore& a = list.Items[i + FlushLead];
            __builtin_prefetch(&NAt(a.Col, a.Row), 1);
            __builtin_prefetch(&MaskAt(a.Col, a.Row), 1);
            __builtin_prefetch(&ProgressImage[a.Col + width * a.Row], 1);
            __builtin_prefetch(&ScreenImage[a.Col + width * a.Row], 1);
        }
        const EdgeStore& e = list.Items[i];
        StorePixelColoured(e.Col, e.Row, e.Count, width, e.Colour);
    }
    list.Length = 0;
}
