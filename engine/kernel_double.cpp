// engine/kernel_double.cpp - the scalar strip kernel in IEEE double, for views up to a pixel
// step of about 2^-53. Every operation is rounded on its own, in a fixed order, so the counts
// are the same on every build (contraction into fused multiply-add is switched off globally).
#include "engine/dispatch.h"
#include "engine/kernel_double.h"
#include "engine/strip.h"

void ComputeStripDoubleScalar(int t) { StripWalk<DoubleArith>(t).Run(); }
