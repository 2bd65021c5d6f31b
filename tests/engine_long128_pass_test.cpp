// The eight-lane long128 pass against Long128Arith::Pass, lane by lane: the escape bit and the
// new z of every lane, bit for bit (the pass forms the scalar z in escaping lanes too, so
// orbits can be followed past their escape and their wrapped sums checked). It runs on the
// emulated IFMA operations everywhere, and on the real instructions when the processor has
// them.
#include <gtest/gtest.h>
#include <immintrin.h>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>
#define ZENTRIX_EMULATED_VECTORS 1   // the pass also on emulated instructions, outside a target region
#include "engine/kernel_long128.h"
#include "engine/vector_prelude.h"
#include "tests/ifma_emul.h"

// The pass once for plain code (the emulation) ...
namespace emul {
#include "engine/simd_long128_pass.h"
}
// ... and the pass of one orbit written out in instructions (the avx2 path's, with BMI2).
#include "engine/simd_long128_mulx.h"

namespace {
// Eight coordinates in the pass's limbs, lane j of limb i at l[i][j].
struct Limbs8 {
    int64_t l[3][8];
};
struct Orbits8 {
    Limbs8 x, y, cx, cy;
};
}  // namespace

// ... and once for the processors with AVX-512 IFMA.
#define ZENTRIX_VECTOR_TARGET "avx512f,avx512ifma"
#include "engine/vector_region_begin.h"
#include "engine/simd_ifma_ops.h"
namespace ifma {
#include "engine/simd_long128_pass.h"
}
namespace {
ifma::Limbs128<Ifma512Ops> LoadHw(const Limbs8& v) {
    return {_mm512_loadu_si512(v.l[0]), _mm512_loadu_si512(v.l[1]), _mm512_loadu_si512(v.l[2])};
}
void StoreHw(const ifma::Limbs128<Ifma512Ops>& v, Limbs8& to) {
    _mm512_storeu_si512(to.l[0], v.l0);
    _mm512_storeu_si512(to.l[1], v.l1);
    _mm512_storeu_si512(to.l[2], v.l2);
}
unsigned HardwarePass(Orbits8& o) {
    auto x = LoadHw(o.x), y = LoadHw(o.y);
    const unsigned out = ifma::PassLong128<Ifma512Ops>(x, y, LoadHw(o.cx), LoadHw(o.cy));
    StoreHw(x, o.x);
    StoreHw(y, o.y);
    return out;
}
void HardwareLimbs(const long128* v, Limbs8& to) {
    int64_t lo[8], hi[8];
    for (int j = 0; j < 8; ++j) lo[j] = int64_t(v[j].lo), hi[j] = int64_t(v[j].hi);
    StoreHw(ifma::Limbs128Of<Ifma512Ops>(_mm512_loadu_si512(lo), _mm512_loadu_si512(hi)), to);
}
}  // namespace
#include "engine/vector_region_end.h"

