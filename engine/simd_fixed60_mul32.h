// engine/simd_fixed60_mul32.h - the Fixed60 lanes of the vector strip kernels on 32 x 32 ->
// 64-bit multiplies (AVX2 has no wider ones): one pass on a vector of orbits, lane i giving
// the bits of Fixed60Arith::Pass on orbit i, and the lanes of the lane machinery around it.
//
// Only templates, all in an anonymous namespace, and no include guard, for the reasons given
// in simd_fixed60_pass.h; it includes only the region check, so it may sit inside a namespace.
//
// The vector operations V provides (64-bit lanes, integers wrapping modulo 2^64):
//   V::Width, V::Vec                 lanes per vector; a vector of them
//   V::Set1(long long v)             every lane v
//   V::Add(a, b), V::Sub(a, b), V::And(a, b), V::Or(a, b)
//   V::template ShiftLeft<n>(a)      a << n
//   V::template ShiftRight<n>(a)     a >> n, logical
//   V::Mul32(a, b)                   bits 31..0 of a times bits 31..0 of b, unsigned, whole
//   V::Greater(a, b), V::Equal(a, b) all bits set in the lanes where a > b (signed) / a == b
// and, for the lanes only:
//   V::Bits(m)                       one bit per lane: the top bit of each
//   V::Lanes(bits)                   all bits set in the lanes whose bits are set
//   V::Select(m, a, b)               a where m is set, else b
//   V::Load(const int64_t* p)        Width words
//   V::Store(int64_t* p, v)

#include "engine/vector_region.h"

namespace {

// A lane holds each coordinate v of z as the word v + 2 (in units of 2^60): the orbit's values
// in [-2, 2) are then the unsigned words X in [0, 2^62), whose products are unsigned
// (simd_fixed60_pass.h shows how the bias comes out again), and a coordinate is out of range
// exactly when X >> 30 is 2^32 or more, whatever the word: one comparison tells it for x and y
// at once, on the high pieces the multiplies take anyway. c enters with the biases the pass
// adds to it.
constexpr long long Mul32Bias = 1LL << 61;
constexpr long long Mul32BiasX = static_cast<long long>((uint64_t(1) << 61) + (uint64_t(1) << 63));   // cx
constexpr long long Mul32HighBound = 0xFFFFFFFF;   // X >> 30 above it: out of range
constexpr long long Mul32Bound = -(1LL << 62) - 1;   // the biased sum of squares above it: 4 or more

// A biased word cut for the multiplies: H = bits 61..30 of X, read from the low half of
// the lane (X >> 30 has any bits of an out-of-range word above them, which the multiplies
// never read), and L = bits 29..0, so that H L fits the 64-bit product with room for a carry.
template <class V>
struct Mul32Split {
    typename V::Vec h, l;
};

template <class V>
[[gnu::always_inline]] inline Mul32Split<V> Mul32SplitOf(const typename V::Vec& z) {
    return {V::template ShiftRight<30>(z), V::And(z, V::Set1(0x3FFFFFFF))};
}

// floor(X^2 / 2^60) from X^2 = H^2 2^60 + 2HL 2^30 + L^2
//   = H^2 + floor((HL + floor(L^2 / 2^31)) / 2^29): halving the sum before the floor changes
// nothing, as HL is whole. HL is below 2^62, so the sum does not wrap.
template <class V>
[[gnu::always_inline]] inline typename V::Vec Mul32Square(const Mul32Split<V>& a) {
    const typename V::Vec mid = V::Add(V::Mul32(a.h, a.l), V::template ShiftRight<31>(V::Mul32(a.l, a.l)));
    return V::Add(V::Mul32(a.h, a.h), V::template ShiftRight<29>(mid));
}

// floor(X Y / 2^59) = 2 Hx Hy + floor((Hx Ly + Lx Hy + floor(Lx Ly / 2^30)) / 2^29): the
// doubled product is the product of twice the value. Each middle product is below 2^62, so
// their sum does not wrap.
template <class V>
[[gnu::always_inline]] inline typename V::Vec Mul32TwiceProduct(const Mul32Split<V>& a, const Mul32Split<V>& b) {
    const typename V::Vec hh = V::Mul32(a.h, b.h);
    const typename V::Vec mid = V::Add(V::Add(V::Mul32(a.h, b.l), V::Mul32(a.l, b.h)),
                                       V::template ShiftRight<30>(V::Mul32(a.l, b.l)));
    return V::Add(V::Add(hh, hh), V::template ShiftRight<29>(mid));
}

// One pass z -> z^2 + c on every lane, on biased words (x, y, cy + 2, cx + 2 + 8); all bits
// set in the lanes whose old z escapes, exactly as Fixed60Arith::Pass tells them, and the new
// z, biased, in every other lane, bit for bit. With X, Y the biased words:
//   sx = floor(X^2 / 2^60) - 4X + 2^62, sy likewise, 2xy = floor(X Y / 2^59) - 4(X + Y) + 2^63.
// The squares are kept less 4, so that their sum is less 8 (biased by 8, modulo 16) and their
// difference exact; the sum then lies below -2^62 as a signed word exactly when it is below 4
// (in range it is at most 8). The doubled product is less 8 as well, which cx makes up.
template <class V>
[[gnu::always_inline]] inline typename V::Vec PassFixed60Mul32(typename V::Vec& x, typename V::Vec& y,
                                                               const typename V::Vec& cx, const typename V::Vec& cy) {
    typedef typename V::Vec Vec;
    const Mul32Split<V> a = Mul32SplitOf<V>(x), b = Mul32SplitOf<V>(y);
    const Vec x4 = V::template ShiftLeft<2>(x), y4 = V::template ShiftLeft<2>(y);
    const Vec sx = V::Sub(Mul32Square<V>(a), x4), sy = V::Sub(Mul32Square<V>(b), y4);   // less 4
    const Vec out = V::Or(V::Greater(V::Or(a.h, b.h), V::Set1(Mul32HighBound)),
                          V::Greater(V::Add(sx, sy), V::Set1(Mul32Bound)));
    const Vec nx = V::Add(V::Sub(Mul32TwiceProduct<V>(a, b), V::Add(x4, y4)), cx);
    y = V::Add(V::Sub(sy, sx), cy);
    x = nx;
    return out;
}

// The lanes for the lane machinery (lane_kernel.h). An escaped lane's x is set to all ones,
// out of range, so it escapes again in every later pass: the mark is sticky without a word
// of its own, as it must be, since the sums wrap and an escaped orbit may come back.
template <class V>
struct Fixed60Mul32Lanes {
    typedef Fixed60Arith Arith;
    typedef typename V::Vec Vec;
    static constexpr int Width = V::Width;

