// engine/simd_long128_pass.h - one long128 pass on a vector of orbits with 52-bit multiply-
// adds: lane i gives the bits of Long128Arith::Pass on orbit i.
//
// Only templates, all in an anonymous namespace, and no include guard: a file includes this
// once for each instruction set it compiles the pass for, inside that set's
// vector region (see simd_fixed60_pass.h, whose rules these are). It includes
// only the region check, so it may sit inside a namespace.
//
// The vector operations V provides, every one a single instruction on every lane (64-bit
// lanes, integers wrapping modulo 2^64): those listed in simd_fixed60_pass.h, and
//   V::template ShiftRightArith<n>(a)  a >> n, the sign shifted in
//   V::And(a, b), V::Xor(a, b)         bitwise
//   V::MaskSub(src, k, a, b)           a - b in the lanes of k, src in the others
//   V::NotEqual(a, b)                  bit i set when lanes i differ
//
// A lane holds a long128 coordinate v as three 64-bit limbs l0, l1, l2:
//   v = l0 + l1 2^52 + l2 2^104  (modulo 2^128),
// the limbs signed and not reduced: a pass leaves each new coordinate as a sum of parts, and
// the next pass carries the limbs before it uses them. Only the value counts, so equal
// coordinates may be held in different limbs; a long128 enters in the reduced form
// (Limbs128Of), l0 and l1 in [0, 2^52), l2 the sign-extended bits 127..104.
//
// The pass is exact for every long128 z and c, not only inside the kernel's range: the
// squares and the cross product are formed whole, and every sum is reduced modulo 2^128
// when the next pass carries its limbs, as the scalar pass wraps. So the new z is the scalar
// one in every lane, escaping lanes too. Whatever z was, the limbs a pass leaves are below
// 2^54 in magnitude, so a lane can run on after its escape without overflowing them.

#include "engine/vector_region.h"

