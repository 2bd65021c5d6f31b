// files/export.cpp - the saved picture: ScreenImage as an 8-bit RGB PNG file.
//
// The file is encoded into memory and handed to the platform in one piece, which
// replaces the target only once every byte is on the disk: a failed export never leaves
// a partial picture behind that could pass for a good one.
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <stdexcept>
#include "engine/state.h"
#include "files/export.h"
#include "platform/platform.h"

namespace {

// The encoder's fixed set-up: truecolour without alpha, 8 bits per channel, no
// interlacing, the highest deflate level; and the memory the file is built in.
struct PngWriterState {
    int      ColorType;
    int      BitDepth;
    int      Interlace;
    int      Level;
    uint8_t* Encoded;    // the file being built
    size_t   Length;
    size_t   Capacity;
};

struct ExportState {
    uint8_t*       ExportImage;   // Width x Height RGB triples, top row first
    int            Width, Height;
    PngWriterState PngWriter;
    bool           Created;
};
ExportState Export;

// libpng calls these from C: they may not throw, so a failure goes back through
// png_error and its long jump.
void AppendEncoded(png_structp png, png_bytep data, size_t length) {
    auto* w = static_cast<PngWriterState*>(png_get_io_ptr(png));
    if (w->Length + length > w->Capacity) {
        size_t capacity = w->Capacity ? w->Capacity : 65536;
        while (capacity < w->Length + length) capacity *= 2;
        auto* grown = static_cast<uint8_t*>(std::realloc(w->Encoded, capacity));
        if (!grown) png_error(png, "out of memory");
        w->Encoded = grown;
        w->Capacity = capacity;
    }
    std::memcpy(w->Encoded + w->Length, data, length);
    w->Length += length;
}
void FlushNothing(png_structp) {}
void RaiseError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

// Only plain data lives in this frame, so the long jump back from an error skips no
// destructor.
bool EncodePng(PngWriterState* w, const uint8_t* rgb, int width, int height) {
    w->Length = 0;
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
    png_set_write_fn(png, w, AppendEncoded, FlushNothing);
    png_set_compression_level(png, w->Level);
    png_set_IHDR(png, info, uint32_t(width), uint32_t(height), w->BitDepth, w->ColorType, w->Interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgb + size_t(y) * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void CreateExportObjects() {
    int w = Calc.WindowWidth, h = Calc.WindowHeight;
    if (Export.Created && Export.Width == w && Export.Height == h) return;
    ReleaseExportObjects();
    if (w <= 0 || h <= 0 || w > MaxWidth || h > MaxHeight) return;
    Export.ExportImage = static_cast<uint8_t*>(std::malloc(size_t(w) * h * 3));
    if (!Export.ExportImage) return;
    Export.Width = w;
    Export.Height = h;
    Export.PngWriter = PngWriterState{PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_NONE, 9, nullptr, 0, 0};
    Export.Created = true;
}

void ReleaseExportObjects() {
    std::free(Export.PngWriter.Encoded);
    std::free(Export.ExportImage);
    Export = ExportState{};
}

void WritePicturePng(const char* path) {
    int w = Calc.WindowWidth, h = Calc.WindowHeight;
    if (!Export.Created || Export.Width != w || Export.Height != h)
        throw std::runtime_error("no export image for this window size");
    uint8_t* out = Export.ExportImage;
    for (int i = 0; i < w * h; ++i) {
        uint32_t p = ScreenImage[i];
        *out++ = uint8_t(p >> 16);
        *out++ = uint8_t(p >> 8);
        *out++ = uint8_t(p);
    }
    if (!EncodePng(&Export.PngWriter, Export.ExportImage, w, h)) throw std::runtime_error("PNG encoding failed");
    if (!PlatWriteFile(path, Export.PngWriter.Encoded, int64_t(Export.PngWriter.Length)))
        throw std::runtime_error("the picture file could not be written");
}
