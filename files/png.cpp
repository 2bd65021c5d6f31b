// files/png.cpp - the PNG encoder: the file's chunks written here, the deflate stream and
// the checksums from zlib. Each row gets the filter whose bytes, read as signed, sum to the
// least magnitude, the choice that serves deflate best on pictures like ours.
#include "files/png.h"
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace {

constexpr int HighestLevel = 9;
constexpr int WindowBits = 15;         // the largest window deflate offers
constexpr int MemoryLevel = 8;
constexpr size_t IdatChunkBytes = 8192;   // deflated bytes per IDAT chunk
constexpr int BytesPerPixel = 3;
constexpr int64_t LargestSide = 0x7FFFFFFF;

const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

enum PngFilter : uint8_t { FilterNone, FilterSub, FilterUp, FilterAverage, FilterPaeth, FilterCount };

void PutBigEndian32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

}  // namespace

struct PngStream {
    PlatFileWriter* File;
    z_stream Deflate;
    bool     DeflateReady;
    bool     Failed;
    bool     HeaderStated;                  // the first IDAT's zlib header is final
    int      Width, Height, RowsDone;
    size_t   RowBytes;                      // without the filter byte
    std::vector<uint8_t> Previous, Current; // unfiltered rows; the one before the first is zero
    std::vector<uint8_t> Trial[FilterCount];// the current row under each filter, filter byte first
    std::vector<uint8_t> Chunk;             // length, type, deflated bytes of the IDAT being filled
};

namespace {

bool Fail(PngStream* s) {
    s->Failed = true;
    return false;
}

bool WriteChunk(PngStream* s, const char* type, const uint8_t* data, size_t length) {
    uint8_t head[8];
    PutBigEndian32(head, uint32_t(length));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(crc32(0, nullptr, 0), head + 4, 4);
    if (length > 0) crc = crc32(crc, data, uInt(length));
    uint8_t tail[4];
    PutBigEndian32(tail, uint32_t(crc));
    if (!PlatWriteBytes(s->File, head, 8) || !PlatWriteBytes(s->File, data, int64_t(length)) ||
        !PlatWriteBytes(s->File, tail, 4))
        return Fail(s);
    return true;
}

// The zlib header states the window the decoder must keep. No distance in the stream reaches
// back further than the filtered bytes, so a small picture states the smallest window that
// holds them all (down to 256 bytes), and the header's check bits are made anew.
void StateWindow(PngStream* s) {
    s->HeaderStated = true;
    uint8_t* h = s->Chunk.data();
    const uint64_t filtered = uint64_t(s->Height) * (s->RowBytes + 1);
    unsigned info = h[0] >> 4;
    while (info > 0 && filtered <= (uint64_t(1) << (info + 7))) --info;
    h[0] = uint8_t((h[0] & 0x0F) | info << 4);
    const unsigned level = h[1] & 0xE0u;
    h[1] = uint8_t(level + (0x1F - ((unsigned(h[0]) << 8) + level) % 0x1F));
}

// Deflates what is handed in (nothing but the end of the stream when flush is Z_FINISH) and
// writes every IDAT chunk that fills up; at the end also the last, shorter one.
bool DeflateInto(PngStream* s, const uint8_t* input, size_t length, int flush) {
    z_stream& z = s->Deflate;
    z.next_in = const_cast<Bytef*>(input);
    z.avail_in = uInt(length);
    for (;;) {
        const int r = deflate(&z, flush);
        if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) return Fail(s);
        const bool full = z.avail_out == 0, finished = r == Z_STREAM_END;
        const size_t filled = IdatChunkBytes - z.avail_out;
        if (full || (finished && filled > 0)) {
            if (!s->HeaderStated) StateWindow(s);
            if (!WriteChunk(s, "IDAT", s->Chunk.data(), filled)) return false;
            z.next_out = s->Chunk.data();
            z.avail_out = uInt(IdatChunkBytes);
        }
        if (finished) return true;
        if (!full) {
            // With room left, deflate has taken all the input; at the end it must have finished.
            if (flush == Z_FINISH) return Fail(s);
            return true;
        }
    }
}

inline unsigned Magnitude(uint8_t v) { return v < 128 ? v : 256u - v; }

