// The fixed-point formats: conversions at their edges, and the products the kernels form,
// against the limb-by-limb reference over many random operands.
#include <gtest/gtest.h>
#include <random>
#include "tests/engine_reference.h"

namespace {
long128 L(uint64_t hi, uint64_t lo) { return {lo, hi}; }
constexpr uint64_t All = ~uint64_t(0);
const double Unit = std::ldexp(1.0, -120);
}  // namespace

TEST(Fixed, ConversionEdges) {
    EXPECT_EQ(ToLong128(0.5), L(uint64_t(1) << 55, 0));
    EXPECT_EQ(ToLong128(-0.5), L(All << 55, 0));
    for (double zero : {128.0, -200.0, Unit / 2, -0.0, double(NAN), -double(INFINITY)}) EXPECT_EQ(ToLong128(zero), L(0, 0)) << zero;
    EXPECT_EQ(ToLong128(Unit), L(0, 1));
    EXPECT_EQ(ToLong128(-3.5 * Unit), Neg128(L(0, 3)));   // magnitude truncated, then signed
    EXPECT_EQ(ToLong128(std::nextafter(128.0, 0.0)), L(0x7FFFFFFFFFFFFC00, 0));

    EXPECT_EQ(Long128AsDouble(L(0, 1)), Unit);
    EXPECT_EQ(Long128AsDouble(L(uint64_t(1) << 56, uint64_t(1) << 20)), 1.0);   // 1 + 2^-100 truncates
    EXPECT_EQ(Long128AsDouble(ToLong128(-0.5)), -0.5);
    EXPECT_FALSE(std::signbit(Long128AsDouble(L(0, 0))));
    EXPECT_EQ(Long128AsDouble(L(uint64_t(1) << 63, 0)), -128.0);
    EXPECT_EQ(Long128AsDouble(L(0, (uint64_t(1) << 54) - 1)), std::ldexp(double((uint64_t(1) << 53) - 1), -119));

    EXPECT_EQ(ToFixed60(L(All, All)), -1);
    EXPECT_EQ(ToFixed60(ToLong128(1.0)), Fixed60(1) << 60);
    EXPECT_EQ(ToFixed60(ToLong128(8.0)), INT64_MIN);   // wraps
    EXPECT_EQ(DecimalToLong128("-2"), ToLong128(-2.0));
    EXPECT_EQ(DecimalToLong128("0.1"), L(0x0019999999999999, 0x9999999999999999));
    EXPECT_EQ(DecimalToLong128("+0.1"), DecimalToLong128("0.1"));

    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {   // |x| in [2^-68, 128): exact both ways
        double x = std::ldexp(1.0 + double(rng() >> 12) * 0x1p-52, int(rng() % 75) - 68) * (rng() & 1 ? -1 : 1);
        ASSERT_EQ(Long128AsDouble(ToLong128(x)), x);
        if (std::fabs(x) < 8) {
            ASSERT_EQ(double(ToFixed60(ToLong128(x))), std::floor(std::ldexp(x, 60))) << x;
        }
    }
}

TEST(Fixed, AdditionsWrap) {
    EXPECT_EQ(Sub128(L(0, 0), L(0, 1)), L(All, All));
    EXPECT_EQ(Neg128(L(0, 0)), L(0, 0));
    EXPECT_EQ(Neg128(L(1, 0)), L(All, 0));
    EXPECT_EQ(Add128(L(All, All), L(0, 1)), L(0, 0));
    std::mt19937_64 rng(11);
    for (int i = 0; i < 10000; ++i) {
        long128 a{rng(), rng() >> (rng() % 2 * 63)}, b{rng(), rng()};
        ASSERT_EQ(Add128(a, b), ref::ToL(ref::Add(ref::FromL(a), ref::FromL(b))));
        ASSERT_EQ(Sub128(a, b), ref::ToL(ref::Add(ref::FromL(a), ref::Neg(ref::FromL(b)))));
        ASSERT_EQ(Neg128(a), ref::ToL(ref::Neg(ref::FromL(a))));
    }
}

TEST(Fixed, Long128ProductsMatchTheSchoolbookProduct) {
    long128 one = ToLong128(1.0);
    EXPECT_EQ(Square128(Neg128(one)), Sub128(one, L(0, 2)));   // from the magnitude 1 - 2^-120
    EXPECT_EQ(Square128(ToLong128(-2.0)), Sub128(ToLong128(4.0), L(0, 4)));
    EXPECT_EQ(TwiceProduct128(ToLong128(0.5), ToLong128(-0.75)), Add128(ToLong128(-0.75), L(0, 1)));
    std::mt19937_64 rng(3);
    long128 edges[] = {L(uint64_t(1) << 63, 0), L(All >> 1, All), L(0, 1), L(All, All), L(0, All), L(0, 0)};
    for (int i = 0; i < 20036; ++i) {
        long128 a{rng(), rng() >> (rng() % 8 + 1)}, b{rng(), rng() >> (rng() % 8 + 1)};   // below 1 .. 128
        if (rng() & 1) a = Neg128(a);
        if (rng() & 1) b = Neg128(b);
        if (i >= 20000) a = edges[(i - 20000) / 6], b = edges[(i - 20000) % 6];
        ASSERT_EQ(Square128(a), ref::ToL(ref::Square(ref::FromL(a))));
        ASSERT_EQ(TwiceProduct128(a, b), ref::ToL(ref::TwiceProduct(ref::FromL(a), ref::FromL(b))));
    }
}

TEST(Fixed, Fixed60Products) {
    const Fixed60 two = Fixed60(2) << 60;
    EXPECT_EQ(Product60(Mul60Wide(-1, 1)), -1);   // floor, not towards zero
    EXPECT_FALSE(Square60AtLeast4(Mul60Wide(two - 1, two - 1)));
    EXPECT_TRUE(Square60AtLeast4(Mul60Wide(-two, -two)));
    EXPECT_TRUE(InSquareRange60(-two) && !InSquareRange60(two) && !InSquareRange60(-two - 1));
    EXPECT_EQ(Square60Of4(Times4(-two)), uint64_t(4) << 60);
    std::mt19937_64 rng(5);
    for (int i = 0; i < 40000; ++i) {
        Fixed60 a = Fixed60(rng()), b = Fixed60(rng()) >> (rng() % 8);
        __int128 p = __int128(a) * b;
        ASSERT_EQ(Product60(Mul60Wide(a, b)), Fixed60(uint64_t(p >> 60)));
        ASSERT_EQ(TwiceProduct60(Mul60Wide(a, b)), Fixed60(uint64_t(p >> 59)));
        ASSERT_EQ(Square60AtLeast4(Mul60Wide(a, a)), __int128(a) * a >= (__int128(4) << 120));
        // The short form the kernel uses, inside [-2, 2).
        a >>= 2, b >>= 2;
        ASSERT_EQ(Fixed60(Square60Of4(Times4(a))), Product60(Mul60Wide(a, a))) << a;
        ASSERT_EQ(TwiceProduct60Of4(Times4(a), Times4(b)), TwiceProduct60(Mul60Wide(a, b))) << a << " " << b;
    }
}
