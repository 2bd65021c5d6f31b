// The vector Fixed60 passes against Fixed60Arith::Pass, lane by lane: the escape bit of every
// lane, and the new z of every lane that stays, bit for bit. The pass on 52-bit multiply-adds
// (IFMA) and the one on 32-bit multiplies (AVX2) run on emulated operations everywhere, and on
// the real instructions when the processor has them.
#include <gtest/gtest.h>
#include <immintrin.h>
#include <cmath>
#include <cstdint>
#include <random>
#define ZENTRIX_EMULATED_VECTORS 1   // the pass also on emulated instructions, outside a target region
#include "engine/kernel_fixed60.h"
#include "engine/vector_prelude.h"
#include "tests/ifma_emul.h"

// The pass once for plain code (the emulation) ...
namespace emul {
#include "engine/simd_fixed60_pass.h"
#include "engine/simd_fixed60_mul32.h"
}

// The pass on 32-bit multiplies works on biased words: the raw words of eight lanes (z and c)
// to the biased ones, and the new z back.
struct Biased8 {
    int64_t x[8], y[8], cx[8], cy[8];
};
inline int64_t Plus(int64_t v, long long b) { return int64_t(uint64_t(v) + uint64_t(b)); }
Biased8 ToBiased(const int64_t* x, const int64_t* y, const int64_t* cx, const int64_t* cy) {
    Biased8 b;
    for (int i = 0; i < 8; ++i) {
        b.x[i] = Plus(x[i], emul::Mul32Bias);
        b.y[i] = Plus(y[i], emul::Mul32Bias);
        b.cx[i] = Plus(cx[i], emul::Mul32BiasX);
        b.cy[i] = Plus(cy[i], emul::Mul32Bias);
    }
    return b;
}
void FromBiased(const Biased8& b, int64_t* x, int64_t* y) {
    for (int i = 0; i < 8; ++i) {
        x[i] = Plus(b.x[i], -emul::Mul32Bias);
        y[i] = Plus(b.y[i], -emul::Mul32Bias);
    }
}

// ... and once for the processors with AVX-512 IFMA.
#define ZENTRIX_VECTOR_TARGET "avx512f,avx512ifma"
#include "engine/vector_region_begin.h"
#include "engine/simd_ifma_ops.h"
namespace ifma {
#include "engine/simd_fixed60_pass.h"
}
namespace {
unsigned HardwarePass(int64_t* x, int64_t* y, const int64_t* cx, const int64_t* cy) {
    __m512i vx = _mm512_loadu_si512(x), vy = _mm512_loadu_si512(y);
    const unsigned out = ifma::PassFixed60<Ifma512Ops>(vx, vy, _mm512_loadu_si512(cx), _mm512_loadu_si512(cy));
    _mm512_storeu_si512(x, vx);
    _mm512_storeu_si512(y, vy);
    return out;
}
}  // namespace
#include "engine/vector_region_end.h"

// ... and once for the processors with AVX2, four lanes at a time.
#define ZENTRIX_VECTOR_TARGET "avx2"
#include "engine/vector_region_begin.h"
#include "engine/simd_avx2_ops.h"
namespace avx2 {
#include "engine/simd_fixed60_mul32.h"
}
namespace {
unsigned Avx2Pass(int64_t* x, int64_t* y, const int64_t* cx, const int64_t* cy) {
    typedef Avx2IntOps V;
    Biased8 b = ToBiased(x, y, cx, cy);
    unsigned out = 0;
    for (int h = 0; h < 8; h += 4) {
        V::Vec vx = V::Load(b.x + h), vy = V::Load(b.y + h);
        out |= V::Bits(avx2::PassFixed60Mul32<V>(vx, vy, V::Load(b.cx + h), V::Load(b.cy + h))) << h;
        V::Store(b.x + h, vx);
        V::Store(b.y + h, vy);
    }
    FromBiased(b, x, y);
    return out;
}
}  // namespace
#include "engine/vector_region_end.h"

