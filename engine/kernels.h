// engine/kernels.h - one strip of the current tile in each number format.
#pragma once

void ComputeStripDouble(int t);
void ComputeStripFixed60(int t);
void ComputeStripLong128(int t);
