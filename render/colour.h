// render/colour.h - counts to colours: the palette, the automatic colour scale and
// iteration limit, and the range check of the colour scale.
#pragma once
#include <cmath>
#include <cstdint>

extern uint32_t Palette[256];   // 0x00RRGGBB, built once
extern uint32_t InsideCount;    // zero counts after a statistics pass (777 = no statistics)

void     BuildPalette();
uint32_t CountColour(int32_t count);     // under the live Iteration, Color and Offset
void     AutoColorScale();
void     MeasureAndColour();             // ScreenImage holds raw counts on entry
bool     CheckColorRange();              // clamps Color, sets MessageCode 91/92
void     RecolourCounts();               // ScreenImage = CountColour(N_array) for every pixel

// The colour rule with its inputs passed in, so loops that colour many pixels read the view
// once. The escape step is rounded to nearest-even; the low 8 bits of the sum pick the entry.
inline uint32_t CountColourWith(int32_t count, int32_t iteration, double color, uint32_t offset) {
    if (count == 0) return 0;
    int32_t n = static_cast<int32_t>(static_cast<uint32_t>(iteration) - static_cast<uint32_t>(count));
    int64_t i = std::llrint(double(n) * color);
    return Palette[(static_cast<uint64_t>(i) + offset) & 255];
}
