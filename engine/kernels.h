// engine/kernels.h - thread t's share of the current tile in each number format: the rows it
// takes (TakeTileRow) until none is left or the slice is over.
#pragma once

void ComputeStripDouble(int t);
void ComputeStripFixed60(int t);
void ComputeStripLong128(int t);
