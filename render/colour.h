// render/colour.h - counts to colours: the palette, the automatic colour scale and
// iteration limit, and the range check of the colour scale.
#pragma once
#include <cstdint>
#include "engine/colour_rule.h"
#include "ui/panel.h"

extern uint32_t InsideCount;    // zero counts after a statistics pass, else NoStatistics

void     BuildPalette();
uint32_t CountColour(int32_t count);     // under the live Iteration, Color and Offset
void     AutoColorScale();
void     MeasureAndColour();             // ScreenImage holds raw counts on entry
bool     CheckColorRange();              // clamps Color, sets MsgColourMax / MsgColourMin
// The colour scales at which CheckColorRange steps in.
constexpr double ColourTooLarge = 1.1e9;
constexpr double ColourTooSmall = 9.091e-10;
// A scale a command has just multiplied or divided, held at those edges: however many steps
// come before the next Recolour, the scale never reaches zero, infinity or NaN, and that
// Recolour clamps and reports it as it would have anyway.
double   HeldColour(double colour);
void     RecolourCounts();               // ScreenImage = CountColour(N_array) for every pixel
