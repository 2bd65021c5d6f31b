// engine/kernel_long128.cpp - the scalar strip kernel in long128, for the deepest zooms.
// Squares and the doubled cross product come from complement magnitudes (fixed.h); the orbit
// stays in range because the format is used only while the view lies inside (-3.9, 3.9).
#include "engine/dispatch.h"
#include "engine/kernel_long128.h"
#include "engine/strip.h"

void ComputeStripLong128Scalar(int t) { StripWalk<Long128Arith>(t).Run(); }
