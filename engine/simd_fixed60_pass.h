// engine/simd_fixed60_pass.h - one Fixed60 pass on a vector of orbits with 52-bit multiply-
// adds: lane i gives the bits of Fixed60Arith::Pass on orbit i.
//
// Only templates, all in an anonymous namespace, and no include guard: a file includes this
// once for each instruction set it compiles the pass for, inside that set's vector region
// (engine/vector_region_begin.h: the pass takes the target of the region it is defined in,
// and a copy shared with other files could be merged by the linker into code for another
// processor). A file that needs it for two sets includes it inside two differently named
// namespaces. It includes only the region check, so it may sit inside a namespace.
//
// The vector operations V provides, every one a single instruction on every lane (64-bit
// lanes, integers wrapping modulo 2^64):
//   V::Vec, V::Mask                  a vector of 64-bit lanes; one bit per lane
//   V::Set1(long long v)             every lane v
//   V::Add(a, b), V::Sub(a, b)       a + b, a - b
//   V::template ShiftLeft<n>(a)      a << n
//   V::template ShiftRight<n>(a)     a >> n, logical
//   V::MulAdd52Lo(a, b, c)           a + bits 51..0 of b[51:0] * c[51:0]
//   V::MulAdd52Hi(a, b, c)           a + bits 103..52 of b[51:0] * c[51:0]
//   V::Or3(a, b, c)                  a | b | c
//   V::TestAny(a, b)                 bit i set when a & b is not zero in lane i
// The multiply-adds read only the low 52 bits of b and c, so a lane handed over whole serves
// as its own low limb.

#include "engine/vector_region.h"

namespace {

// The products are formed from the biased words X = x + 2, which lie in [0, 4), i.e.
// [0, 2^62) raw, for every lane that passes the range test of the pass. That makes them
// unsigned, split into a low limb L (bits 51..0) and a high limb H = X >> 52 below 2^10, and
// the bias comes out again as whole multiples of the result's unit:
//   x^2 = X^2 - 2^62 X + 2^122, so floor(x^2 / 2^60) = floor(X^2 / 2^60) - 4X + 2^62,
//   x y = X Y - 2^61 (X + Y) + 2^122, so floor(x y / 2^59) = floor(X Y / 2^59) - 4(X + Y) + 2^63
// (modulo 2^64). Signs, the signed floor of a negative product and its rounding bits never
// appear. Out-of-range lanes get garbage, but they escape anyway.
//
// The square: X^2 = H^2 2^104 + (2H L) 2^52 + L^2. Splitting 2H L (below 2^63) and L^2 at bit
// 52 gives   X^2 = (H^2 + hi(2H L)) 2^104 + (lo(2H L) + hi(L L)) 2^52 + lo(L L),
// and as lo(L L) < 2^52 cannot carry into bit 60,
//   floor(X^2 / 2^60) = (H^2 + hi(2H L)) << 44 + (lo(2H L) + hi(L L)) >> 8.
// Returned with the bias term 2^62 added, which rides in as the accumulator 2^18 of the
// high part; h2 = 2H.
template <class V>
[[gnu::always_inline]] inline typename V::Vec SquarePlusBias(const typename V::Vec& X, const typename V::Vec& h,
                                                             const typename V::Vec& h2) {
    const typename V::Vec zero = V::Set1(0), bias = V::Set1(1LL << 18);
    const typename V::Vec mid = V::MulAdd52Lo(V::MulAdd52Hi(zero, X, X), h2, X);
    const typename V::Vec top = V::MulAdd52Lo(V::MulAdd52Hi(bias, h2, X), h, h);
    return V::Add(V::template ShiftLeft<44>(top), V::template ShiftRight<8>(mid));
}

// The doubled product: X Y = (Hx Hy + hi(Hx Ly) + hi(Lx Hy)) 2^104
// + (lo(Hx Ly) + lo(Lx Hy) + hi(Lx Ly)) 2^52 + lo(Lx Ly), and as above
//   floor(X Y / 2^59) = (Hx Hy + hi(Hx Ly) + hi(Lx Hy)) << 45 + (lo(Hx Ly) + lo(Lx Hy) + hi(Lx Ly)) >> 7,
// returned with the bias term 2^63 added, again as the accumulator 2^18 of the high part.
template <class V>
[[gnu::always_inline]] inline typename V::Vec TwiceProductPlusBias(const typename V::Vec& X, const typename V::Vec& Y,
                                                                   const typename V::Vec& hx,
                                                                   const typename V::Vec& hy) {
    const typename V::Vec zero = V::Set1(0), bias = V::Set1(1LL << 18);
    const typename V::Vec mid = V::MulAdd52Lo(V::MulAdd52Lo(V::MulAdd52Hi(zero, X, Y), hx, Y), X, hy);
    const typename V::Vec top = V::MulAdd52Lo(V::MulAdd52Hi(V::MulAdd52Hi(bias, hx, Y), X, hy), hx, hy);
    return V::Add(V::template ShiftLeft<45>(top), V::template ShiftRight<7>(mid));
}

// One pass z -> z^2 + c on every lane; the lane bits of the lanes whose old z escapes,
// exactly as Fixed60Arith::Pass tells them. x and y become the new z in every other lane,
// bit for bit; escaping lanes may hold anything.
template <class V>
[[gnu::always_inline]] inline unsigned PassFixed60(typename V::Vec& x, typename V::Vec& y, const typename V::Vec& cx,
                                                   const typename V::Vec& cy) {
    typedef typename V::Vec Vec;
    const Vec two = V::Set1(1LL << 61);
    const Vec X = V::Add(x, two), Y = V::Add(y, two);   // [0, 2^62) for x, y in [-2, 2)
    const Vec hx = V::template ShiftRight<52>(X), hy = V::template ShiftRight<52>(Y);
    const Vec x4 = V::template ShiftLeft<2>(X), y4 = V::template ShiftLeft<2>(Y);
    const Vec sx = V::Sub(SquarePlusBias<V>(X, hx, V::Add(hx, hx)), x4);
    const Vec sy = V::Sub(SquarePlusBias<V>(Y, hy, V::Add(hy, hy)), y4);
    const Vec d = V::Sub(TwiceProductPlusBias<V>(X, Y, hx, hy), V::Add(x4, y4));
    x = V::Add(d, cx);
    y = V::Add(V::Sub(sy, sx), cy);
    // Outside [0, 4) when X or Y is, or when sx + sy >= 4: one of the top two bits is set.
    // In range sx + sy is at most 8, 2^63 raw, so the unsigned word holds it.
    const Vec top2 = V::Set1(static_cast<long long>(0xC000000000000000ull));
    return static_cast<unsigned>(V::TestAny(V::Or3(X, Y, V::Add(sx, sy)), top2));
}

}  // namespace
