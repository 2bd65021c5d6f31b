// The reference orbit of deep zoom: its fixed-point squares and conversions against exact
// ones, its values against an MPFR orbit of the same precision, when it is begun again, and
// its resumption across expired slices.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <random>
#include "engine/deep_fixed.h"
#include "engine/deep_orbit.h"
#include "engine/work.h"
#include "tests/deep_mpfr.h"

namespace {
std::mt19937_64 Rng(20261208);

// Words, least significant first, as the exact integer.
void ToMpz(mpz_t z, const std::vector<uint64_t>& w) { mpz_import(z, w.size(), -1, sizeof(uint64_t), 0, 0, w.data()); }

// One unit of the last place of the finer of the two apart at most.
bool WithinUlp(double m1, int32_t e1, double m2, int32_t e2) {
    if (m1 == 0 || m2 == 0) return m1 == m2;
    const int32_t e = std::min(e1, e2);
    if (std::max(e1, e2) - e > 1) return false;
    return std::fabs(std::ldexp(m1, e1 - e) - std::ldexp(m2, e2 - e)) <= 0x1p-53;
}

void InstallView(const char* re, const char* im, int32_t zoom, int32_t limit, bool ext) {
    View = ViewParams{};
    View.Center_zY = DecimalToLong128(re), View.Center_zX = DecimalToLong128(im);
    for (int i = 0; ext && i < CentreExtWords; ++i) View.Center_zYExt[i] = Rng(), View.Center_zXExt[i] = Rng();
    View.ld_Zoom = zoom, View.Iteration = limit;
    View.Color = 4.0;
}
}  // namespace

// Truncated and full squares both give floor(a^2) in the format's units; the magnitude just
// below 4 with every bit set makes the truncated square fall back to the full one.
TEST(DeepFixed, SquaresAreTheExactProductTruncated) {
    for (int n : {2, 3, 5, 19, 54, 158}) {
        for (int trial = 0; trial < 40; ++trial) {
            std::vector<uint64_t> a(n), r(n), full(n), scratch(3 * n);
            for (auto& w : a) w = trial == 0 ? ~uint64_t(0) : Rng();
            a[n - 1] = trial == 1 ? 0 : a[n - 1] >> (trial % 9 == 0 ? 6 : 6 + trial % 50);   // below 4
            DeepSquare(r.data(), a.data(), n, scratch.data());
            DeepSquareFull(full.data(), a.data(), n, scratch.data());
            mpz_t x, y;
            mpz_inits(x, y, nullptr);
            ToMpz(x, a), ToMpz(y, r);
            mpz_mul(x, x, x);
            mpz_fdiv_q_2exp(x, x, 64 * n - DeepIntegerBits);
            ASSERT_EQ(mpz_cmp(x, y), 0) << n << " " << trial;
            ASSERT_EQ(r, full) << n << " " << trial;
            mpz_clears(x, y, nullptr);
        }
    }
}

// Mantissa and exponent rounded to nearest, ties to even, as MPFR rounds: ties, carries into
// the next power of two, single bits, negative values.
TEST(DeepFixed, ConversionRoundsToNearest) {
    const int n = 4;
    const std::vector<std::vector<uint64_t>> cases = {
        {0, 0, 0, 0},
        {0, 0, 0, 1},
        {0, 0, 0, (uint64_t(1) << 56) | 8},                     // a tie, kept even
        {0, 0, 0, (uint64_t(1) << 56) | 24},                    // a tie, rounded up to even
        {1, 0, 0, (uint64_t(1) << 56) | 8},                     // just above a tie
        {0, 0, 0, (uint64_t(1) << 57) - 1},                     // carries to the next power
        {0, 0, (uint64_t(1) << 63) | 0x400, 0},                 // a tie in a whole word
        {0, 1, (uint64_t(1) << 63) | 0x400, 0},
        {0, 5, 0, 0}, {3, 0, 0, 0},
        {Rng(), Rng(), Rng(), Rng() >> 9}, {Rng(), Rng(), Rng(), Rng() >> 30}};
    for (const auto& w : cases)
        for (bool negative : {false, true}) {
            double m;
            int32_t e;
            DeepToDouble(w.data(), negative, n, m, e);
            mpz_t z;
            mpz_init(z);
            ToMpz(z, w);
            if (negative) mpz_neg(z, z);
            mpfr_t x;
            mpfr_init2(x, 64 * n);
            mpfr_set_z_2exp(x, z, -(64 * n - DeepIntegerBits), MPFR_RNDN);
            const DeepOrbitPoint p = deep::PointOf(x, x);
            EXPECT_TRUE(m == p.ReM && e == p.ReE) << m << " " << e << " " << p.ReM << " " << p.ReE;
            mpfr_clear(x);
            mpz_clear(z);
        }
}

