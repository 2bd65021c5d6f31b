// files/png.h - pictures as 8-bit RGB PNG files: truecolour without alpha, no interlacing,
// no ancillary chunks, deflated at the highest level. Rows are encoded as they come, so a
// picture far larger than memory can be written band by band.
#pragma once
#include <cstddef>
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

// Pictures made in parts. A run of `rows` rows is deflated as the file would hold it, but as
// a bare deflate stream without its last block, handed to `sink` piece by piece; `above` is
// the RGB row before the run, null for the picture's first row. PngAddRows feeds it, and
// PngFinishRows gives the Adler-32 of its filtered bytes (a failure, and the stream released,
// if anything failed). A file started with PngStart then takes such runs in order with
// PngAddDeflated, and PngFinishDeflated ends it with the Adler-32 of them all.
using PngByteSink = bool (*)(void* context, const uint8_t* bytes, size_t length);
PngStream* PngStartRows(PngByteSink sink, void* context, int width, int rows, const uint8_t* above,
                        PlatResult* why = nullptr);
PlatResult PngFinishRows(PngStream* s, uint32_t* adler);
PlatResult PngAddDeflated(PngStream* s, const uint8_t* bytes, size_t length);
PlatResult PngFinishDeflated(PngStream* s, uint32_t adler);

// Writes a whole top-down image of width x height pixels, row stride width, the file whole
// or not at all.
PlatResult WritePicturePng(const char* path, const RgbPixel* pixels, int width, int height);
