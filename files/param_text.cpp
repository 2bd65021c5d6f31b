// files/param_text.cpp - the parameter file as text: the fixed-width writer, the token
// reader and the range check. Nothing here touches a file or a global.
#include <cstdio>
#include <cstring>
#include "files/param_text.h"
#include "engine/centre.h"

namespace {

constexpr int NumberColumn = 42;   // the last digit of every line number stands here
constexpr int CentreWordChars = 9;  // "$XXXXXXXX"
constexpr int MaxCentreFileWords = 2 * CentreWords;

struct TextOut {
    char* Out;
    int   Size;
    int   Length;
    int   LineStart;
    bool  Overflow;
};

void Put(TextOut& t, const char* s) {
    int n = static_cast<int>(std::strlen(s));
    if (t.Length + n >= t.Size) { t.Overflow = true; return; }
    std::memcpy(t.Out + t.Length, s, n);
    t.Length += n;
    t.Out[t.Length] = '\0';
}

void PutValue(TextOut& t, uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "$%08X", v);
    Put(t, s);
}

// 32-bit word k of a centre coordinate, most significant first.
uint32_t CentreWord(const CentreCoord& c, int k) { return uint32_t(c.W[k / 2] >> (k % 2 ? 0 : 32)); }

// `words` "$XXXXXXXX " words, most significant first: four are the long128.
void PutCentre(TextOut& t, const CentreCoord& c, int words) {
    char s[16];
    for (int k = 0; k < words; ++k) {
        std::snprintf(s, sizeof s, "$%08X ", CentreWord(c, k));
        Put(t, s);
    }
}

// Four "$XXXX " words of the IEEE bits, most significant first.
void PutDouble(TextOut& t, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    char s[16];
    for (int shift = 48; shift >= 0; shift -= 16) {
        std::snprintf(s, sizeof s, "$%04X ", unsigned(uint16_t(bits >> shift)));
        Put(t, s);
    }
}

void PutByte(TextOut& t, uint8_t v) {
    char s[8];
    std::snprintf(s, sizeof s, "$%02X", unsigned(v));
    Put(t, s);
}

// Pads with spaces so the line number ends in its column, then ends the line.
void EndNumberedLine(TextOut& t, int line, const char* label) {
    char number[8];
    std::snprintf(number, sizeof number, "%d", line);
    int pad = NumberColumn - static_cast<int>(std::strlen(number)) - (t.Length - t.LineStart);
    for (; pad > 0; --pad) Put(t, " ");
    Put(t, number);
    Put(t, " ");
    Put(t, label);
    Put(t, "\r\n");
    t.LineStart = t.Length;
}

struct TokenReader {
    const unsigned char* At;
    const unsigned char* End;
    bool Bad;   // a token was not a number: every later read gives 0
};

int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "$" and hexadecimal digits, or decimal digits, with an optional sign where the value
// is signed; the result is the 64-bit two's-complement pattern.
bool ConvertToken(const unsigned char* s, const unsigned char* e, bool isSigned, uint64_t* value) {
    bool negative = false;
    if (s < e && (*s == '-' || *s == '+')) {
        negative = *s == '-';
        if (negative && !isSigned) return false;
        ++s;
    }
    if (s == e) return false;
    uint64_t v = 0;
    if (*s == '$') {
        if (++s == e) return false;
        for (; s < e; ++s) {
            int d = HexDigit(*s);
            if (d < 0 || (v >> 60) != 0) return false;
            v = (v << 4) | uint64_t(d);
        }
    } else {
        for (; s < e; ++s) {
            if (*s < '0' || *s > '9') return false;
            uint64_t d = *s - '0';
            if (v > (UINT64_MAX - d) / 10) return false;
            v = v * 10 + d;
        }
        if (isSigned && v > (negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1)) return false;
    }
    *value = negative ? 0 - v : v;
    return true;
}

uint64_t ReadToken(TokenReader& r, bool isSigned = false) {
    while (r.At < r.End && *r.At <= 32) ++r.At;
    const unsigned char* start = r.At;
    while (r.At < r.End && *r.At > 32) ++r.At;
    if (r.Bad || start == r.At) return 0;
    uint64_t v;
    if (!ConvertToken(start, r.At, isSigned, &v)) {
        r.Bad = true;
        return 0;
    }
    return v;
}

// Discards the rest of the line with its break: LF, CR or CR LF.
void SkipLine(TokenReader& r) {
    while (r.At < r.End && *r.At != '\r' && *r.At != '\n') ++r.At;
    if (r.At == r.End) return;
    if (*r.At++ == '\r' && r.At < r.End && *r.At == '\n') ++r.At;
}

// A word beyond the fourth is written as the writer writes it, "$" and eight hexadecimal
// digits, on the same line; any other token after the fourth word is the line number.
bool NextIsWideWord(const TokenReader& r) {
    const unsigned char* p = r.At;
    while (p < r.End && *p <= 32 && *p != '\r' && *p != '\n') ++p;
    if (r.End - p < CentreWordChars || *p != '$') return false;
    for (int i = 1; i < CentreWordChars; ++i)
        if (HexDigit(p[i]) < 0) return false;
    return p + CentreWordChars == r.End || p[CentreWordChars] <= 32;
}