namespace {
constexpr int64_t One = int64_t(1) << 60, Two = int64_t(1) << 61;
const int64_t Max39 = int64_t(3.9 * 0x1p60);   // the kernel's c lies in (-3.9, 3.9)

unsigned EmulatedPass(int64_t* x, int64_t* y, const int64_t* cx, const int64_t* cy) {
    EmulIfmaOps::Vec vx, vy, vcx, vcy;
    for (int i = 0; i < 8; ++i) {
        vx.lane[i] = x[i];
        vy.lane[i] = y[i];
        vcx.lane[i] = cx[i];
        vcy.lane[i] = cy[i];
    }
    const unsigned out = emul::PassFixed60<EmulIfmaOps>(vx, vy, vcx, vcy);
    for (int i = 0; i < 8; ++i) {
        x[i] = vx.lane[i];
        y[i] = vy.lane[i];
    }
    return out;
}

unsigned EmulatedMul32Pass(int64_t* x, int64_t* y, const int64_t* cx, const int64_t* cy) {
    typedef EmulIfmaOps V;
    Biased8 b = ToBiased(x, y, cx, cy);
    V::Vec vx = V::Load(b.x), vy = V::Load(b.y);
    const unsigned out = V::Bits(emul::PassFixed60Mul32<V>(vx, vy, V::Load(b.cx), V::Load(b.cy)));
    V::Store(b.x, vx);
    V::Store(b.y, vy);
    FromBiased(b, x, y);
    return out;
}

// One pass on eight orbits in place; the escape bits.
typedef unsigned (*PassOf8)(int64_t* x, int64_t* y, const int64_t* cx, const int64_t* cy);

struct Orbit {
    int64_t x, y, cx, cy;
};

// Runs n orbits from next() eight at a time through the pass and through the scalar pass;
// the number of lanes that differ, the first few reported.
template <class Next>
long Mismatches(PassOf8 pass, long n, Next next) {
    long bad = 0;
    for (long i = 0; i < n; i += 8) {
        Orbit o[8];
        int64_t x[8], y[8], cx[8], cy[8];
        for (int j = 0; j < 8; ++j) {
            o[j] = next();
            x[j] = o[j].x, y[j] = o[j].y, cx[j] = o[j].cx, cy[j] = o[j].cy;
        }
        const unsigned out = pass(x, y, cx, cy);
        for (int j = 0; j < 8; ++j) {
            Fixed60 nx, ny;
            const bool ref = Fixed60Arith::Pass(o[j].x, o[j].y, o[j].cx, o[j].cy, nx, ny);
            const bool got = (out >> j) & 1;
            if (got != ref || (!ref && (x[j] != nx || y[j] != ny))) {
                if (bad < 5)
                    ADD_FAILURE() << std::hex << "lane " << j << " x " << o[j].x << " y " << o[j].y << " cx " << o[j].cx
                                  << " cy " << o[j].cy << ": escape " << got << " / " << ref << ", nx " << x[j]
                                  << " / " << nx << ", ny " << y[j] << " / " << ny;
                ++bad;
            }
        }
    }
    return bad;
}

// A coordinate of an orbit in one of several shapes: anywhere in [-2, 2), in [-4, 4), any
// word, small (high limb 0 or -1), or with many low bits clear (products exact at bit 59).
int64_t RandomZ(std::mt19937_64& rng) {
    const uint64_t r = rng();
    switch (rng() % 6) {
    case 0:
    case 1: return int64_t(r >> 2) - Two;
    case 2: return int64_t(r >> 1) - 2 * Two;
    case 3: return int64_t(r);
    case 4: return int64_t(r) >> (2 + rng() % 62);
    default: return (int64_t(r) >> 2) & ~((int64_t(1) << (rng() % 62)) - 1);
    }
}
int64_t RandomC(std::mt19937_64& rng) { return int64_t(rng() % uint64_t(2 * Max39 - 1)) - (Max39 - 1); }

long RandomOrbits(PassOf8 pass, long n) {
    std::mt19937_64 rng(60);
    return Mismatches(pass, n, [&] { return Orbit{RandomZ(rng), RandomZ(rng), RandomC(rng), RandomC(rng)}; });
}

// Every pair of edge values, with c at the kernel's extremes and at words whose sums wrap.
long EdgeValues(PassOf8 pass) {
    const int64_t p59 = int64_t(1) << 59, p52 = int64_t(1) << 52;
    const int64_t root2 = int64_t(std::sqrt(2.0) * 0x1p60);   // x^2 + x^2 near 4
    const int64_t z[] = {-Two, -Two + 1, -Two + 2, Two - 1, Two - 2, Two, -Two - 1, 0, 1, -1, 2, -2,
                         p59, -p59, p59 + 1, -p59 - 1, p59 - 1, -p59 + 1, One, -One, One + 1, -One - 1,
                         p52, p52 - 1, -p52, -p52 + 1, 3 * p52 + 7, -(3 * p52 + 7), root2, root2 + 1,
                         -root2, -root2 - 1, INT64_MIN, INT64_MAX, 3 * Two, -3 * Two, 5, -7 * p59};
    const int64_t c[] = {0, Max39 - 1, -(Max39 - 1), 1, -1, INT64_MAX, INT64_MIN, 0x5555555555555555};
    constexpr long nz = sizeof z / sizeof z[0], nc = sizeof c / sizeof c[0];
    long i = 0;
    return Mismatches(pass, nz * nz * nc * nc, [&] {
        const long k = i++;
        return Orbit{z[k % nz], z[k / nz % nz], c[k / (nz * nz) % nc], c[k / (nz * nz * nc)]};
    });
}

// floor(v^2 / 2^60) for |v| <= 2
uint64_t Square60(int64_t v) { return uint64_t((__int128(v) * v) >> 60); }

// Orbits with sx + sy around 4: for a random x, the y whose square just reaches 4 - sx and
// its neighbours, with both signs; c random or wrapping.
long EscapeBoundary(PassOf8 pass, long n) {
    std::mt19937_64 rng(4);
    Orbit pending[10];
    int left = 0;
    return Mismatches(pass, n, [&] {
        if (left == 0) {
            const int64_t x = int64_t(rng() >> 2) - Two;
            const uint64_t need = (uint64_t(1) << 62) - Square60(x);
            int64_t y = int64_t(std::sqrt(double(need)) * 0x1p30);
            while (y > 0 && Square60(y - 1) >= need) --y;
            while (y < Two && Square60(y) < need) ++y;   // the least y >= 0 with sx + sy >= 4
            for (int k = 0; k < 5; ++k) {
                const int64_t cy = rng() & 1 ? RandomC(rng) : int64_t(rng());
                pending[2 * k] = {x, y - 2 + k, RandomC(rng), cy};
                pending[2 * k + 1] = {x, -(y - 2 + k), RandomC(rng), cy};
            }
            left = 10;
        }
        Orbit o = pending[--left];
        if (rng() & 1) std::swap(o.x, o.y);
        return o;
    });
}

// Eight whole orbits pass after pass, the vector lanes against scalar orbits of their own:
// the same number of passes before the escape, and the same z at the limit.
long LongOrbits(PassOf8 pass) {
    constexpr long limit = 200000;
    const double points[8][2] = {  // (cx, cy); cy is the real part
        {0.0, 0.25 + 0x1p-22},  {0.01, -0.75},  {1.0, 0.0},       {0.0, -2.0},
        {0.0, -1.401155189092}, {0x1p-30, -1.75}, {0.6, -0.4},    {0.1100938, -0.7436439}};
    int64_t x[8], y[8], cx[8], cy[8];
    long vectorCount[8], bad = 0;
    for (int i = 0; i < 8; ++i) {
        x[i] = cx[i] = int64_t(std::ldexp(points[i][0], 60));
        y[i] = cy[i] = int64_t(std::ldexp(points[i][1], 60));
        vectorCount[i] = limit;
    }
    for (long k = 0; k < limit; ++k) {
        const unsigned out = pass(x, y, cx, cy);
        for (int i = 0; i < 8; ++i)
            if ((out >> i) & 1 && vectorCount[i] == limit) vectorCount[i] = k;
    }
    for (int i = 0; i < 8; ++i) {
        Fixed60 sx = cx[i], sy = cy[i];
        long k = 0;
        for (; k < limit; ++k) {
            Fixed60 nx, ny;
            if (Fixed60Arith::Pass(sx, sy, cx[i], cy[i], nx, ny)) break;
            sx = nx;
            sy = ny;
        }
        const bool same = k == vectorCount[i] && (k < limit || (sx == x[i] && sy == y[i]));
        if (!same) {
            ADD_FAILURE() << "orbit " << i << ": " << vectorCount[i] << " passes, scalar " << k;
            ++bad;
        }
    }
    return bad;
}

bool HasIfma() { return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512ifma"); }
}  // namespace

// The emulation is only as good as its reading of the instructions; these are the points
// where a plain reading goes wrong.
TEST(Fixed60Pass, EmulatedInstructions) {
    typedef EmulIfmaOps E;
    const int64_t m52 = (int64_t(1) << 52) - 1, high = int64_t(0xFFF) << 52;
    // Only bits 51..0 of the factors count; the sum with the accumulator wraps.
    EXPECT_EQ(E::MulAdd52Lo(E::Set1(1), E::Set1(high | 3), E::Set1(5)).lane[0], 16);
    EXPECT_EQ(E::MulAdd52Lo(E::Set1(0), E::Set1(m52), E::Set1(m52)).lane[3], 1);
    EXPECT_EQ(E::MulAdd52Hi(E::Set1(0), E::Set1(m52), E::Set1(high | m52)).lane[5], m52 - 1);
    EXPECT_EQ(E::MulAdd52Hi(E::Set1(-1), E::Set1(m52), E::Set1(m52)).lane[7], m52 - 2);
    EXPECT_EQ(E::ShiftRight<52>(E::Set1(-1)).lane[2], 0xFFF);
    E::Vec a = E::Set1(0), b = E::Set1(0);
    a.lane[1] = int64_t(1) << 62;
    b.lane[6] = INT64_MIN;
    EXPECT_EQ(E::Or3(a, b, E::Set1(4)).lane[6], INT64_MIN | 4);
    EXPECT_EQ(E::TestAny(E::Or3(a, b, E::Set1(0)), E::Set1(int64_t(3) << 62)), 0x42);
}

const PassOf8 EmulatedPasses[] = {EmulatedPass, EmulatedMul32Pass};

TEST(Fixed60Pass, RandomOrbits) {
    for (PassOf8 pass : EmulatedPasses) EXPECT_EQ(RandomOrbits(pass, 4000000), 0);
}
TEST(Fixed60Pass, EdgeValues) {
    for (PassOf8 pass : EmulatedPasses) EXPECT_EQ(EdgeValues(pass), 0);
}
TEST(Fixed60Pass, EscapeBoundary) {
    for (PassOf8 pass : EmulatedPasses) EXPECT_EQ(EscapeBoundary(pass, 1000000), 0);
}
TEST(Fixed60Pass, LongOrbits) {
    for (PassOf8 pass : EmulatedPasses) EXPECT_EQ(LongOrbits(pass), 0);
}

TEST(Fixed60Pass, Avx512Ifma) {
    if (!HasIfma()) GTEST_SKIP() << "no AVX-512 IFMA on this processor";
    EXPECT_EQ(RandomOrbits(HardwarePass, 4000000), 0);
    EXPECT_EQ(EdgeValues(HardwarePass), 0);
    EXPECT_EQ(EscapeBoundary(HardwarePass, 1000000), 0);
    EXPECT_EQ(LongOrbits(HardwarePass), 0);
}

TEST(Fixed60Pass, Avx2) {
    if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 on this processor";
    EXPECT_EQ(RandomOrbits(Avx2Pass, 4000000), 0);
    EXPECT_EQ(EdgeValues(Avx2Pass), 0);
    EXPECT_EQ(EscapeBoundary(Avx2Pass, 1000000), 0);
    EXPECT_EQ(LongOrbits(Avx2Pass), 0);
}
