// engine/centre.cpp - arithmetic on the view's centre at every zoom: whole words with carries,
// walked from the least significant word up.
#include "engine/centre.h"
#include <cstring>
#include <vector>

namespace {
// Word i counted from the least significant end.
uint64_t& Low(CentreCoord& c, int i) { return c.W[CentreWords - 1 - i]; }
uint64_t  Low(const CentreCoord& c, int i) { return c.W[CentreWords - 1 - i]; }

// c + k * 2^-fractionBit, for 0 <= fractionBit <= CentreFractionBits.
void AddScaled(CentreCoord& c, int64_t k, int32_t fractionBit) {
    const int shift = CentreFractionBits - fractionBit;
    const int word = shift / 64, bit = shift % 64;
    const uint64_t sign = k < 0 ? ~uint64_t(0) : 0;
    const uint64_t low = uint64_t(k) << bit;
    const uint64_t high = bit ? (uint64_t(k) >> (64 - bit)) | (sign << bit) : sign;
    unsigned char carry = 0;
    for (int i = word; i < CentreWords; ++i) {
        const uint64_t add = i == word ? low : i == word + 1 ? high : sign;
        // Above the addend's two words only a carry or its sign is left to add.
        if (i > word + 1 && add == 0 && carry == 0) break;
        Low(c, i) = AddCarry(Low(c, i), add, carry, carry);
    }
}

// a - b over all words; the result read unsigned when b lies below a.
CentreCoord Difference(const CentreCoord& a, const CentreCoord& b) {
    CentreCoord d;
    unsigned char carry = 1;   // a + ~b + 1
    for (int i = 0; i < CentreWords; ++i) Low(d, i) = AddCarry(Low(a, i), ~Low(b, i), carry, carry);
    return d;
}
}  // namespace

CentreCoord CentreOf(const ViewParams& v, CentreAxis axis) {
    const long128 top = axis == AxisX ? v.Center_zX : v.Center_zY;
    const uint64_t* ext = axis == AxisX ? v.Center_zXExt : v.Center_zYExt;
    CentreCoord c;
    c.W[0] = top.hi;
    c.W[1] = top.lo;
    std::memcpy(c.W + 2, ext, sizeof(uint64_t) * CentreExtWords);
    return c;
}

void SetCentre(ViewParams& v, CentreAxis axis, const CentreCoord& c) {
    (axis == AxisX ? v.Center_zX : v.Center_zY) = CentreLong128(c);
    std::memcpy(axis == AxisX ? v.Center_zXExt : v.Center_zYExt, c.W + 2, sizeof(uint64_t) * CentreExtWords);
}

CentreCoord CentreFromLong128(long128 v) {
    CentreCoord c{};
    c.W[0] = v.hi;
    c.W[1] = v.lo;
    return c;
}

long128 CentreLong128(const CentreCoord& c) { return long128{c.W[1], c.W[0]}; }

int CompareCentre(const CentreCoord& a, const CentreCoord& b) {
    if (a.W[0] != b.W[0]) return int64_t(a.W[0]) < int64_t(b.W[0]) ? -1 : 1;
    for (int i = 1; i < CentreWords; ++i)
        if (a.W[i] != b.W[i]) return a.W[i] < b.W[i] ? -1 : 1;
    return 0;
}

CentreCoord NegatedCentre(const CentreCoord& c) { return Difference(CentreCoord{}, c); }

void AddPixels(CentreCoord& c, int64_t k, int32_t ldZoom) { AddScaled(c, k, 8 + ldZoom); }

void MoveToPixel(CentreCoord& c, int32_t pos, int32_t size, int32_t ldZoom) {
    if (ldZoom == MaxZoom) AddScaled(c, int64_t(pos) - size / 2, 8 + ldZoom);
    else AddScaled(c, 2 * int64_t(pos) - size, 9 + ldZoom);   // in half pixels
}

int32_t WholePixelsBetween(const CentreCoord& from, const CentreCoord& to, int32_t ldZoom, int32_t cap) {
    if (CompareCentre(to, from) < 0) return 0;
    // The distance may exceed 128, so it is read unsigned; a pixel is 2^shift units.
    const CentreCoord d = Difference(to, from);
    const int shift = CentreFractionBits - 8 - ldZoom;
    const int word = shift / 64, bit = shift % 64;
    for (int i = word + 2; i < CentreWords; ++i)
        if (Low(d, i) != 0) return cap;
    const u128 pair = (word + 1 < CentreWords ? u128(Low(d, word + 1)) << 64 : 0) | Low(d, word);
    const u128 pixels = pair >> bit;
    return pixels < u128(uint32_t(cap)) ? int32_t(pixels) : cap;
}