inline uint8_t Paeth(int a, int b, int c) {
    const int pa = b > c ? b - c : c - b;   // |p - a| with p = a + b - c
    const int pb = a > c ? a - c : c - a;   // |p - b|
    const int pc = (a + b - 2 * c) < 0 ? -(a + b - 2 * c) : a + b - 2 * c;
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Filters the current row every way and returns the filter whose bytes sum to the least
// magnitude (the earlier filter on a tie).
PngFilter ChooseFilter(PngStream* s) {
    const uint8_t* r = s->Current.data();
    const uint8_t* p = s->Previous.data();
    const size_t n = s->RowBytes;
    unsigned long sums[FilterCount] = {};
    uint8_t* out[FilterCount];
    for (int f = 0; f < FilterCount; ++f) {
        out[f] = s->Trial[f].data() + 1;
        s->Trial[f][0] = uint8_t(f);
    }
    for (size_t i = 0; i < n; ++i) {
        const int a = i >= BytesPerPixel ? r[i - BytesPerPixel] : 0;
        const int c = i >= BytesPerPixel ? p[i - BytesPerPixel] : 0;
        const int b = p[i], x = r[i];
        const uint8_t v[FilterCount] = {uint8_t(x), uint8_t(x - a), uint8_t(x - b), uint8_t(x - ((a + b) >> 1)),
                                        uint8_t(x - Paeth(a, b, c))};
        for (int f = 0; f < FilterCount; ++f) {
            out[f][i] = v[f];
            sums[f] += Magnitude(v[f]);
        }
    }
    PngFilter best = FilterNone;
    for (int f = FilterSub; f < FilterCount; ++f)
        if (sums[f] < sums[best]) best = PngFilter(f);
    return best;
}

void ToRgbRow(const RgbPixel* pixels, int width, uint8_t* rgb) {
    for (int x = 0; x < width; ++x) {
        const RgbPixel p = pixels[x];
        rgb[3 * x] = uint8_t(p >> 16);
        rgb[3 * x + 1] = uint8_t(p >> 8);
        rgb[3 * x + 2] = uint8_t(p);
    }
}

bool WriteHeader(PngStream* s) {
    uint8_t ihdr[13];
    PutBigEndian32(ihdr, uint32_t(s->Width));
    PutBigEndian32(ihdr + 4, uint32_t(s->Height));
    ihdr[8] = 8;    // bits per sample
    ihdr[9] = 2;    // truecolour
    ihdr[10] = 0;   // deflate
    ihdr[11] = 0;   // adaptive filtering
    ihdr[12] = 0;   // no interlace
    if (!PlatWriteBytes(s->File, Signature, sizeof Signature)) return Fail(s);
    return WriteChunk(s, "IHDR", ihdr, sizeof ihdr);
}

// A small picture needs no 32 KiB window; a smaller one gives the same stream a smaller
// header field and the decoder less memory to set aside.
int WindowBitsFor(uint64_t filteredBytes) {
    int bits = WindowBits;
    if (filteredBytes <= 16384)
        for (uint64_t half = uint64_t(1) << (bits - 1); filteredBytes + 262 <= half; half >>= 1) --bits;
    return bits;
}

void Release(PngStream* s) {
    if (s->DeflateReady) deflateEnd(&s->Deflate);
    delete s;
}

}  // namespace

PngStream* PngStart(const char* path, int width, int height) {
    if (width <= 0 || height <= 0 || width > LargestSide / BytesPerPixel || height > LargestSide) return nullptr;
    PngStream* s = new (std::nothrow) PngStream{};
    if (!s) return nullptr;
    s->Width = width;
    s->Height = height;
    s->RowBytes = size_t(width) * BytesPerPixel;
    try {
        s->Previous.assign(s->RowBytes, 0);
        s->Current.assign(s->RowBytes, 0);
        for (auto& t : s->Trial) t.assign(s->RowBytes + 1, 0);
        s->Chunk.assign(IdatChunkBytes, 0);
    } catch (const std::bad_alloc&) {
        delete s;
        return nullptr;
    }
    const uint64_t filtered = uint64_t(height) * (s->RowBytes + 1);
    if (deflateInit2(&s->Deflate, HighestLevel, Z_DEFLATED, WindowBitsFor(filtered), MemoryLevel, Z_FILTERED) !=
        Z_OK) {
        delete s;
        return nullptr;
    }
    s->DeflateReady = true;
    s->Deflate.next_out = s->Chunk.data();
    s->Deflate.avail_out = uInt(IdatChunkBytes);
    s->File = PlatBeginFile(path);
    if (!s->File || !WriteHeader(s)) {
        PngAbandon(s);
        return nullptr;
    }
    return s;
}

bool PngAddRows(PngStream* s, const RgbPixel* pixels, int rows, int stride) {
    if (s->Failed || !pixels || rows < 0 || rows > s->Height - s->RowsDone || stride < s->Width) return Fail(s);
    for (int y = 0; y < rows; ++y) {
        ToRgbRow(pixels + size_t(y) * size_t(stride), s->Width, s->Current.data());
        const PngFilter f = ChooseFilter(s);
        if (!DeflateInto(s, s->Trial[f].data(), s->RowBytes + 1, Z_NO_FLUSH)) return false;
        s->Previous.swap(s->Current);
        s->RowsDone++;
    }
    return true;
}

bool PngFinish(PngStream* s) {
    bool ok = !s->Failed && s->RowsDone == s->Height && DeflateInto(s, nullptr, 0, Z_FINISH) &&
              WriteChunk(s, "IEND", nullptr, 0);
    PlatFileWriter* file = s->File;
    s->File = nullptr;
    Release(s);
    if (!ok) {
        PlatAbandonFile(file);
        return false;
    }
    return PlatFinishFile(file);
}

void PngAbandon(PngStream* s) {
    if (!s) return;
    PlatAbandonFile(s->File);
    Release(s);
}

void WritePicturePng(const char* path, const RgbPixel* pixels, int width, int height) {
    PngStream* s = pixels ? PngStart(path, width, height) : nullptr;
    if (!s) throw std::runtime_error("the picture file could not be started");
    if (!PngAddRows(s, pixels, height, width)) {
        PngAbandon(s);
        throw std::runtime_error("the picture could not be encoded or written");
    }
    if (!PngFinish(s)) throw std::runtime_error("the picture file could not be completed");
}
