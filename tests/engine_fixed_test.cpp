// The fixed-point formats: conversions at their edges, and the products the kernels form,
// against the limb-by-limb reference over many random operands.
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include "engine/fixed.h"
#include "engine_reference.h"

namespace {
long128 L(uint64_t hi, uint64_t lo) { return {lo, hi}; }
constexpr uint64_t All = ~uint64_t(0);

// A random long128 inside (-range, range), range a power of two up to 128.
long128 RandomIn(std::mt19937_64& rng, int bitsAboveFraction) {
    long128 v{rng(), rng()};
    int keep = 120 + bitsAboveFraction;   // value bits below the sign
    u128 u = (u128(v.hi) << 64 | v.lo) & ((u128(1) << keep) - 1);
    v = {uint64_t(u), uint64_t(u >> 64)};
    return (rng() & 1) ? Neg128(v) : v;
}
}  // namespace

TEST(Fixed, ToLong128Edges) {
    EXPECT_EQ(ToLong128(0.5), L(uint64_t(1) << 55, 0));
    EXPECT_EQ(ToLong128(-0.5), L(All << 55, 0));
    EXPECT_EQ(ToLong128(128.0), L(0, 0));
    EXPECT_EQ(ToLong128(-200.0), L(0, 0));
    EXPECT_EQ(ToLong128(std::ldexp(1.0, -121)), L(0, 0));
    EXPECT_EQ(ToLong128(std::ldexp(1.0, -120)), L(0, 1));
    EXPECT_EQ(ToLong128(-std::ldexp(1.0, -120)), L(All, All));
    EXPECT_EQ(ToLong128(std::nan("")), L(0, 0));
    EXPECT_EQ(ToLong128(-INFINITY), L(0, 0));
    EXPECT_EQ(ToLong128(-0.0), L(0, 0));
    EXPECT_EQ(ToLong128(std::nextafter(128.0, 0.0)), L(0x7FFFFFFFFFFFFC00, 0));
    // Below 2^-68 the unit truncates: 3 units and a half become 3.
    EXPECT_EQ(ToLong128(std::ldexp(3.5, -120)), L(0, 3));
    EXPECT_EQ(ToLong128(-std::ldexp(3.5, -120)), Neg128(L(0, 3)));
}

TEST(Fixed, Long128AsDoubleEdges) {
    EXPECT_EQ(Long128AsDouble(L(0, 1)), std::ldexp(1.0, -120));
    EXPECT_EQ(Long128AsDouble(L(uint64_t(1) << 56, uint64_t(1) << 20)), 1.0);   // 1 + 2^-100
    EXPECT_EQ(Long128AsDouble(ToLong128(-0.5)), -0.5);
    double zero = Long128AsDouble(L(0, 0));
    EXPECT_EQ(zero, 0.0);
    EXPECT_FALSE(std::signbit(zero));
    EXPECT_EQ(Long128AsDouble(L(uint64_t(1) << 63, 0)), -128.0);
    EXPECT_EQ(Long128AsDouble(L(All, All)), -std::ldexp(1.0, -120));
    // Truncated, not rounded: 54 ones lose the last.
    long128 ones = L(0, (uint64_t(1) << 54) - 1);
    EXPECT_EQ(Long128AsDouble(ones), std::ldexp(double((uint64_t(1) << 53) - 1), -119));
}

TEST(Fixed, RoundTripsAndAgreesWithTheScaledDouble) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        // |x| in [2^-68, 128): exact both ways.
        double x = std::ldexp(1.0 + double(rng() >> 12) * 0x1p-52, int(rng() % 75) - 68);
        if (rng() & 1) x = -x;
        long128 v = ToLong128(x);
        ASSERT_EQ(Long128AsDouble(v), x) << x;
        // Scaling by 2^120 is exact, so the raw integer must be x * 2^120 as a whole number.
        double scaled = std::ldexp(x, 120);
        ASSERT_EQ(std::ldexp(Long128AsDouble(v), 120), scaled);
        // ToFixed60 is the floor of the value in 2^-60 units inside [-8, 8).
        if (std::fabs(x) < 8) {
            ASSERT_EQ(double(ToFixed60(v)), std::floor(std::ldexp(x, 60))) << x;
        }
    }
}

TEST(Fixed, AdditionsWrapAndNegate) {
    EXPECT_EQ(Sub128(L(0, 0), L(0, 1)), L(All, All));
    EXPECT_EQ(Neg128(L(0, 0)), L(0, 0));
    EXPECT_EQ(Neg128(L(0, 1)), L(All, All));
    EXPECT_EQ(Neg128(L(1, 0)), L(All, 0));
    EXPECT_EQ(Add128(L(0, All), L(0, 1)), L(1, 0));
    EXPECT_EQ(Add128(L(All, All), L(0, 1)), L(0, 0));
    EXPECT_EQ(Sub128(L(1, 0), L(0, 1)), L(0, All));
    std::mt19937_64 rng(11);
    for (int i = 0; i < 10000; ++i) {
        long128 a{rng(), rng()}, b{rng(), rng()};
        ASSERT_EQ(Add128(a, b), ref::ToL(ref::Add(ref::FromL(a), ref::FromL(b))));
        ASSERT_EQ(Sub128(a, b), ref::ToL(ref::Add(ref::FromL(a), ref::Neg(ref::FromL(b)))));
        ASSERT_EQ(Neg128(a), ref::ToL(ref::Neg(ref::FromL(a))));
    }
}

