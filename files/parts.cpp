// files/parts.cpp - part files: written band by band like a poster, checked, and joined by
// copying their deflated bytes into the picture file's IDAT chunks.
//
// A part file is its deflated rows, then its record as lines of text, the last line of a fixed
// length giving the record's length, so a reader finds the record from the file's end.
#include "files/parts.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>
#include <zlib.h>
#include "files/overlap.h"
#include "files/params.h"
#include "files/png.h"
#include "files/png_rows.h"

namespace {
constexpr const char* RecordTitle = "zentrix-render part";
// The three number formats compute the same bits on the scalar, AVX2 and AVX-512 paths, so
// parts from any of them join.
constexpr const char* Arithmetic = "bit-exact on every kernel path";
constexpr const char* LengthKey = "record-bytes ";
constexpr int LengthDigits = 10;
constexpr int LengthLine = 13 + LengthDigits + 1;   // the key, the digits, the line end
constexpr int64_t LargestRecord = 65536;
constexpr int64_t ReadPiece = int64_t(1) << 20;        // bytes read at a time
constexpr int64_t AdlerPrime = 65521;
constexpr int32_t BandsPerPart = 4, MinBandRows = 16;
constexpr int64_t EncoderBytes = int64_t(8) << 20;     // pixels' bytes handed to the encoder at a time

struct Record {
    std::string Text;       // the whole record
    int64_t     PayloadBytes;
    uint32_t    PayloadCrc, Adler;
    int64_t     FilteredBytes;
};

// The first line where two texts differ, for saying how a part is foreign.
std::string FirstDifference(const std::string& want, const std::string& have) {
    size_t at = 0;
    while (at < want.size() && at < have.size() && want[at] == have[at]) ++at;
    const size_t line = want.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = line == std::string::npos || at == 0 ? 0 : line + 1;
    auto lineAt = [&](const std::string& s) { return s.substr(from, s.find('\n', from) - from); };
    return "it says \"" + lineAt(have) + "\" where this command has \"" + lineAt(want) + "\"";
}

// Reads the record at the end of the part file; false when there is no whole one.
bool ReadRecord(const std::string& path, int64_t size, Record* r) {
    char tail[LengthLine + 1] = {};
    if (size < LengthLine || PlatReadFileAt(path.c_str(), size - LengthLine, tail, LengthLine) != LengthLine ||
        std::strncmp(tail, LengthKey, std::strlen(LengthKey)) != 0)
        return false;
    const long long length = std::atoll(tail + std::strlen(LengthKey));
    if (length < LengthLine || length > LargestRecord || length > size) return false;
    r->Text.assign(size_t(length), '\0');
    if (PlatReadFileAt(path.c_str(), size - length, r->Text.data(), length) != length) return false;
    r->PayloadBytes = size - length;
    unsigned crc = 0, adler = 0;
    long long bytes = -1, filtered = -1;
    const size_t payload = r->Text.find("\npayload "), sums = r->Text.find("\nfiltered ");
    if (payload == std::string::npos || sums == std::string::npos ||
        std::sscanf(r->Text.c_str() + payload, "\npayload %lld crc32 %x", &bytes, &crc) != 2 ||
        std::sscanf(r->Text.c_str() + sums, "\nfiltered %lld adler32 %x", &filtered, &adler) != 2)
        return false;
    r->PayloadCrc = crc;
    r->Adler = adler;
    r->FilteredBytes = filtered;
    return bytes == r->PayloadBytes;
}

// The lines a part's record begins with: the command, then which part of it.
std::string RecordHead(const PartPlan& plan, int32_t index) {
    const PartRows rows = RowsOfPart(plan.Height, plan.Count, index);
    char text[160];
    std::snprintf(text, sizeof text, "part %d of %d\nrows %d to %d of %dx%d\n", int(index), int(plan.Count),
                  int(rows.First), int(rows.First + rows.Rows - 1), int(plan.Width), int(plan.Height));
    return plan.Identity + text;
}

int64_t FilteredBytesOf(const PartPlan& plan, int32_t index) {
    return int64_t(RowsOfPart(plan.Height, plan.Count, index).Rows) * (int64_t(plan.Width) * RgbBytesPerPixel + 1);
}

// Finds the part's record and checks that it belongs to this command; the payload is not read.
PartState OpenPart(const PartPlan& plan, int32_t index, Record* r, std::string* why) {
    const std::string path = PartFileName(plan, index);
    const int64_t size = PlatFileSize(path.c_str());
    if (size < 0) {
        *why = "part " + std::to_string(index) + " is missing (" + path + ")";
        return PartState::Absent;
    }
    if (!ReadRecord(path, size, r) || r->FilteredBytes != FilteredBytesOf(plan, index)) {
        *why = "part " + std::to_string(index) + " is damaged (" + path + ")";
        return PartState::Damaged;
    }
    const std::string head = RecordHead(plan, index);
    if (r->Text.compare(0, head.size(), head) != 0) {
        *why = "part " + std::to_string(index) + " (" + path + ") belongs to another command: " +
               FirstDifference(head, r->Text);
        return PartState::Foreign;
    }
    return PartState::Finished;
}

// Reads the payload piece by piece into `use` (which may be null), checking its CRC.
bool ReadPayload(const std::string& path, const Record& r, std::vector<char>& buffer,
                 const std::function<bool(const uint8_t*, size_t)>& use) {
    uLong crc = crc32(0, nullptr, 0);
    for (int64_t at = 0; at < r.PayloadBytes;) {
        const int64_t want = std::min(ReadPiece, r.PayloadBytes - at);
        if (PlatReadFileAt(path.c_str(), at, buffer.data(), want) != want) return false;
        const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
        crc = crc32_z(crc, bytes, size_t(want));
        if (use && !use(bytes, size_t(want))) return false;
        at += want;
    }
    return uint32_t(crc) == r.PayloadCrc;
}

// Where the part's deflated rows go: the file, counted and checksummed on the way.
struct PayloadSink {
    PlatFileWriter* File;
    uLong   Crc;
    int64_t Bytes;
};

bool ToPartFile(void* context, const uint8_t* bytes, size_t length) {
    auto* sink = static_cast<PayloadSink*>(context);
    sink->Crc = crc32_z(sink->Crc, bytes, length);
    sink->Bytes += int64_t(length);
    return bool(PlatWriteBytes(sink->File, bytes, int64_t(length)));
}

// Encodes a band of rows and adds them to the checksum of the decoded rows.
PlatResult EncodeBand(PngStream* png, const RgbPixel* rows, int32_t count, int32_t w, uint8_t* rgb, uLong* crc) {
    const int32_t step = int32_t(std::max<int64_t>(1, EncoderBytes / (int64_t(w) * RgbBytesPerPixel)));
    for (int32_t r = 0; r < count; ++r) {
        ToRgbRow(rows + size_t(r) * size_t(w), w, rgb);
        *crc = crc32_z(*crc, rgb, size_t(w) * RgbBytesPerPixel);
    }
    PlatResult result = PlatDone();
    for (int32_t r = 0; r < count && result; r += step)
        result = PngAddRows(png, rows + size_t(r) * size_t(w), std::min(step, count - r), w);
    return result;
}
}  // namespace