namespace {

template <class V>
struct Limbs128 {
    typename V::Vec l0, l1, l2;
};

// The limbs of eight long128 values, from their low and high words.
template <class V>
[[gnu::always_inline]] inline Limbs128<V> Limbs128Of(const typename V::Vec& lo, const typename V::Vec& hi) {
    const typename V::Vec m52 = V::Set1((1LL << 52) - 1);
    return {V::And(lo, m52), V::And(V::Add(V::template ShiftRight<52>(lo), V::template ShiftLeft<12>(hi)), m52),
            V::template ShiftRightArith<40>(hi)};
}

// The complement magnitude of a coordinate (fixed.h: a negative v enters as ~v) in three
// limbs for the multiply-adds, which read bits 51..0 of a0 and a1 only, so the bits above
// may hold anything; a2 lies in [0, 2^23) and is clean. sign: all ones for a negative v.
template <class V>
struct Magnitude128 {
    typename V::Vec a0, a1, a2, sign;
};

// The carries of l0 into l1 and of l1 into l2 make bits 51..0 of l0 and l1 the bits of v;
// bits 23..0 of l2 are then bits 127..104 of v, whose bit 127 is the sign. The complement
// is the limbs complemented: ~v = (2^52 - 1 - l0) + (2^52 - 1 - l1) 2^52 + ~l2 2^104.
template <class V>
[[gnu::always_inline]] inline Magnitude128<V> MagnitudeOf(const Limbs128<V>& v) {
    typedef typename V::Vec Vec;
    const Vec l1 = V::Add(v.l1, V::template ShiftRightArith<52>(v.l0));
    const Vec l2 = V::Add(v.l2, V::template ShiftRightArith<52>(l1));
    const Vec top = V::template ShiftLeft<40>(l2);   // bits 127..104 at the top of the word
    const Vec sign = V::template ShiftRightArith<63>(top);
    return {V::Xor(v.l0, sign), V::Xor(l1, sign), V::template ShiftRight<40>(V::Xor(top, sign)), sign};
}

// A product P of two magnitudes, as the columns of 2^104, 2^156 and 2^208 that count once
// P is divided by 2^104: floor(P / 2^104) = c2 + c3 2^52 + c4 2^104, where c2 holds the carry
// of the column of 2^52 (that column is below 3 * 2^52; the one of 2^0 is below 2^52 and can
// carry nothing past 2^104, so it is never formed). Every column is below 2^55.
template <class V>
struct Columns {
    typename V::Vec c2, c3, c4;
};

// m^2 = a0^2 + 2 a0 a1 2^52 + (a1^2 + 2 a0 a2) 2^104 + 2 a1 a2 2^156 + a2^2 2^208. The
// doubled products with a2 take 2 a2 (below 2^24) as a factor; the one of a0 a1 is added
// twice, since 2 a1 may not fit the 52-bit factor. a2^2 is below 2^52: it has no high part.
template <class V>
[[gnu::always_inline]] inline Columns<V> SquareColumns(const Magnitude128<V>& m) {
    typedef typename V::Vec Vec;
    const Vec zero = V::Set1(0);
    const Vec a2d = V::Add(m.a2, m.a2);
    const Vec c1 = V::MulAdd52Lo(V::MulAdd52Lo(V::MulAdd52Hi(zero, m.a0, m.a0), m.a0, m.a1), m.a0, m.a1);
    Vec c2 = V::MulAdd52Lo(V::MulAdd52Lo(V::template ShiftRight<52>(c1), m.a1, m.a1), m.a0, a2d);
    c2 = V::MulAdd52Hi(V::MulAdd52Hi(c2, m.a0, m.a1), m.a0, m.a1);
    const Vec c3 = V::MulAdd52Lo(V::MulAdd52Hi(V::MulAdd52Hi(zero, m.a1, m.a1), m.a0, a2d), m.a1, a2d);
    const Vec c4 = V::MulAdd52Lo(V::MulAdd52Hi(zero, m.a1, a2d), m.a2, m.a2);
    return {c2, c3, c4};
}

// a b over the nine limb products; a2 b2 is below 2^46, without a high part.
template <class V>
[[gnu::always_inline]] inline Columns<V> ProductColumns(const Magnitude128<V>& a, const Magnitude128<V>& b) {
    typedef typename V::Vec Vec;
    const Vec zero = V::Set1(0);
    const Vec c1 = V::MulAdd52Lo(V::MulAdd52Lo(V::MulAdd52Hi(zero, a.a0, b.a0), a.a0, b.a1), a.a1, b.a0);
    Vec c2 = V::MulAdd52Hi(V::MulAdd52Hi(V::template ShiftRight<52>(c1), a.a0, b.a1), a.a1, b.a0);
    c2 = V::MulAdd52Lo(V::MulAdd52Lo(V::MulAdd52Lo(c2, a.a0, b.a2), a.a1, b.a1), a.a2, b.a0);
    Vec c3 = V::MulAdd52Hi(V::MulAdd52Hi(V::MulAdd52Hi(zero, a.a0, b.a2), a.a1, b.a1), a.a2, b.a0);
    c3 = V::MulAdd52Lo(V::MulAdd52Lo(c3, a.a1, b.a2), a.a2, b.a1);
    const Vec c4 = V::MulAdd52Lo(V::MulAdd52Hi(V::MulAdd52Hi(zero, a.a1, b.a2), a.a2, b.a1), a.a2, b.a2);
    return {c2, c3, c4};
}

// One pass z -> z^2 + c on every lane; the lane bits of the lanes whose old z escapes,
// exactly as Long128Arith::Pass tells them, and the new z in x and y, as the scalar pass
// forms it, in every lane.
//
// A square is bits 247..120 of m^2, floor(m^2 / 2^120) = floor((c2 + c3 2^52 + c4 2^104) / 2^16)
// = (c2 >> 16) + c3 2^36 + c4 2^88: only c2 is divided, the rest moves up whole. Moved into
// the limbs, c3 2^36 is (c3 mod 2^16) 2^36 + (c3 >> 16) 2^52, and the low part rides on a
// multiply-add by 2^36, whose low half is exactly ((c3 mod 2^16) << 36), carried onto the
// limb below (so is c4). The doubled cross product, bits 246..119, is the same with 15
// in place of 16. The parts of sy - sx are combined before they are moved, the differences
// of the columns being signed (shifted with the sign, split by the multiply-add modulo 2^52
// as two's complement).
template <class V>
[[gnu::always_inline]] inline unsigned PassLong128(Limbs128<V>& x, Limbs128<V>& y, const Limbs128<V>& cx,
                                                   const Limbs128<V>& cy) {
    typedef typename V::Vec Vec;
    const Magnitude128<V> mx = MagnitudeOf<V>(x), my = MagnitudeOf<V>(y);
    const Columns<V> sx = SquareColumns<V>(mx), sy = SquareColumns<V>(my), p = ProductColumns<V>(mx, my);
    const Vec p36 = V::Set1(1LL << 36), p37 = V::Set1(1LL << 37);

    // 2xy: the magnitude d of the doubled product, added to cx or taken from it.
    const Vec d0 = V::MulAdd52Lo(V::template ShiftRight<15>(p.c2), p.c3, p37);
    const Vec d1 = V::MulAdd52Lo(V::template ShiftRight<15>(p.c3), p.c4, p37);
    const Vec d2 = V::template ShiftRight<15>(p.c4);
    const typename V::Mask negative = V::NotEqual(mx.sign, my.sign);
    x.l0 = V::MaskSub(V::Add(cx.l0, d0), negative, cx.l0, d0);
    x.l1 = V::MaskSub(V::Add(cx.l1, d1), negative, cx.l1, d1);
    x.l2 = V::MaskSub(V::Add(cx.l2, d2), negative, cx.l2, d2);

    // sy - sx + cy
    const Vec qx = V::template ShiftRight<16>(sx.c2), qy = V::template ShiftRight<16>(sy.c2);
    const Vec e3 = V::Sub(sy.c3, sx.c3), e4 = V::Sub(sy.c4, sx.c4);
    y.l0 = V::MulAdd52Lo(V::Add(cy.l0, V::Sub(qy, qx)), e3, p36);
    y.l1 = V::MulAdd52Lo(V::Add(cy.l1, V::template ShiftRightArith<16>(e3)), e4, p36);
    y.l2 = V::Add(cy.l2, V::template ShiftRightArith<16>(e4));

    // sx + sy = q + s3 2^36 + s4 2^88, whose bits 127..122 are bits 39..34 of
    // floor((sx + sy) / 2^88) = s4 + ((s3 + (q >> 36)) >> 52); all parts are positive.
    const Vec q = V::Add(qx, qy), s3 = V::Add(sx.c3, sy.c3), s4 = V::Add(sx.c4, sy.c4);
    const Vec top = V::Add(s4, V::template ShiftRight<52>(V::Add(s3, V::template ShiftRight<36>(q))));
    return static_cast<unsigned>(V::TestAny(top, V::Set1(0x3FLL << 34)));
}

}  // namespace