// The orbit of centres on both sides of both axes, with and without extra words, bounded and
// escaping, down to a pixel step of 2^-10008, against MPFR at the bits of its words.
TEST(DeepOrbit, MatchesMpfrOrbit) {
    struct Case {
        const char *re, *im;
        int32_t zoom, limit;
        bool ext, escapes;
        int32_t length;   // values stored, 0 for the limit's
    } cases[] = {
        {"-0.1226", "0.7449", 200, 3000, true, false, 0},     // inside the period-3 bulb
        {"-0.5", "-0.5", 60, 20000, true, false, 0},          // slowly drawn to its fixed point
        {"0.2601", "-0.0012", 1000, 5000, true, true, 32},    // through the gap right of the cusp
        {"-0.75", "-0.1", 10000, 300, true, true, 34},        // through the neck, 158 words
        {"-0.75", "-0.1", MaxDeepZoom, 300, true, true, 34},  // every word of the centre
        {"-0.75", "-0.1", 0, 300, false, true, 34},           // two words
        {"1.5", "1.5", 150, 100, true, true, 2},              // c itself has |c|^2 >= 4
        {"-100", "3", 150, 100, false, true, 2},              // c far outside
        {"0", "-0.000000000000000000000000000000000001", 1000, 200, true, false, 0},   // c in the extra words
    };
    for (const Case& c : cases) {
        InstallView(c.re, c.im, c.zoom, c.limit, c.ext);
        Work.LivePass = false;
        DeepSetupGeometry();
        ASSERT_TRUE(DeepAdvanceOrbit());
        const int words = DeepOrbitWords(8 + c.zoom);
        bool escaped;
        const std::vector<DeepOrbitPoint> z = deep::ViewOrbit(words, 64 * words, c.limit, escaped);
        const int needed = 8 + c.zoom + DeepOrbitMarginBits, bits = 64 * words - DeepIntegerBits;
        EXPECT_TRUE(bits >= needed && (words == 2 || bits - 64 < needed)) << c.zoom;
        ASSERT_TRUE(DeepRef.Escaped == c.escapes && escaped == c.escapes) << c.re;
        ASSERT_TRUE(DeepRef.Length == (c.length ? c.length : c.limit + 1) && size_t(DeepRef.Length) == z.size()) << c.re;
        EXPECT_TRUE(DeepRef.Ready && DeepRef.ZoomBits == 8 + c.zoom && DeepRef.Iteration == c.limit);
        for (size_t k = 0; k < z.size(); ++k) {
            const DeepOrbitPoint& p = DeepRef.Z[k];
            ASSERT_TRUE(WithinUlp(p.ReM, p.ReE, z[k].ReM, z[k].ReE) && WithinUlp(p.ImM, p.ImE, z[k].ImM, z[k].ImE))
                << c.re << " " << c.im << " at " << k << ": " << p.ReM << "p" << p.ReE << " " << z[k].ReM << "p" << z[k].ReE;
        }
    }
}

// A new picture of the same centre (recoloured, another pass) keeps the orbit; bits of the
// centre below its precision do not count, every other change begins it again.
TEST(DeepOrbit, BegunAgainOnlyWhenTheOrbitChanges) {
    InstallView("-0.1226", "0.7449", 100, 500, true);
    Work.LivePass = false;
    DeepSetupGeometry();
    ASSERT_TRUE(DeepAdvanceOrbit());
    const int words = DeepOrbitWords(8 + View.ld_Zoom);
    struct Change {
        void (*apply)(int words);
        bool restarts;
    } changes[] = {
        {[](int) { View.Color = 9.0, View.Offset = 3; }, false},
        {[](int w) { View.Center_zXExt[w - 2] ^= 1; }, false},
        {[](int w) { View.Center_zYExt[w - 3] ^= 1; }, true},
        {[](int w) { View.Center_zXExt[w - 3] ^= uint64_t(1) << 63; }, true},
        {[](int) { View.Iteration = 501; }, true},
        {[](int) { View.ld_Zoom = 101; }, true},
    };
    for (const Change& c : changes) {
        const uint64_t before = DeepRef.Generation;
        c.apply(words);
        DeepSetupGeometry();
        EXPECT_EQ(DeepRef.Generation != before, c.restarts) << &c - changes;
        EXPECT_EQ(DeepRef.Ready, !c.restarts);
        ASSERT_TRUE(DeepAdvanceOrbit());
    }
}

// In a live pass whose slice has run out the orbit advances by one batch a call, marks the
// slice expired, and ends with the same values as in one go.
TEST(DeepOrbit, ResumesAfterExpiredSlices) {
    InstallView("-0.5", "-0.5", 300, 3000, true);
    Work.LivePass = false;
    DeepSetupGeometry();
    ASSERT_TRUE(DeepAdvanceOrbit());
    const std::vector<DeepOrbitPoint> whole = DeepRef.Z;
    DeepRestartOrbit();
    Work.LivePass = true;
    Work.SliceDeadline = -1;
    int calls = 1;
    Work.SliceExpired = false;
    while (!DeepAdvanceOrbit()) {
        ASSERT_TRUE(Work.SliceExpired.load());
        ASSERT_EQ(DeepRef.Length, calls * DeepOrbitClockInterval(DeepOrbitWords(308)));
        ++calls;
    }
    EXPECT_GT(calls, 2);
    ASSERT_EQ(DeepRef.Z.size(), whole.size());
    EXPECT_EQ(std::memcmp(DeepRef.Z.data(), whole.data(), whole.size() * sizeof(DeepOrbitPoint)), 0);
}
