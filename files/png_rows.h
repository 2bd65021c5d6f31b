// files/png_rows.h - the rows of a PNG picture before deflate: 0x00RRGGBB pixels to RGB
// bytes, and the choice of each row's filter.
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/platform.h"

constexpr int RgbBytesPerPixel = 3;   // red, green, blue: the bytes of a pixel in a file or a video
// Scratch a row filter needs: the row under each filter but the plain one.
constexpr int PngFilterScratchRows = 4;

void ToRgbRow(const RgbPixel* pixels, int width, uint8_t* rgb);

// Writes the row of n RGB bytes under the filter whose bytes, read as signed, sum to the
// least magnitude (the earlier filter on a tie), its filter byte first: n + 1 bytes. `above`
// is the row before it, zeros before the first row; scratch holds PngFilterScratchRows * n.
void FilterRow(const uint8_t* row, const uint8_t* above, size_t n, uint8_t* out, uint8_t* scratch);