PartRows RowsOfPart(int32_t height, int32_t count, int32_t index) {
    const int32_t first = int32_t(int64_t(index) * height / count);
    return PartRows{first, int32_t(int64_t(index + 1) * height / count) - first};
}

std::string PartIdentity(const ViewParams& loaded, const char* pixelOptions) {
    char file[ParamFileMaxBytes];
    const int n = FormatParameterFile(loaded, "", file, sizeof file);
    // The view as the values of its file, without the comment lines.
    std::string view;
    for (int i = 0; i < n; ++i) {
        if (file[i] != '$') continue;
        int end = i;
        while (end < n && file[end] != ' ' && file[end] != '\r') ++end;
        if (!view.empty()) view += ' ';
        view.append(file + i, size_t(end - i));
        i = end;
    }
    return std::string(RecordTitle) + "\nversion " ZENTRIX_VERSION "\narithmetic " + Arithmetic + "\nview " + view +
           "\noptions " + pixelOptions + "\n";
}

std::string PartsFolderOf(const char* output) {
    std::string folder(output);   // a frames folder may be named with a final separator
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == PlatPathSeparator())) folder.pop_back();
    return folder + ".parts";
}

std::string PartFileName(const PartPlan& plan, int32_t index) {
    char name[48];
    std::snprintf(name, sizeof name, "%cpart-%05d-of-%05d", PlatPathSeparator(), int(index), int(plan.Count));
    return plan.Folder + name;
}

PartState CheckPart(const PartPlan& plan, int32_t index, std::string* why) {
    Record r;
    const PartState state = OpenPart(plan, index, &r, why);
    if (state != PartState::Finished) return state;
    std::vector<char> buffer;
    try {
        buffer.resize(size_t(ReadPiece));
    } catch (const std::bad_alloc&) {
        *why = "out of memory";
        return PartState::Damaged;
    }
    if (ReadPayload(PartFileName(plan, index), r, buffer, nullptr)) return PartState::Finished;
    *why = "part " + std::to_string(index) + " is damaged (" + PartFileName(plan, index) + ")";
    return PartState::Damaged;
}