CentreCoord CentreLimit(int32_t pixels, int32_t ldZoom) {
    // The long128 limit truncates the half picture to its unit, as the long128 origin does.
    if (ldZoom <= MaxZoom) return CentreFromLong128(CentreLimitFor(pixels, ldZoom));
    CentreCoord c{};
    c.W[0] = uint64_t(1) << 63;   // -128, the lowest coordinate
    AddScaled(c, pixels, 9 + ldZoom);
    return NegatedCentre(c);
}

bool KeepCoordWithin(CentreCoord& c, const CentreCoord& limit) {
    if (CompareCentre(limit, c) < 0) {
        c = limit;
        return true;
    }
    const CentreCoord low = NegatedCentre(limit);
    if (CompareCentre(c, low) < 0) {
        c = low;
        return true;
    }
    return false;
}

void TruncateCentre(CentreCoord& c, int32_t fractionBits) {
    if (fractionBits >= CentreFractionBits) return;
    const int drop = CentreFractionBits - (fractionBits < 0 ? 0 : fractionBits);
    const int word = drop / 64, bit = drop % 64;
    for (int i = 0; i < word && i < CentreWords; ++i) Low(c, i) = 0;
    if (word < CentreWords) Low(c, word) &= ~uint64_t(0) << bit;
}

bool DecimalToCentre(const char* text, CentreCoord* out) {
    const char* s = text;
    const bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    uint64_t whole = 0;
    const char* digits = s;
    for (; *s >= '0' && *s <= '9'; ++s) {
        whole = whole * 10 + uint64_t(*s - '0');
        if (whole >= 128) return false;
    }
    bool any = s > digits;
    const char* fraction = s;
    if (*s == '.') {
        fraction = ++s;
        while (*s >= '0' && *s <= '9') ++s;
        any = any || s > fraction;
    }
    if (!any || *s != '\0') return false;

    // The fraction's digits in groups of nine, most significant first (the last group padded
    // with zeros). Multiplying them by 2^32 carries the fraction's next 32 bits out of the top.
    constexpr uint64_t Group = 1000000000;
    const size_t count = size_t(s - fraction);
    std::vector<uint64_t> groups((count + 8) / 9, 0);
    for (size_t i = 0; i < count; ++i) groups[i / 9] = groups[i / 9] * 10 + uint64_t(fraction[i] - '0');
    if (count % 9)
        for (size_t i = count % 9; i < 9; ++i) groups.back() *= 10;
    // 32-bit pieces of the fraction, then the whole part above them: the value times 2^Bits.
    constexpr int Pieces = (CentreFractionBits + 31) / 32, Bits = 32 * Pieces;
    CentreCoord wide{};   // holds the value times 2^(Bits - CentreFractionBits) <= 2^31
    for (int p = 0; p < Pieces; ++p) {
        uint64_t carry = 0;
        for (size_t g = groups.size(); g-- > 0;) {
            const uint64_t t = (groups[g] << 32) + carry;
            groups[g] = t % Group;
            carry = t / Group;
        }
        // Piece p has weight 2^-(32 (p + 1)); in `wide` that is word bits from the bottom.
        const int at = Bits - 32 * (p + 1);
        const int word = at / 64, bit = at % 64;
        if (word < CentreWords) Low(wide, word) |= carry << bit;
    }
    // Down to the centre's last bit (towards zero: the magnitude is positive), then the
    // whole part and the sign.
    constexpr int Extra = Bits - CentreFractionBits;
    CentreCoord c{};
    for (int i = 0; i < CentreWords; ++i) {
        const uint64_t above = i + 1 < CentreWords ? Low(wide, i + 1) : 0;
        Low(c, i) = Extra ? (Low(wide, i) >> Extra) | (above << (64 - Extra)) : Low(wide, i);
    }
    c.W[0] |= whole << 56;
    *out = negative ? NegatedCentre(c) : c;
    return true;
}