    struct Orbits {
        Vec x, y, cx, cy;   // biased
        Vec rx, ry;         // an earlier z of the same orbit
        Vec after;          // passes since the escape
    };

    static void Idle(Orbits& o) {
        o.x = o.y = o.rx = o.ry = o.cy = V::Set1(Mul32Bias);
        o.cx = V::Set1(Mul32BiasX);
        o.after = V::Set1(0);
    }

    [[gnu::always_inline]] static bool Fits(Fixed60, Fixed60) { return true; }

    [[gnu::always_inline]] static uint32_t Pass(Orbits& o) {
        const Vec out = PassFixed60Mul32<V>(o.x, o.y, o.cx, o.cy);
        o.x = V::Or(o.x, out);
        o.after = V::Sub(o.after, out);   // all bits set is -1
        return V::Bits(out);
    }

    static void Escaped(const Orbits& o, int64_t* after) { V::Store(after, o.after); }

    [[gnu::always_inline]] static uint32_t Repeats(const Orbits& o) {
        return V::Bits(V::And(V::Equal(o.x, o.rx), V::Equal(o.y, o.ry)));
    }

    [[gnu::always_inline]] static void Keep(Orbits& o) {
        o.rx = o.x;
        o.ry = o.y;
    }

    [[gnu::always_inline]] static void Put(Orbits& o, uint32_t lanes, const Fixed60* px, const Fixed60* py) {
        const Vec sel = V::Lanes(lanes);
        const Vec vx = V::Load(px), vy = V::Load(py);
        const Vec zx = V::Add(vx, V::Set1(Mul32Bias)), zy = V::Add(vy, V::Set1(Mul32Bias));
        o.x = V::Select(sel, zx, o.x);
        o.rx = V::Select(sel, zx, o.rx);
        o.cx = V::Select(sel, V::Add(vx, V::Set1(Mul32BiasX)), o.cx);
        o.y = V::Select(sel, zy, o.y);
        o.ry = V::Select(sel, zy, o.ry);
        o.cy = V::Select(sel, zy, o.cy);
        o.after = V::Select(sel, V::Set1(0), o.after);
    }
};

}  // namespace