namespace {
typedef EmulIfmaOps E;
constexpr uint64_t Two = uint64_t(1) << 57;   // 2.0 in the high word
const uint64_t Max39 = uint64_t(3.9 * 0x1p56);   // the kernel's c lies in (-3.9, 3.9)

emul::Limbs128<E> LoadEmul(const Limbs8& v) {
    emul::Limbs128<E> r;
    for (int j = 0; j < 8; ++j) r.l0.lane[j] = v.l[0][j], r.l1.lane[j] = v.l[1][j], r.l2.lane[j] = v.l[2][j];
    return r;
}
void StoreEmul(const emul::Limbs128<E>& v, Limbs8& to) {
    for (int j = 0; j < 8; ++j) to.l[0][j] = v.l0.lane[j], to.l[1][j] = v.l1.lane[j], to.l[2][j] = v.l2.lane[j];
}
unsigned EmulatedPass(Orbits8& o) {
    auto x = LoadEmul(o.x), y = LoadEmul(o.y);
    const unsigned out = emul::PassLong128<E>(x, y, LoadEmul(o.cx), LoadEmul(o.cy));
    StoreEmul(x, o.x);
    StoreEmul(y, o.y);
    return out;
}
void EmulatedLimbs(const long128* v, Limbs8& to) {
    E::Vec lo, hi;
    for (int j = 0; j < 8; ++j) lo.lane[j] = int64_t(v[j].lo), hi.lane[j] = int64_t(v[j].hi);
    StoreEmul(emul::Limbs128Of<E>(lo, hi), to);
}

// The value of lane j, modulo 2^128, read independently of the pass.
long128 ValueOf(const Limbs8& v, int j) {
    const u128 s = u128(__int128(v.l[0][j])) + (u128(__int128(v.l[1][j])) << 52) + (u128(__int128(v.l[2][j])) << 104);
    return {uint64_t(s), uint64_t(s >> 64)};
}

// The pass of one orbit on eight lanes in turn, their values held in the limbs of the others.
unsigned MulxPass(Orbits8& o) {
    long128 x[8], y[8];
    unsigned out = 0;
    for (int j = 0; j < 8; ++j) {
        x[j] = ValueOf(o.x, j);
        y[j] = ValueOf(o.y, j);
        const long128 cx = ValueOf(o.cx, j), cy = ValueOf(o.cy, j);
        out |= unsigned(PassLong128Mulx(x[j], y[j], cx, cy) != 0) << j;
    }
    EmulatedLimbs(x, o.x);
    EmulatedLimbs(y, o.y);
    return out;
}

// One way of running the pass: on emulated or on real instructions. A pass that serves only
// orbits near the origin is checked on those alone: z in [-8, 8) and c in [-4, 4), the
// range every orbit of the kernel's pixels keeps until it escapes (and a little after).
struct Impl {
    unsigned (*pass)(Orbits8&);
    void (*limbs)(const long128*, Limbs8&);   // long128 into limbs, as the kernel loads c
    bool nearOnly = false;
};
const Impl Emulated{EmulatedPass, EmulatedLimbs}, Hardware{HardwarePass, HardwareLimbs};
const Impl Mulx{MulxPass, EmulatedLimbs, true};

bool Serves(const Impl& impl, long128 x, long128 y, long128 cx, long128 cy) {
    auto within = [](long128 v, int bits) { return ((v.hi + (uint64_t(1) << bits)) >> (bits + 1)) == 0; };
    return !impl.nearOnly || (within(x, 59) && within(y, 59) && within(cx, 58) && within(cy, 58));
}

struct Orbit {
    long128 x, y, cx, cy;
};

// Follows eight orbits `passes` passes on through the pass and through the scalar pass; the
// number of lanes that differ in a pass (escape bit or new z), the first few reported.
// The lanes keep the limbs the pass leaves, so later passes start from unreduced limbs.
long Follow(const Impl& impl, const Orbit* start, long passes) {
    Orbits8 o;
    long128 x[8], y[8], cx[8], cy[8];
    for (int j = 0; j < 8; ++j) x[j] = start[j].x, y[j] = start[j].y, cx[j] = start[j].cx, cy[j] = start[j].cy;
    impl.limbs(x, o.x);
    impl.limbs(y, o.y);
    impl.limbs(cx, o.cx);
    impl.limbs(cy, o.cy);
    static long reported = 0;
    long bad = 0;
    bool served[8];
    for (int j = 0; j < 8; ++j) served[j] = true;
    for (long k = 0; k < passes; ++k) {
        const unsigned out = impl.pass(o);
        for (int j = 0; j < 8; ++j) {
            long128 nx, ny;
            const bool ref = Long128Arith::Pass(x[j], y[j], cx[j], cy[j], nx, ny);
            const bool got = (out >> j) & 1;
            served[j] = served[j] && Serves(impl, x[j], y[j], cx[j], cy[j]);
            if (served[j] && (got != ref || !(ValueOf(o.x, j) == nx) || !(ValueOf(o.y, j) == ny))) {
                if (reported++ < 5)
                    ADD_FAILURE() << std::hex << "pass " << k << ", lane " << j << ": x " << x[j].hi << ":" << x[j].lo
                                  << " y " << y[j].hi << ":" << y[j].lo << " cx " << cx[j].hi << ":" << cx[j].lo
                                  << " cy " << cy[j].hi << ":" << cy[j].lo << ", escape " << got << " / " << ref;
                ++bad;
            }
            x[j] = nx;
            y[j] = ny;
        }
    }
    return bad;
}

// n orbits from next(), each one pass (or `passes`), eight at a time.
template <class Next>
long Mismatches(const Impl& impl, long n, Next next, long passes = 1) {
    long bad = 0;
    for (long i = 0; i < n; i += 8) {
        Orbit o[8];
        for (Orbit& l : o) l = next();
        bad += Follow(impl, o, passes);
    }
    return bad;
}

long128 Random128(std::mt19937_64& rng) { return {rng(), rng()}; }
long128 Shr128(long128 v, int n) {   // arithmetic
    const __int128 s = __int128((u128(v.hi) << 64) | v.lo) >> n;
    return {uint64_t(s), uint64_t(u128(s) >> 64)};
}

// A coordinate of an orbit in one of several shapes: in [-2, 2), in [-8, 8), any words (their
// squares wrap), small of either sign (0 and -2^-120 among them), with many low bits clear,
// or a run of ones or zeros ending at a random bit (carries through every limb boundary).
long128 RandomZ(std::mt19937_64& rng) {
    const long128 r = Random128(rng);
    const int k = int(rng() % 128);
    switch (rng() % 7) {
    case 0:
    case 1: return {r.lo, (r.hi >> 6) - Two};
    case 2: return {r.lo, (r.hi >> 4) - 4 * Two};
    case 3: return r;
    case 4: return Shr128(r, k);
    case 5: {
        const long128 v = {r.lo, (r.hi >> 5) - 2 * Two};
        if (k < 64) return {v.lo & ~((uint64_t(1) << k) - 1), v.hi};
        return {0, v.hi & ~((uint64_t(1) << (k - 64)) - 1)};
    }
    default: {
        const long128 ones = Shr128({~uint64_t(0), ~uint64_t(0) >> 1}, 126 - k % 127);   // 2^(k+1) - 1
        return rng() & 1 ? ones : Neg128(ones);
    }
    }
}
long128 RandomC(std::mt19937_64& rng) {
    if (rng() % 16 == 0) return Random128(rng);   // any words: the sums wrap
    return {rng(), rng() % (2 * Max39) - Max39};
}

long RandomOrbits(const Impl& impl, long n) {
    std::mt19937_64 rng(128);
    return Mismatches(impl, n, [&] { return Orbit{RandomZ(rng), RandomZ(rng), RandomC(rng), RandomC(rng)}; });
}

// Random orbits followed 24 passes, most of them past their escape.
long FollowedOrbits(const Impl& impl, long n) {
    std::mt19937_64 rng(24);
    return Mismatches(
        impl, n,
        [&] {
            const long128 c[2] = {RandomC(rng), RandomC(rng)};
            return Orbit{c[0], c[1], c[0], c[1]};
        },
        24);
}

// Every pair of edge values, with c at the kernel's extremes and at words whose sums wrap.
long EdgeValues(const Impl& impl) {
    std::vector<long128> z = {{0, 0}, {1, 0}, {~0ull, ~0ull}, {~1ull, ~0ull}, {0, Two}, {0, 0 - Two},
                              {1, 0 - Two}, {~0ull, Two - 1}, {0, Two / 2}, {0, 0 - Two / 2},
                              {~0ull, 0 - Two / 2 - 1}, {0, uint64_t(1) << 63}, {~0ull, ~0ull >> 1},
                              {0x6a09e667f3bcc908, uint64_t(std::sqrt(2.0) * 0x1p56)}};   // sqrt 2
    for (int k : {51, 52, 53, 63, 64, 65, 103, 104, 105, 115, 116, 119, 120, 121, 122, 123, 126}) {
        const long128 p = k < 64 ? long128{uint64_t(1) << k, 0} : long128{0, uint64_t(1) << (k - 64)};
        const long128 q = Sub128(p, {1, 0});
        for (long128 v : {p, q}) z.insert(z.end(), {v, Neg128(v), {~v.lo, ~v.hi}});
    }
    const long128 c[] = {{0, 0}, {~0ull, Max39}, {1, 0 - Max39}, {~0ull, ~0ull}, {0, uint64_t(1) << 63}, {3, 0x5555555555555555}};
    const long nz = long(z.size()), nc = sizeof c / sizeof c[0];
    long i = 0;
    return Mismatches(impl, nz * nz * nc * nc, [&] {
        const long k = i++ % (nz * nz * nc * nc);
        return Orbit{z[k % nz], z[k / nz % nz], c[k / (nz * nz) % nc], c[k / (nz * nz * nc)]};
    });
}

// Orbits with sx + sy around 4: for a random x in [-2, 2), the least magnitude whose square
// reaches 4 - sx, and its neighbours, as y of either sign; c random.
long EscapeBoundary(const Impl& impl, long n) {
    std::mt19937_64 rng(4);
    Orbit pending[10];
    int left = 0;
    return Mismatches(impl, n, [&] {
        if (left == 0) {
            const long128 x = {rng(), (rng() >> 6) - Two};
            const u128 need = (u128(1) << 122) - ((u128(Square128(x).hi) << 64) | Square128(x).lo);
            u128 lo = 0, hi = u128(1) << 122;   // the least m with floor(m^2 / 2^120) >= need
            while (lo < hi) {
                const u128 mid = lo + (hi - lo) / 2;
                const long128 s = Square128({uint64_t(mid), uint64_t(mid >> 64)});
                if (((u128(s.hi) << 64) | s.lo) >= need)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            for (int k = 0; k < 5; ++k) {
                const u128 m = lo + k - 2;
                const long128 y = {uint64_t(m), uint64_t(m >> 64)};
                pending[2 * k] = {x, y, RandomC(rng), RandomC(rng)};
                pending[2 * k + 1] = {x, {~y.lo, ~y.hi}, RandomC(rng), RandomC(rng)};   // magnitude m
            }
            left = 10;
        }
        Orbit o = pending[--left];
        if (rng() & 1) std::swap(o.x, o.y);
        return o;
    });
}

// Eight whole orbits of the kernel's kind, z0 = c, 100000 passes.
long LongOrbits(const Impl& impl) {
    const char* points[8][2] = {  // (cx, cy); cy is the real part
        {"0", "0.25000001"},     {"0.01", "-0.75"},  {"1", "0"},     {"0", "-2"},
        {"0", "-1.401155189092"}, {"0.13182590420531197049", "-0.74364388703715870475"},
        {"0.6", "-0.4"},         {"-0.0000000001", "-1.75"}};
    Orbit o[8];
    for (int i = 0; i < 8; ++i) {
        o[i].x = o[i].cx = DecimalToLong128(points[i][0]);
        o[i].y = o[i].cy = DecimalToLong128(points[i][1]);
    }
    return Follow(impl, o, 100000);
}

bool HasIfma() { return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512ifma"); }

// Orbits that start near the origin, of which the pass on one orbit is checked (Impl).
long NearOrbits(const Impl& impl, long n) {
    std::mt19937_64 rng(16);
    return Mismatches(impl, n, [&] {
        const int s = int(rng() % 3);   // [-2, 2), [-4, 4), [-8, 8)
        auto near = [&](int extra) { const long128 r = RandomZ(rng); return long128{r.lo, (r.hi >> (6 - extra)) - (Two << extra)}; };
        return Orbit{near(s), near(s), near(s < 2 ? s : 1), near(s < 2 ? s : 1)};
    }, 4);
}
}  // namespace

// The emulation of the instructions the long128 pass adds to the Fixed60 one.
TEST(Long128Pass, EmulatedInstructions) {
    E::Vec a = E::Set1(-5), b = E::Set1(3);
    a.lane[2] = INT64_MIN;
    EXPECT_EQ(E::ShiftRightArith<1>(a).lane[0], -3);   // floor, not towards zero
    EXPECT_EQ(E::ShiftRightArith<63>(a).lane[2], -1);
    EXPECT_EQ(E::ShiftRightArith<40>(E::Set1(int64_t(1) << 62)).lane[7], int64_t(1) << 22);
    EXPECT_EQ(E::Xor(a, b).lane[1], -8);
    EXPECT_EQ(E::And(a, b).lane[1], 3);
    const E::Vec d = E::MaskSub(E::Set1(9), 0x81, a, b);
    EXPECT_EQ(d.lane[0], -8);
    EXPECT_EQ(d.lane[1], 9);
    EXPECT_EQ(d.lane[7], -8);
    EXPECT_EQ(E::NotEqual(a, E::Set1(-5)), 0x04);
}

// The limbs of a long128 hold its value, and the reduced form the pass relies on.
TEST(Long128Pass, LimbsOfLong128) {
    std::mt19937_64 rng(3);
    for (const Impl* impl : {&Emulated, &Hardware}) {
        if (impl == &Hardware && !HasIfma()) continue;
        for (int n = 0; n < 1000; ++n) {
            long128 v[8];
            for (long128& w : v) w = RandomZ(rng);
            Limbs8 l;
            impl->limbs(v, l);
            for (int j = 0; j < 8; ++j) {
                EXPECT_TRUE(ValueOf(l, j) == v[j]);
                EXPECT_EQ(uint64_t(l.l[0][j]) >> 52, 0u);
                EXPECT_EQ(uint64_t(l.l[1][j]) >> 52, 0u);
                EXPECT_EQ(l.l[2][j], int64_t(v[j].hi) >> 40);
            }
        }
    }
}

TEST(Long128Pass, RandomOrbits) { EXPECT_EQ(RandomOrbits(Emulated, 2000000), 0); }
TEST(Long128Pass, FollowedOrbits) { EXPECT_EQ(FollowedOrbits(Emulated, 40000), 0); }
TEST(Long128Pass, EdgeValues) { EXPECT_EQ(EdgeValues(Emulated), 0); }
TEST(Long128Pass, EscapeBoundary) { EXPECT_EQ(EscapeBoundary(Emulated, 400000), 0); }
TEST(Long128Pass, LongOrbits) { EXPECT_EQ(LongOrbits(Emulated), 0); }

TEST(Long128Pass, Avx512Ifma) {
    if (!HasIfma()) GTEST_SKIP() << "no AVX-512 IFMA on this processor";
    EXPECT_EQ(RandomOrbits(Hardware, 4000000), 0);
    EXPECT_EQ(FollowedOrbits(Hardware, 80000), 0);
    EXPECT_EQ(EdgeValues(Hardware), 0);
    EXPECT_EQ(EscapeBoundary(Hardware, 1000000), 0);
    EXPECT_EQ(LongOrbits(Hardware), 0);
}

// The avx2 path's pass, one orbit written out in instructions, within its range.
TEST(Long128Pass, MulxNearTheOrigin) {
    if (!__builtin_cpu_supports("bmi2")) GTEST_SKIP() << "no BMI2 on this processor";
    EXPECT_EQ(NearOrbits(Mulx, 2000000), 0);
    EXPECT_EQ(RandomOrbits(Mulx, 2000000), 0);
    EXPECT_EQ(FollowedOrbits(Mulx, 40000), 0);
    EXPECT_EQ(EdgeValues(Mulx), 0);
    EXPECT_EQ(EscapeBoundary(Mulx, 400000), 0);
    EXPECT_EQ(LongOrbits(Mulx), 0);
}
