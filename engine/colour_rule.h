// engine/colour_rule.h - the colour of a count, which the kernels store beside the count.
// The palette is built by the picture's colour code above the engine; the engine only reads it.
#pragma once
#include <cmath>
#include <cstdint>

extern uint32_t Palette[256];   // 0x00RRGGBB, built once before the first picture

// The escape step is rounded to nearest-even; the low 8 bits of the sum pick the entry.
inline uint32_t CountColourWith(int32_t count, int32_t iteration, double colour, uint32_t offset) {
    if (count == 0) return 0;
    int32_t n = static_cast<int32_t>(static_cast<uint32_t>(iteration) - static_cast<uint32_t>(count));
    int64_t i = std::llrint(double(n) * colour);
    return Palette[(static_cast<uint64_t>(i) + offset) & 255];
}
