// files/png.cpp - the PNG encoder: the file's chunks written here, deflate and the checksums
// from zlib.
//
// The filtered rows are deflated in parts of about half a megabyte, side by side on every
// processor. Each part starts with the 32 KiB before it as its dictionary and ends on a byte
// boundary, so the parts join into one zlib stream that finds the matches a single stream
// would, and the parts fall at fixed rows: the file is the same however many processors made
// it and however the rows were handed in.
#include "files/png.h"
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>
#include <zlib.h>
#include "files/png_rows.h"

namespace {

constexpr int HighestLevel = 9;
constexpr int MemoryLevel = 8;
constexpr int RawWindowBits = -15;        // a bare deflate stream with the largest window
constexpr size_t Window = 32768;          // the distance matches reach back
// Level 9 follows up to 4096 earlier places of each match; on our pictures the files came
// out smaller with the default strategy and 256 places than with the filtered strategy
// and 4096, in a fifth of the time.
constexpr int GoodLength = 32, LazyLength = 258, NiceLength = 258, SearchChain = 256;
constexpr size_t PartBytes = size_t(1) << 19;   // filtered bytes deflated as one part
constexpr size_t IdatChunkBytes = 8192;         // deflated bytes per IDAT chunk
constexpr int64_t LargestWidth = int64_t(1) << 22;   // keeps a row's filter sums in 32 bits
constexpr int64_t LargestHeight = 0x7FFFFFFF;
constexpr int MostThreads = 8;
constexpr int RowsPerFilterJob = 32;
constexpr int PartsPerThreadAtOnce = 2;   // rows a whole picture hands in at a time

const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void PutBigEndian32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Runs job(0) .. job(jobs - 1) on up to `threads` threads, this one among them. Without
// threads to start, this one does them all.
template <class Job>
void RunJobs(int jobs, int threads, const Job& job) {
    std::atomic<int> next{0};
    auto work = [&] {
        for (int k; (k = next.fetch_add(1)) < jobs;) job(k);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < std::min(threads, jobs); ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (auto& h : helpers) h.join();
}

// One part as a bare deflate stream, primed with the bytes before it; the last part ends the
// stream, the others end on a byte boundary so the next part follows directly.
bool DeflatePart(const uint8_t* dictionary, size_t dictionaryBytes, const uint8_t* in, size_t bytes, bool last,
                 std::vector<uint8_t>& out) {
    z_stream z{};
    if (deflateInit2(&z, HighestLevel, Z_DEFLATED, RawWindowBits, MemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    bool ok = deflateTune(&z, GoodLength, LazyLength, NiceLength, SearchChain) == Z_OK &&
              (dictionaryBytes == 0 || deflateSetDictionary(&z, dictionary, uInt(dictionaryBytes)) == Z_OK);
    try {
        out.resize(deflateBound(&z, uLong(bytes)) + 16);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = uInt(bytes);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
    // The bound leaves room for everything at once; a call that still stops short fails.
    ok = ok && deflate(&z, flush) == (last ? Z_STREAM_END : Z_OK) && z.avail_in == 0 && z.avail_out > 0;
    out.resize(ok ? z.total_out : 0);
    deflateEnd(&z);
    return ok;
}

}  // namespace

struct PngStream {
    PlatFileWriter* File;
    PlatResult Failure;               // done until something fails: then it can only be given up
    int      Width, Height;
    int      RowsIn;                  // rows handed in so far
    int      Threads;
    size_t   RowBytes;                // RGB bytes of a row
    size_t   FilteredRowBytes;        // with the filter byte
    int      RowsPerPart;
    std::vector<uint8_t> Above;       // the last row handed in, as RGB; zeros before the first
    // The Window bytes before the pending rows (fewer at the start), then the filtered rows
    // not yet deflated.
    std::vector<uint8_t> Filtered;
    size_t   DictionaryBytes;
    int      PendingRows;
    uLong    Adler;                   // of every filtered byte deflated so far
    std::vector<std::vector<uint8_t>> Parts;   // deflated parts waiting to be written
    std::vector<uint8_t> Idat;        // deflated bytes of the IDAT being filled
    bool     ZlibHeaderDone;
    // Rows of a picture made in parts go to Sink as a bare deflate stream instead.
    PngByteSink Sink;
    void*    SinkContext;
};

namespace {

bool Fail(PngStream* s, const PlatResult& why) {
    if (s->Failure) s->Failure = why;   // the first failure is the one to tell
    return false;
}

bool OutOfMemory(PngStream* s) { return Fail(s, PlatOutOfMemory()); }

bool WriteChunk(PngStream* s, const char* type, const uint8_t* data, size_t length) {
    uint8_t head[8];
    PutBigEndian32(head, uint32_t(length));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(crc32(0, nullptr, 0), head + 4, 4);
    if (length > 0) crc = crc32(crc, data, uInt(length));
    uint8_t tail[4];
    PutBigEndian32(tail, uint32_t(crc));
    PlatResult written = PlatWriteBytes(s->File, head, 8);
    if (written) written = PlatWriteBytes(s->File, data, int64_t(length));
    if (written) written = PlatWriteBytes(s->File, tail, 4);
    return written || Fail(s, written);
}

// Adds bytes of the zlib stream, writing each IDAT chunk that fills up.
bool PutStream(PngStream* s, const uint8_t* bytes, size_t length) {
    if (s->Sink) return s->Sink(s->SinkContext, bytes, length) || Fail(s, PlatFailed("the rows could not be kept"));
    while (length > 0) {
        const size_t take = std::min(length, IdatChunkBytes - s->Idat.size());
        s->Idat.insert(s->Idat.end(), bytes, bytes + take);
        bytes += take;
        length -= take;
        if (s->Idat.size() == IdatChunkBytes) {
            if (!WriteChunk(s, "IDAT", s->Idat.data(), s->Idat.size())) return false;
            s->Idat.clear();
        }
    }
    return true;
}

// The zlib header: deflate, the highest level, and the window the decoder must keep. No
// match reaches back further than the filtered bytes, so a small picture states the smallest
// window that holds them all (down to 256 bytes).
bool PutZlibHeader(PngStream* s) {
    const uint64_t filtered = uint64_t(s->Height) * s->FilteredRowBytes;
    unsigned info = 7;   // 2^(7 + 8) bytes
    while (info > 0 && filtered <= (uint64_t(1) << (info + 7))) --info;
    const unsigned cmf = info << 4 | Z_DEFLATED, highestLevel = 3u << 6;
    const uint8_t header[2] = {uint8_t(cmf), uint8_t(highestLevel + (31 - ((cmf << 8) + highestLevel) % 31))};
    s->ZlibHeaderDone = true;
    return PutStream(s, header, 2);
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
    const PlatResult written = PlatWriteBytes(s->File, Signature, sizeof Signature);
    if (!written) return Fail(s, written);
    return WriteChunk(s, "IHDR", ihdr, sizeof ihdr);
}

// Filters `rows` rows into the pending rows, in jobs of a few rows on every thread.
void FilterRows(PngStream* s, const RgbPixel* pixels, int rows, int stride) {
    uint8_t* out = s->Filtered.data() + s->DictionaryBytes + size_t(s->PendingRows) * s->FilteredRowBytes;
    const size_t n = s->RowBytes;
    const int jobs = (rows + RowsPerFilterJob - 1) / RowsPerFilterJob;
    std::atomic<bool> failed{false};
    // A thread costs more to start than a small picture takes to filter: one for every
    // part's worth of rows.
    const int threads = int(std::clamp<size_t>(size_t(rows) * s->FilteredRowBytes / PartBytes, 1, size_t(s->Threads)));
    RunJobs(jobs, threads, [&](int job) {
        std::vector<uint8_t> scratch;
        try {
            scratch.resize((2 + PngFilterScratchRows) * n);
        } catch (const std::bad_alloc&) {
            failed = true;
            return;
        }
        uint8_t* above = scratch.data();
        uint8_t* row = above + n;
        uint8_t* filterScratch = row + n;
        const int first = job * RowsPerFilterJob, end = std::min(rows, first + RowsPerFilterJob);
        if (first == 0) std::memcpy(above, s->Above.data(), n);
        else ToRgbRow(pixels + size_t(first - 1) * size_t(stride), s->Width, above);
        for (int y = first; y < end; ++y) {
            ToRgbRow(pixels + size_t(y) * size_t(stride), s->Width, row);
            FilterRow(row, above, n, out + size_t(y) * s->FilteredRowBytes, filterScratch);
            std::swap(above, row);
        }
    });
    if (failed) OutOfMemory(s);
    ToRgbRow(pixels + size_t(rows - 1) * size_t(stride), s->Width, s->Above.data());
}

// Deflates every whole part of the pending rows, and at the picture's end the rest, then
// writes them in order and keeps the window's bytes before what is still pending.
bool DeflatePendingParts(PngStream* s) {
    const bool end = s->RowsIn == s->Height;
    int parts = s->PendingRows / s->RowsPerPart;
    if (end && s->PendingRows % s->RowsPerPart != 0) parts++;
    if (parts == 0) return true;
    const size_t partBytes = size_t(s->RowsPerPart) * s->FilteredRowBytes;
    const size_t pendingBytes = size_t(s->PendingRows) * s->FilteredRowBytes;
    const uint8_t* begin = s->Filtered.data() + s->DictionaryBytes;
    try {
        s->Parts.resize(size_t(parts));
    } catch (const std::bad_alloc&) {
        return OutOfMemory(s);
    }
    std::atomic<bool> ok{true};
    RunJobs(parts, s->Threads, [&](int k) {
        const size_t from = size_t(k) * partBytes, bytes = std::min(partBytes, pendingBytes - from);
        const uint8_t* in = begin + from;
        const size_t dictionary = std::min(Window, size_t(in - s->Filtered.data()));
        const bool last = end && k == parts - 1 && !s->Sink;
        if (!DeflatePart(in - dictionary, dictionary, in, bytes, last, s->Parts[size_t(k)])) ok = false;
    });
    if (!ok) return OutOfMemory(s);   // deflate fails only for want of memory
    if (!s->ZlibHeaderDone && !PutZlibHeader(s)) return false;
    for (const auto& part : s->Parts)
        if (!PutStream(s, part.data(), part.size())) return false;
    const size_t used = std::min(pendingBytes, size_t(parts) * partBytes);
    s->Adler = adler32_z(s->Adler, begin, used);
    // What stays: the window before the rows still pending, and those rows.
    const size_t keepFrom = size_t(begin - s->Filtered.data()) + used;
    const size_t dictionary = std::min(Window, keepFrom);
    s->Filtered.erase(s->Filtered.begin(), s->Filtered.begin() + ptrdiff_t(keepFrom - dictionary));
    s->DictionaryBytes = dictionary;
    s->PendingRows -= int(used / s->FilteredRowBytes);
    return true;
}

void Release(PngStream* s) { delete s; }

PngStream* NewStream(int width, int height, PlatResult& result) {
    result = PlatDone();
    if (width <= 0 || height <= 0 || width > LargestWidth || height > LargestHeight) {
        result = PlatFailed("a picture size PNG cannot hold");
        return nullptr;
    }
    PngStream* s = new (std::nothrow) PngStream{};
    if (!s) {
        result = PlatOutOfMemory();
        return nullptr;
    }
    s->Failure = PlatDone();
    s->Width = width;
    s->Height = height;
    s->RowBytes = size_t(width) * RgbBytesPerPixel;
    s->FilteredRowBytes = s->RowBytes + 1;
    s->RowsPerPart = int(std::max<size_t>(1, (PartBytes + s->FilteredRowBytes - 1) / s->FilteredRowBytes));
    s->Threads = std::clamp(PlatProcessorCount(), 1, MostThreads);
    s->Adler = adler32(0, nullptr, 0);
    try {
        s->Above.assign(s->RowBytes, 0);
        s->Idat.reserve(IdatChunkBytes);
    } catch (const std::bad_alloc&) {
        delete s;
        result = PlatOutOfMemory();
        return nullptr;
    }
    return s;
}

}  // namespace

PngStream* PngStart(const char* path, int width, int height, PlatResult* why) {
    PlatResult ignored;
    PlatResult& result = why ? *why : ignored;
    PngStream* s = NewStream(width, height, result);
    if (!s) return nullptr;
    s->File = PlatBeginFile(path, &result);
    if (!s->File || !WriteHeader(s)) {
        if (s->File) result = s->Failure;
        PngAbandon(s);
        return nullptr;
    }
    return s;
}

PlatResult PngAddRows(PngStream* s, const RgbPixel* pixels, int rows, int stride) {
    if (s->Failure && (!pixels || rows < 0 || rows > s->Height - s->RowsIn || stride < s->Width))
        Fail(s, PlatFailed("rows the picture does not have"));
    if (!s->Failure || rows == 0) return s->Failure;
    try {
        s->Filtered.resize(s->DictionaryBytes + size_t(s->PendingRows + rows) * s->FilteredRowBytes);
    } catch (const std::bad_alloc&) {
        OutOfMemory(s);
        return s->Failure;
    }
    FilterRows(s, pixels, rows, stride);
    s->RowsIn += rows;
    s->PendingRows += rows;
    if (s->Failure) DeflatePendingParts(s);
    return s->Failure;
}

PlatResult PngFinish(PngStream* s) {
    if (s->RowsIn != s->Height || s->PendingRows != 0) Fail(s, PlatFailed("rows of the picture are missing"));
    uint8_t adler[4];
    PutBigEndian32(adler, uint32_t(s->Adler));
    if (s->Failure && PutStream(s, adler, 4) && (s->Idat.empty() || WriteChunk(s, "IDAT", s->Idat.data(), s->Idat.size())))
        WriteChunk(s, "IEND", nullptr, 0);
    PlatFileWriter* file = s->File;
    const PlatResult encoded = s->Failure;
    Release(s);
    if (encoded) return PlatFinishFile(file);
    PlatAbandonFile(file);
    return encoded;
}

void PngAbandon(PngStream* s) {
    if (!s) return;
    PlatAbandonFile(s->File);
    Release(s);
}

PlatResult WritePicturePng(const char* path, const RgbPixel* pixels, int width, int height) {
    if (!pixels) return PlatFailed("no picture");
    PlatResult result = PlatDone();
    PngStream* s = PngStart(path, width, height, &result);
    if (!s) return result;
    // Handed in a few parts for every thread at a time, so that the filtered rows of the
    // whole picture are never held at once; the file does not depend on it.
    const int band = s->RowsPerPart * s->Threads * PartsPerThreadAtOnce;
    for (int y = 0; y < height; y += band) {
        result = PngAddRows(s, pixels + size_t(y) * size_t(width), std::min(band, height - y), width);
        if (!result) {
            PngAbandon(s);
            return result;
        }
    }
    return PngFinish(s);
}

PngStream* PngStartRows(PngByteSink sink, void* context, int width, int rows, const uint8_t* above, PlatResult* why) {
    PlatResult ignored;
    PngStream* s = NewStream(width, rows, why ? *why : ignored);
    if (!s) return nullptr;
    s->Sink = sink;
    s->SinkContext = context;
    s->ZlibHeaderDone = true;
    if (above) std::memcpy(s->Above.data(), above, s->RowBytes);
    return s;
}

PlatResult PngFinishRows(PngStream* s, uint32_t* adler) {
    if (s->RowsIn != s->Height || s->PendingRows != 0) Fail(s, PlatFailed("rows of the picture are missing"));
    const PlatResult result = s->Failure;
    *adler = uint32_t(s->Adler);
    Release(s);
    return result;
}

PlatResult PngAddDeflated(PngStream* s, const uint8_t* bytes, size_t length) {
    if (s->Failure && !s->ZlibHeaderDone) PutZlibHeader(s);
    if (s->Failure) PutStream(s, bytes, length);
    return s->Failure;
}

PlatResult PngFinishDeflated(PngStream* s, uint32_t adler) {
    // An empty last block with fixed codes closes the deflate stream.
    const uint8_t lastBlock[2] = {0x03, 0x00};
    const PlatResult added = PngAddDeflated(s, lastBlock, sizeof lastBlock);
    if (!added) {
        PngAbandon(s);
        return added;
    }
    s->Adler = adler;
    s->RowsIn = s->Height;
    return PngFinish(s);
}
