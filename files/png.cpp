// files/png.cpp - the PNG encoder, on libpng.
#include "files/png.h"
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <stdexcept>
#include <vector>

namespace {

constexpr int HighestLevel = 9;

// libpng calls these from C: they may not throw, so a failure goes back through
// png_error and its long jump.
void AppendEncoded(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<PngBuffer*>(png_get_io_ptr(png));
    if (out->Length + length > out->Capacity) {
        size_t capacity = out->Capacity ? out->Capacity : 65536;
        while (capacity < out->Length + length) capacity *= 2;
        auto* grown = static_cast<uint8_t*>(std::realloc(out->Bytes, capacity));
        if (!grown) png_error(png, "out of memory");
        out->Bytes = grown;
        out->Capacity = capacity;
    }
    std::memcpy(out->Bytes + out->Length, data, length);
    out->Length += length;
}
void FlushNothing(png_structp) {}
void RaiseError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

void ToRgbRow(const RgbPixel* pixels, int width, uint8_t* rgb) {
    for (int x = 0; x < width; ++x) {
        const RgbPixel p = pixels[x];
        rgb[3 * x] = uint8_t(p >> 16);
        rgb[3 * x + 1] = uint8_t(p >> 8);
        rgb[3 * x + 2] = uint8_t(p);
    }
}

// Only plain data lives in this frame, so the long jump back from an error skips no
// destructor: the row buffer is handed in.
bool Encode(const RgbPixel* pixels, int width, int height, uint8_t* row, PngBuffer* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, RaiseError, IgnoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendEncoded, FlushNothing);
    png_set_compression_level(png, HighestLevel);
    png_set_IHDR(png, info, uint32_t(width), uint32_t(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        ToRgbRow(pixels + size_t(y) * size_t(width), width, row);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void ReleasePngBuffer(PngBuffer* buffer) {
    std::free(buffer->Bytes);
    *buffer = PngBuffer{};
}

bool EncodePicturePng(const RgbPixel* pixels, int width, int height, PngBuffer* out) {
    out->Length = 0;
    if (!pixels || width <= 0 || height <= 0) return false;
    std::vector<uint8_t> row;
    try {
        row.resize(size_t(width) * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return Encode(pixels, width, height, row.data(), out);
}

void WritePicturePng(const char* path, const RgbPixel* pixels, int width, int height) {
    PngBuffer encoded{};
    const bool ok = EncodePicturePng(pixels, width, height, &encoded) &&
                    PlatWriteFile(path, encoded.Bytes, int64_t(encoded.Length));
    ReleasePngBuffer(&encoded);
    if (!ok) throw std::runtime_error("the picture file could not be encoded or written");
}