TEST(Fixed, ToFixed60Edges) {
    EXPECT_EQ(ToFixed60(L(All, All)), -1);
    EXPECT_EQ(ToFixed60(ToLong128(1.0)), Fixed60(1) << 60);
    EXPECT_EQ(ToFixed60(ToLong128(-8.0)), INT64_MIN);
    EXPECT_EQ(ToFixed60(ToLong128(8.0)), INT64_MIN);   // wraps
    EXPECT_EQ(ToFixed60(ToLong128(std::ldexp(1.0, -61))), 0);
}

TEST(Fixed, Long128ProductsMatchTheSchoolbookProduct) {
    // The square of -1 is taken from the magnitude 1 - 2^-120: 1 - 2^-119, not 1.
    long128 one = ToLong128(1.0);
    EXPECT_EQ(Square128(Neg128(one)), Sub128(one, L(0, 2)));
    EXPECT_EQ(Square128(one), one);
    EXPECT_EQ(Square128(ToLong128(-2.0)), Sub128(ToLong128(4.0), L(0, 4)));
    // 2 x 0.5 x (0.75 - 2^-120), negated.
    EXPECT_EQ(TwiceProduct128(ToLong128(0.5), ToLong128(-0.75)), Add128(ToLong128(-0.75), L(0, 1)));
    EXPECT_EQ(TwiceProduct128(L(0, 0), ToLong128(-3.0)), L(0, 0));

    std::mt19937_64 rng(3);
    for (int i = 0; i < 20000; ++i) {
        int range = int(rng() % 8);   // magnitudes up to 2^range, as orbits reach them
        long128 a = RandomIn(rng, range), b = RandomIn(rng, range);
        ASSERT_EQ(Square128(a), ref::ToL(ref::Square(ref::FromL(a))));
        ASSERT_EQ(TwiceProduct128(a, b), ref::ToL(ref::TwiceProduct(ref::FromL(a), ref::FromL(b))));
    }
    // The extremes of the range.
    long128 edges[] = {L(uint64_t(1) << 63, 0), L(All >> 1, All), L(0, 1), L(All, All), L(0, All)};
    for (long128 a : edges)
        for (long128 b : edges) {
            ASSERT_EQ(Square128(a), ref::ToL(ref::Square(ref::FromL(a))));
            ASSERT_EQ(TwiceProduct128(a, b), ref::ToL(ref::TwiceProduct(ref::FromL(a), ref::FromL(b))));
        }
}

TEST(Fixed, Fixed60ProductsTruncateAndFlagFour) {
    const Fixed60 one = Fixed60(1) << 60;
    EXPECT_EQ(Product60(Mul60Wide(one, -one)), -one);
    EXPECT_EQ(TwiceProduct60(Mul60Wide(one / 2, -one / 2)), -one / 2);
    EXPECT_EQ(Product60(Mul60Wide(-1, 1)), -1);   // floor, not towards zero
    EXPECT_FALSE(Square60AtLeast4(Mul60Wide(2 * one - 1, 2 * one - 1)));
    EXPECT_TRUE(Square60AtLeast4(Mul60Wide(2 * one, 2 * one)));
    EXPECT_TRUE(Square60AtLeast4(Mul60Wide(-2 * one, -2 * one)));
    EXPECT_TRUE(Square60AtLeast4(Mul60Wide(INT64_MIN, INT64_MIN)));
    std::mt19937_64 rng(5);
    for (int i = 0; i < 20000; ++i) {
        Fixed60 a = Fixed60(rng()), b = Fixed60(rng()) >> (rng() % 8);
        __int128 p = __int128(a) * b;
        ASSERT_EQ(Product60(Mul60Wide(a, b)), Fixed60(uint64_t(p >> 60)));
        ASSERT_EQ(TwiceProduct60(Mul60Wide(a, b)), Fixed60(uint64_t(p >> 59)));
        __int128 sq = __int128(a) * a;
        ASSERT_EQ(Square60AtLeast4(Mul60Wide(a, a)), sq >= (__int128(4) << 120));
    }
}

TEST(Fixed, Fixed60ShortFormAgreesInsideTwo) {
    const Fixed60 two = Fixed60(2) << 60;
    EXPECT_TRUE(InSquareRange60(-two));
    EXPECT_FALSE(InSquareRange60(two));
    EXPECT_TRUE(InSquareRange60(two - 1));
    EXPECT_FALSE(InSquareRange60(-two - 1));
    EXPECT_EQ(Square60Of4(Times4(-two)), uint64_t(4) << 60);
    std::mt19937_64 rng(9);
    Fixed60 edges[] = {-two, -two + 1, two - 1, 0, -1, 1};
    for (int i = 0; i < 40000; ++i) {
        Fixed60 x = i < 6 ? edges[i] : Fixed60(rng()) >> 2 >> (rng() % 8);
        Fixed60 y = i < 6 ? edges[5 - i] : Fixed60(rng()) >> 2 >> (rng() % 8);
        ASSERT_TRUE(InSquareRange60(x) && InSquareRange60(y));
        ASSERT_EQ(Fixed60(Square60Of4(Times4(x))), Product60(Mul60Wide(x, x))) << x;
        ASSERT_EQ(TwiceProduct60Of4(Times4(x), Times4(y)), TwiceProduct60(Mul60Wide(x, y))) << x << " " << y;
    }
}

TEST(Fixed, DecimalCentresConvertExactly) {
    EXPECT_EQ(DecimalToLong128("-0.5"), ToLong128(-0.5));
    EXPECT_EQ(DecimalToLong128("1.25"), ToLong128(1.25));
    EXPECT_EQ(DecimalToLong128("0"), L(0, 0));
    EXPECT_EQ(DecimalToLong128("-2"), ToLong128(-2.0));
    // 0.1 is 0x1999... repeating; truncated to 120 bits.
    EXPECT_EQ(DecimalToLong128("0.1"), L(0x0019999999999999, 0x9999999999999999));
}
