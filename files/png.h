// files/png.h - any picture as an 8-bit RGB PNG file: truecolour without alpha, no
// interlacing, no ancillary chunks, deflated at the highest level.
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/platform.h"

// The encoded file, built in memory and grown as needed; kept between encodings so a
// picture of the same size needs no new memory.
struct PngBuffer {
    uint8_t* Bytes;
    size_t   Length;
    size_t   Capacity;
};
void ReleasePngBuffer(PngBuffer* buffer);

// Encodes a top-down image of width x height pixels, row stride width; false on failure.
bool EncodePicturePng(const RgbPixel* pixels, int width, int height, PngBuffer* out);

// Encodes the image and writes the file whole or not at all: a failed write leaves no
// partial picture behind that could pass for a good one. Throws std::runtime_error on
// any failure.
void WritePicturePng(const char* path, const RgbPixel* pixels, int width, int height);
