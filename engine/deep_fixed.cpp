// engine/deep_fixed.cpp - the many-word fixed-point arithmetic of the reference orbit.
#include "engine/deep_fixed.h"

namespace {

// The square of a magnitude below 4 is formed from the magnitude times 16, which still fits
// its words: the top n words of (16a)^2 = 2^8 a^2 are then the result in the format's units
// (the format's fraction is 8 bits short of whole words), and no product word needs shifting.
constexpr int PreShift = DeepIntegerBits / 2;

void ShiftUp(uint64_t* r, const uint64_t* a, int n) {
    for (int i = n - 1; i > 0; --i) r[i] = (a[i] << PreShift) | (a[i - 1] >> (64 - PreShift));
    r[0] = a[0] << PreShift;
}

// Columns k0 .. 2n-1 of the square of a (n words): out[k - k0] is word k of the square plus
// the carries of the columns from k0 up, as if the columns below k0 were zero. Column by
// column, each cross product is summed once and the sum doubled, so a square costs about
// half the word products of a general product.
void SquareColumns(const uint64_t* a, int n, int k0, uint64_t* out) {
    uint64_t c0 = 0, c1 = 0, c2 = 0;   // carry into the next column, three words
    for (int k = k0; k <= 2 * n - 2; ++k) {
        int i = k < n ? 0 : k - n + 1;
        int j = k - i;
        uint64_t s0 = 0, s1 = 0, s2 = 0;
        unsigned char f;
        for (; i < j; ++i, --j) {
            uint64_t lo, hi;
            Mul64(a[i], a[j], lo, hi);
            s0 = AddCarry(s0, lo, 0, f);
            s1 = AddCarry(s1, hi, f, f);
            s2 += f;
        }
        s2 = (s2 << 1) | (s1 >> 63);
        s1 = (s1 << 1) | (s0 >> 63);
        s0 <<= 1;
        if (i == j) {
            uint64_t lo, hi;
            Mul64(a[i], a[i], lo, hi);
            s0 = AddCarry(s0, lo, 0, f);
            s1 = AddCarry(s1, hi, f, f);
            s2 += f;
        }
        c0 = AddCarry(c0, s0, 0, f);
        c1 = AddCarry(c1, s1, f, f);
        c2 = c2 + s2 + f;
        out[k - k0] = c0;
        c0 = c1;
        c1 = c2;
        c2 = 0;
    }
    out[2 * n - 1 - k0] = c0;
}

}  // namespace

int DeepWordsFor(int fractionBits) {
    const int n = (fractionBits + DeepIntegerBits + 63) / 64;
    return n < 2 ? 2 : n;
}

void DeepLoadCentre(uint64_t* r, int n, long128 c, const uint64_t* ext, int extCount) {
    r[n - 1] = c.hi;
    r[n - 2] = c.lo;
    for (int i = 0; i < n - 2; ++i) r[n - 3 - i] = i < extCount ? ext[i] : 0;
}

void DeepAdd(uint64_t* r, const uint64_t* a, const uint64_t* b, int n) {
    unsigned char f = 0;
    for (int i = 0; i < n; ++i) r[i] = AddCarry(a[i], b[i], f, f);
}

void DeepSub(uint64_t* r, const uint64_t* a, const uint64_t* b, int n) {
    unsigned char f = 1;   // a + ~b + 1
    for (int i = 0; i < n; ++i) r[i] = AddCarry(a[i], ~b[i], f, f);
}

bool DeepAbs(uint64_t* r, const uint64_t* a, int n) {
    const uint64_t m = static_cast<uint64_t>(static_cast<int64_t>(a[n - 1]) >> 63);
    unsigned char f = static_cast<unsigned char>(m & 1);
    for (int i = 0; i < n; ++i) r[i] = AddCarry(a[i] ^ m, 0, f, f);
    return m != 0;
}

void DeepSquare(uint64_t* r, const uint64_t* a, int n, uint64_t* scratch) {
    uint64_t* shifted = scratch;
    uint64_t* cols = scratch + n;   // columns n-2 .. 2n-1
    ShiftUp(shifted, a, n);
    SquareColumns(shifted, n, n - 2, cols);
    // The columns below n-2 add less than (n-1) units of word n-1 to the square (each column k
    // sums at most k+1 products below 2^128). They change the result only when word n-1 lies
    // that close below a carry.
    if (cols[1] > ~uint64_t(0) - uint64_t(n)) {
        DeepSquareFull(r, a, n, scratch);
        return;
    }
    for (int i = 0; i < n; ++i) r[i] = cols[i + 2];
}

void DeepSquareFull(uint64_t* r, const uint64_t* a, int n, uint64_t* scratch) {
    uint64_t* shifted = scratch;
    uint64_t* cols = scratch + n;   // all 2n columns
    ShiftUp(shifted, a, n);
    SquareColumns(shifted, n, 0, cols);
    for (int i = 0; i < n; ++i) r[i] = cols[n + i];
}

void DeepToDouble(const uint64_t* mag, bool negative, int n, double& m, int32_t& e) {
    int t = n - 1;
    while (t >= 0 && mag[t] == 0) --t;
    if (t < 0) {
        m = 0.0;
        e = 0;
        return;
    }
    const int lz = __builtin_clzll(mag[t]);
    const uint64_t next = t > 0 ? mag[t - 1] : 0;
    const uint64_t top = lz == 0 ? mag[t] : (mag[t] << lz) | (next >> (64 - lz));
    bool sticky = (top & 0x3ff) != 0 || (lz != 0 && (next << lz) != 0);
    for (int i = t - 2; i >= 0 && !sticky; --i) sticky = mag[i] != 0;
    if (lz == 0 && t > 0) sticky = sticky || next != 0;
    uint64_t mant = top >> 11;   // 53 bits, the leading one at bit 52
    const bool half = ((top >> 10) & 1) != 0;
    e = 64 * t + (64 - lz) - (64 * n - DeepIntegerBits);
    if (half && (sticky || (mant & 1) != 0)) {
        ++mant;
        if (mant >> 53) {
            mant >>= 1;
            ++e;
        }
    }
    const double v = static_cast<double>(mant) * 0x1p-53;
    m = negative ? -v : v;
}
