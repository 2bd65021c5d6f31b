// files/png.h - pictures as 8-bit RGB PNG files: truecolour without alpha, no interlacing,
// no ancillary chunks, deflated at the highest level. Rows are encoded as they come, so a
// picture far larger than memory can be written band by band.
#pragma once
#include <cstdint>
#include "platform/platform.h"

// One picture file being encoded; the file appears, whole, only when PngFinish succeeds.
struct PngStream;

// Starts a width x height picture at path; nullptr, and the reason in *why when given, when
// the file cannot be started or the size is outside 1 .. 2^31 - 1 (PNG's limit).
PngStream* PngStart(const char* path, int width, int height, PlatResult* why = nullptr);
// Encodes the next `rows` rows of a top-down image, `stride` pixels from row to row; false
// on any failure, after which the stream can only be finished (which then reports it) or
// abandoned.
PlatResult PngAddRows(PngStream* s, const RgbPixel* pixels, int rows, int stride);
// Completes the file after its last row and puts it in place; a failure, and no file, if any
// row is missing or anything failed. Releases the stream either way.
PlatResult PngFinish(PngStream* s);
// Gives up: no file, an earlier file of the same name untouched; releases the stream.
void PngAbandon(PngStream* s);

// Writes a whole top-down image of width x height pixels, row stride width, the file whole
// or not at all.
PlatResult WritePicturePng(const char* path, const RgbPixel* pixels, int width, int height);
