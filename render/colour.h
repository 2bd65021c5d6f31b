// render/colour.h - counts to colours: the palette, the automatic colour scale and
// iteration limit, and the range check of the colour scale.
#pragma once
#include <cstdint>

extern uint32_t Palette[256];   // 0x00RRGGBB, built once
extern uint32_t InsideCount;    // zero counts after a statistics pass (777 = no statistics)

void     BuildPalette();
uint32_t CountColour(int32_t count);     // under the live Iteration, Color and Offset
void     AutoColorScale();
void     MeasureAndColour();             // ScreenImage holds raw counts on entry
bool     CheckColorRange();              // clamps Color, sets MessageCode 91/92
void     RecolourCounts();               // ScreenImage = CountColour(N_array) for every pixel
