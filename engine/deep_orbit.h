// engine/deep_orbit.h - the reference orbit of a deep picture (DeepRef, engine/deep.h),
// computed in the many-word fixed point of engine/deep_fixed.h.
#pragma once
#include <cstdint>
#include "engine/deep.h"

// Bits of fraction the orbit carries beyond the pixel step. Every step truncates the orbit by
// a few units of its last bit, and such an error grows from then on exactly as a pixel's
// difference from the reference does (both are multiplied by 2 Z_k in every step), so
// measured against the difference of the nearest pixel, which starts at 2^-ZoomBits and is
// kept from shrinking far below that by the c it adds each step, the error of k steps stays
// below 3 k 2^-DeepOrbitMarginBits. After the longest orbit, 10^7 < 2^24 steps, that is below
// 2^-38, beneath what the pixel's own double arithmetic loses in as many steps (2^-53 each).
constexpr int DeepOrbitMarginBits = 64;

// The words of a number for an orbit at this pixel step (ZoomBits plus the margin, whole words).
int DeepOrbitWords(int32_t zoomBits);

// What the last advance of the orbit came to.
enum class DeepOrbitStatus { Running, Complete, NoMemory };
// DeepAdvanceOrbit without the fatal error: when the orbit cannot be stored for want of
// memory, its storage is released, DeepRef is left empty and not ready, and NoMemory is
// returned until the orbit is begun again (DeepSetupGeometry after the view changed, or
// DeepRestartOrbit). DeepAdvanceOrbit ends the program with "out of memory" instead.
DeepOrbitStatus DeepAdvanceOrbitChecked();
// Begins the orbit of the current view again even when nothing changed.
void DeepRestartOrbit();
// Iterations computed between two reads of the clock in a live pass, for n-word numbers:
// each read then falls about a million word products apart.
int32_t DeepOrbitClockInterval(int n);
