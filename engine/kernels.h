// engine/kernels.h - thread t's share of the current tile: the rows it takes (TakeTileRow)
// until none is left or the slice is over, computed by the strip kernel of the current
// number format on the kernel path the processor check chose (dispatch.h).
#pragma once

void ComputeStrip(int t);