// The words of a centre line into c; false when the centre cannot hold them all.
bool ReadCentre(TokenReader& r, CentreCoord* c, int* words) {
    *c = CentreCoord{};
    int k = 0;
    for (; k < 4 || NextIsWideWord(r); ++k) {
        const uint32_t w = uint32_t(ReadToken(r));   // a longer number keeps its low 32 bits
        if (k >= MaxCentreFileWords) return false;
        c->W[k / 2] |= uint64_t(w) << (k % 2 ? 0 : 32);
    }
    *words = k;
    return true;
}

double ReadDouble(TokenReader& r) {
    uint64_t bits = 0;
    for (int i = 0; i < 4; ++i) bits = (bits << 16) | uint16_t(ReadToken(r));
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// False for a centre line the view cannot take: more words than its centre holds, or a
// different count of words than the line before.
bool ReadLineValues(TokenReader& r, int line, ViewParams* v, int* centreWords) {
    CentreCoord c;
    int words = 0;
    switch (line) {
        case 2:
        case 3:
            if (!ReadCentre(r, &c, &words) || (line == 3 && words != *centreWords)) return false;
            SetCentre(*v, line == 2 ? AxisX : AxisY, c);
            *centreWords = words;
            break;
        case 4:  v->ld_Zoom = int32_t(uint32_t(ReadToken(r, true))); break;
        case 5:  v->Iteration = int32_t(uint32_t(ReadToken(r))); break;
        case 6:  v->Color = ReadDouble(r); break;
        case 7:  v->Offset = uint32_t(ReadToken(r)); break;
        case 8:  v->Alt_Iteration = int32_t(uint32_t(ReadToken(r))); break;
        case 9:  v->Alt_Color = ReadDouble(r); break;
        case 10: v->Automatic = uint8_t(ReadToken(r)); break;
        case 11: v->FPU_Mode = uint8_t(ReadToken(r)); break;
        case 12: v->CPU_Prev = int32_t(uint32_t(ReadToken(r, true))); break;
    }
    return true;
}

// Labels are for people: the reader compares line numbers only.
const char* const LineLabels[13] = {"", "(long128)", "Center_zX", "Center_zY", "ld_Zoom", "Iteration",
                                    "Color", "Offset", "Alt_Iteration", "Alt_Color", "Automatic",
                                    "FPU_Mode", "CPU_Prev"};

void PutLineValues(TextOut& t, int line, const ViewParams& v) {
    switch (line) {
        case 1:  Put(t, "$04"); break;   // the format tag
        case 2:  PutCentre(t, CentreOf(v, AxisX), CentreFileWords(v.ld_Zoom)); break;
        case 3:  PutCentre(t, CentreOf(v, AxisY), CentreFileWords(v.ld_Zoom)); break;
        case 4:  PutValue(t, uint32_t(v.ld_Zoom)); break;
        case 5:  PutValue(t, uint32_t(v.Iteration)); break;
        case 6:  PutDouble(t, v.Color); break;
        case 7:  PutValue(t, v.Offset); break;
        case 8:  PutValue(t, uint32_t(v.Alt_Iteration)); break;
        case 9:  PutDouble(t, v.Alt_Color); break;
        case 10: PutByte(t, v.Automatic); break;
        case 11: PutByte(t, v.FPU_Mode); break;
        case 12: PutValue(t, uint32_t(v.CPU_Prev)); break;
    }
}

}  // namespace

int CentreFileWords(int32_t ldZoom) {
    if (ldZoom <= MaxZoom) return 4;
    // 32 n - 8 fraction bits hold the pixel step's 8 + ldZoom and 32 more.
    return (ldZoom + 48 + 31) / 32;
}

int FormatParameterFile(const ViewParams& v, const char* name, char* out, int outSize) {
    if (outSize <= 0) return -1;
    out[0] = '\0';
    TextOut t{out, outSize, 0, 0, false};
    for (int line = 1; line <= 12; ++line) {
        PutLineValues(t, line, v);
        EndNumberedLine(t, line, LineLabels[line]);
    }
    Put(t, "---------------------------------------\r\n");
    Put(t, "Comment: \"");
    Put(t, name);
    Put(t, "\" for x64\r\n");
    return t.Overflow ? -1 : t.Length;
}

bool ParseParameterFile(const char* text, int64_t length, ViewParams* out) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text);
    TokenReader r{begin, begin + (length > 0 ? length : 0), false};
    uint64_t tag = ReadToken(r);
    uint64_t firstLine = ReadToken(r);
    SkipLine(r);
    if (tag != 4 || firstLine != 1) return false;
    int centreWords = 0;
    for (int line = 2; line <= 12; ++line) {
        if (!ReadLineValues(r, line, out, &centreWords)) return false;
        if (ReadToken(r) != uint64_t(line)) return false;
        SkipLine(r);
    }
    return ParamsInRange(*out);
}

bool ParamsInRange(const ViewParams& v) {
    if (v.ld_Zoom < MinZoom || v.ld_Zoom > MaxDeepZoom) return false;
    uint32_t iteration = uint32_t(v.Iteration);
    if (iteration < uint32_t(MinIteration) || iteration > uint32_t(MaxIteration)) return false;
    // Asked the way round that a NaN scale, which no command can make, fails too: it would
    // colour every pixel black after a full computation.
    if (!(v.Color >= 9e-10 && v.Color <= 1.1e9)) return false;
    if (v.CPU_Prev < 0 || v.CPU_Prev > 8) return false;
    return true;
}

void FormatSaveBaseName(const PlatLocalTime& t, char* out, int outSize) {
    std::snprintf(out, outSize, "%d-%02d-%02d-%02d-%02d-%02d", t.Year, t.Month, t.Day, t.Hour,
                  t.Minute, t.Second);
}
