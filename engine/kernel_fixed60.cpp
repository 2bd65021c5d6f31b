// engine/kernel_fixed60.cpp - the scalar strip kernel in Fixed60, for the zooms between the
// double and the long128 formats. Used only while the whole view lies inside (-3.9, 3.9), where
// every early exit of a pass agrees with the escape test |z|^2 >= 4.
#include "engine/dispatch.h"
#include "engine/kernel_fixed60.h"
#include "engine/strip.h"

void ComputeStripFixed60Scalar(int t) { StripWalk<Fixed60Arith>(t).Run(); }