PlatResult WritePart(const PartPlan& plan, int32_t index, const PartRowSource& source) {
    const PartRows part = RowsOfPart(plan.Height, plan.Count, index);
    // A part in several bands keeps the encoder busy beside the computing; in one band its
    // whole encoding would come after it.
    const int32_t w = plan.Width;
    const int32_t bandRows = std::min(plan.BandRows, std::max(MinBandRows, (part.Rows + BandsPerPart - 1) / BandsPerPart));
    std::unique_ptr<RgbPixel[]> bands[2];
    for (auto& b : bands) b.reset(new (std::nothrow) RgbPixel[size_t(w) * size_t(bandRows)]);
    std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[size_t(w) * RgbBytesPerPixel]);
    std::unique_ptr<uint8_t[]> above(new (std::nothrow) uint8_t[size_t(w) * RgbBytesPerPixel]);
    if (!bands[0] || !bands[1] || !rgb || !above) return PlatOutOfMemory();
    // The first row is filtered against the row above it, computed once more here.
    if (part.First > 0) {
        if (!source(part.First - 1, 1, bands[0].get())) return PlatCancelled();
        ToRgbRow(bands[0].get(), w, above.get());
    }
    PlatResult result = PlatCreateFolder(plan.Folder.c_str());
    if (!result) return result;
    const std::string path = PartFileName(plan, index);
    PayloadSink sink{PlatBeginFile(path.c_str(), &result), crc32(0, nullptr, 0), 0};
    if (!sink.File) return result;
    PngStream* png = PngStartRows(ToPartFile, &sink, w, part.Rows, part.First > 0 ? above.get() : nullptr, &result);
    if (!png) {
        PlatAbandonFile(sink.File);
        return result;
    }
    // A band is encoded on a thread of its own while the next one computes, as a poster's.
    uLong rgbCrc = crc32(0, nullptr, 0);
    const int32_t bandCount = (part.Rows + bandRows - 1) / bandRows;
    auto rowsOf = [&](int32_t band) { return std::min(bandRows, part.Rows - band * bandRows); };
    result = ComputeWhileUsing(
        bandCount, [&](int32_t i) { return source(part.First + i * bandRows, rowsOf(i), bands[i & 1].get()); },
        [&](int32_t i) { return EncodeBand(png, bands[i & 1].get(), rowsOf(i), w, rgb.get(), &rgbCrc); });
    uint32_t adler = 0;
    const PlatResult encoded = PngFinishRows(png, &adler);
    if (result && !encoded) result = encoded;
    if (!result) {
        PlatAbandonFile(sink.File);
        return result;
    }
    char sums[160];
    std::snprintf(sums, sizeof sums, "rgb crc32 %08x\nfiltered %lld adler32 %08x\npayload %lld crc32 %08x\n",
                  unsigned(rgbCrc), (long long)FilteredBytesOf(plan, index), unsigned(adler), (long long)sink.Bytes,
                  unsigned(sink.Crc));
    std::string record = RecordHead(plan, index) + sums;
    char last[LengthLine + 1];
    std::snprintf(last, sizeof last, "%s%0*lld\n", LengthKey, LengthDigits, (long long)(record.size() + LengthLine));
    record += last;
    result = PlatWriteBytes(sink.File, record.data(), int64_t(record.size()));
    if (!result) {
        PlatAbandonFile(sink.File);
        return result;
    }
    return PlatFinishFile(sink.File);
}

PlatResult JoinParts(const PartPlan& plan, const char* path) {
    std::vector<Record> records(size_t(plan.Count));
    std::string why;
    for (int32_t i = 0; i < plan.Count; ++i) {
        if (OpenPart(plan, i, &records[size_t(i)], &why) != PartState::Finished) return PlatFailed(why.c_str());
        records[size_t(i)].Text = std::string();   // the sums are all the join needs
    }
    std::vector<char> buffer;
    try {
        buffer.resize(size_t(ReadPiece));
    } catch (const std::bad_alloc&) {
        return PlatOutOfMemory();
    }
    PlatResult result = PlatDone();
    PngStream* png = PngStart(path, plan.Width, plan.Height, &result);
    if (!png) return result;
    uLong adler = 0;
    for (int32_t i = 0; i < plan.Count; ++i) {
        const Record& r = records[size_t(i)];
        const bool intact = ReadPayload(PartFileName(plan, i), r, buffer, [&](const uint8_t* bytes, size_t n) {
            return bool(result = PngAddDeflated(png, bytes, n));
        });
        if (!intact || PlatCancelRequested()) {
            PngAbandon(png);
            if (PlatCancelRequested()) return PlatCancelled();
            if (!result) return result;
            why = "part " + std::to_string(i) + " is damaged (" + PartFileName(plan, i) + ")";
            return PlatFailed(why.c_str());
        }
        // The combination needs the length only modulo Adler-32's prime, which fits z_off_t everywhere.
        adler = i == 0 ? r.Adler : adler32_combine(adler, r.Adler, z_off_t(r.FilteredBytes % AdlerPrime));
    }
    return PngFinishDeflated(png, uint32_t(adler));
}
