// engine/deep_fixed.cpp - the many-word fixed-point arithmetic of the reference orbit.
#include "engine/deep_fixed.h"

namespace {

// The square of a magnitude below 8 is formed from the magnitude times 16, which still fits
// its words: the top n words of (16a)^2 = 2^8 a^2 are then the result in the format's units
// (the format's fraction is 8 bits short of whole words), and no product word needs shifting.
constexpr int PreShift = DeepIntegerBits / 2;

void ShiftUp(uint64_t* r, const uint64_t* a, int n) {
    for (int i = n - 1; i > 0; --i) r[i] = (a[i] << PreShift) | (a[i - 1] >> (64 - PreShift));
    r[0] = a[0] << PreShift;
}

// s += x y with s2 the third word of the sum. Written on 128-bit sums, which the compiler
// turns into one add-with-carry chain; its add-with-carry intrinsics go through memory here.
inline void MulAdd(uint64_t x, uint64_t y, u128& s, uint64_t& s2) {
    const u128 p = static_cast<u128>(x) * y;
    s += p;
    s2 += s < p;
}

// Columns k0 .. 2n-1 of the square of a (n words): out[k - k0] is word k of the square plus
// the carries of the columns from k0 up, as if the columns below k0 were zero. Column by
// column, each cross product is summed once and the sum doubled, so a square costs about
// half the word products of a general product.
void SquareColumns(const uint64_t* a, int n, int k0, uint64_t* out) {
    u128 c = 0;   // carry into the next column, two words
    for (int k = k0; k <= 2 * n - 2; ++k) {
        const int i = k < n ? 0 : k - n + 1;
        const uint64_t* p = a + i;       // walks up
        const uint64_t* q = a + k - i;   // walks down to meet it
        u128 s = 0;
        uint64_t s2 = 0;
        for (int m = (k - 2 * i + 1) / 2; m >= 4; m -= 4, p += 4, q -= 4) {
            MulAdd(p[0], q[0], s, s2);
            MulAdd(p[1], q[-1], s, s2);
            MulAdd(p[2], q[-2], s, s2);
            MulAdd(p[3], q[-3], s, s2);
        }
        for (; p < q; ++p, --q) MulAdd(p[0], q[0], s, s2);
        s2 = (s2 << 1) | static_cast<uint64_t>(s >> 127);
        s <<= 1;
        if (p == q) MulAdd(p[0], p[0], s, s2);
        s += c;
        s2 += s < c;
        out[k - k0] = static_cast<uint64_t>(s);
        c = (s >> 64) | (static_cast<u128>(s2) << 64);
    }
    out[2 * n - 1 - k0] = static_cast<uint64_t>(c);
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
    u128 t = 0;
    for (int i = 0; i < n; ++i) {
        t = static_cast<u128>(a[i]) + b[i] + (t >> 64);
        r[i] = static_cast<uint64_t>(t);
    }
}

void DeepSubAdd(uint64_t* r, const uint64_t* a, const uint64_t* b, const uint64_t* c, int n) {
    // The running sum with its carry or borrow of -1, 0 or 1, as one signed 128-bit number.
    __int128 t = 0;
    for (int i = 0; i < n; ++i) {
        t = (t >> 64) + static_cast<__int128>(a[i]) - b[i] + c[i];
        r[i] = static_cast<uint64_t>(t);
    }
}

bool DeepAbs(uint64_t* r, const uint64_t* a, int n) {
    const uint64_t m = static_cast<uint64_t>(static_cast<int64_t>(a[n - 1]) >> 63);
    u128 t = static_cast<u128>(m & 1) << 64;
    for (int i = 0; i < n; ++i) {
        t = static_cast<u128>(a[i] ^ m) + (t >> 64);
        r[i] = static_cast<uint64_t>(t);
    }
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
    const uint64_t top = lz == 0 ? mag[t] : (mag[t] << lz) | (next >> (64 - lz));   // 64 leading bits
    const uint64_t rest = lz == 0 ? next : next << lz;                                 // the word's bits below them
    bool sticky = (top & 0x3ff) != 0 || rest != 0;
    for (int i = t - 2; i >= 0 && !sticky; --i) sticky = mag[i] != 0;
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
