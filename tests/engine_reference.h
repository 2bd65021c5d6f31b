// tests/engine_reference.h - slow, plain re-statements of the number formats and the escape
// counts, written apart from the engine so the kernels can be checked against them: long128
// as four 32-bit limbs with a schoolbook 256-bit product, Fixed60 through __int128 step by
// step with its early exits, double in the stated operation order.
#pragma once
#include <cmath>
#include <cstdint>
#include "engine/fixed.h"
#include "engine/state.h"
#include "engine/work.h"
#include "render/colour.h"
#include "engine_scene.h"

namespace ref {

struct Limbs { uint32_t w[4]; };   // least significant first

inline Limbs FromL(long128 v) {
    return {{uint32_t(v.lo), uint32_t(v.lo >> 32), uint32_t(v.hi), uint32_t(v.hi >> 32)}};
}
inline long128 ToL(const Limbs& a) {
    return {uint64_t(a.w[1]) << 32 | a.w[0], uint64_t(a.w[3]) << 32 | a.w[2]};
}
inline Limbs Add(const Limbs& a, const Limbs& b) {
    Limbs r;
    uint64_t carry = 0;
    for (int i = 0; i < 4; ++i) {
        uint64_t s = uint64_t(a.w[i]) + b.w[i] + carry;
        r.w[i] = uint32_t(s);
        carry = s >> 32;
    }
    return r;
}
inline Limbs Not(const Limbs& a) { return {{~a.w[0], ~a.w[1], ~a.w[2], ~a.w[3]}}; }
inline Limbs Neg(const Limbs& a) { return Add(Not(a), {{1, 0, 0, 0}}); }
inline bool Negative(const Limbs& a) { return a.w[3] >> 31; }

// Bits lowBit .. lowBit + 127 of the exact 256-bit product of two unsigned 128-bit values.
inline Limbs ProductBits(const Limbs& a, const Limbs& b, int lowBit) {
    uint32_t p[8] = {};
    for (int i = 0; i < 4; ++i) {
        uint64_t carry = 0;
        for (int j = 0; j < 4; ++j) {
            uint64_t t = uint64_t(a.w[i]) * b.w[j] + p[i + j] + carry;
            p[i + j] = uint32_t(t);
            carry = t >> 32;
        }
        p[i + 4] = uint32_t(carry);
    }
    Limbs r{};
    const int word = lowBit / 32, shift = lowBit % 32;
    for (int i = 0; i < 4; ++i) {
        uint64_t pair = uint64_t(word + i + 1 < 8 ? p[word + i + 1] : 0) << 32 | p[word + i];
        r.w[i] = uint32_t(pair >> shift);
    }
    return r;
}
inline Limbs Magnitude(const Limbs& a) { return Negative(a) ? Not(a) : a; }
inline Limbs Square(const Limbs& a) { return ProductBits(Magnitude(a), Magnitude(a), 120); }
inline Limbs TwiceProduct(const Limbs& a, const Limbs& b) {
    Limbs d = ProductBits(Magnitude(a), Magnitude(b), 119);
    return Negative(a) != Negative(b) ? Neg(d) : d;
}
inline Limbs Times(const Limbs& a, uint32_t k) { return ProductBits(a, {{k, 0, 0, 0}}, 0); }

// ---- Escape counts ---------------------------------------------------------------------

inline int32_t EscapeDouble(double cx, double cy, int32_t n) {
    double x = cx, y = cy;
    for (int32_t m = n; m > 0; --m) {
        double a = x * x;
        double b = y * y;
        double t = x * y;
        t = t + t;
        double nx = t + cx;
        double ny = (b - a) + cy;
        double s = a + b;
        if (s >= 4.0) return m;
        x = nx;
        y = ny;
    }
    return 0;
}

inline int32_t Escape60(int64_t cx, int64_t cy, int32_t n) {
    int64_t x = cx, y = cy;
    for (int32_t m = n; m > 0; --m) {
        __int128 p = __int128(x) * x;
        if (uint64_t(p >> 64) >> 58) return m;
        int64_t sx = int64_t(p >> 60);
        __int128 q = __int128(y) * y;
        if (uint64_t(q >> 64) >> 58) return m;
        int64_t sy = int64_t(q >> 60);
        __int128 r = __int128(x) * y;
        __int128 wide = __int128(int64_t(uint64_t(r >> 59))) + cx;
        if (wide > INT64_MAX || wide < INT64_MIN) return m;
        int64_t nx = int64_t(wide);
        int64_t ny = int64_t(uint64_t(sy) - uint64_t(sx) + uint64_t(cy));
        if (sx + sy >= (int64_t(4) << 60)) return m;
        x = nx;
        y = ny;
    }
    return 0;
}

inline int32_t Escape128(const Limbs& cx, const Limbs& cy, int32_t n) {
    Limbs x = cx, y = cy;
    for (int32_t m = n; m > 0; --m) {
        Limbs sx = Square(x), sy = Square(y);
        Limbs nx = Add(TwiceProduct(x, y), cx);
        Limbs ny = Add(Add(sy, Neg(sx)), cy);
        if (Add(sx, sy).w[3] >> 26) return m;
        x = nx;
        y = ny;
    }
    return 0;
}

// The count of picture pixel (col, row) in the format of Calc.NumberMode.
inline int32_t PixelCount(int col, int row) {
    const int32_t n = View.Iteration;
    switch (Calc.NumberMode) {
    case ModeDouble:
        return EscapeDouble(Calc.OriginD_zX + double(col) * Calc.PixelStep,
                            Calc.OriginD_zY + double(row) * Calc.PixelStep, n);
    case ModeFixed60:
        return Escape60(int64_t(uint64_t(Calc.Origin60_zX) + uint64_t(col) * uint64_t(Calc.PixelStep60)),
                        int64_t(uint64_t(Calc.Origin60_zY) + uint64_t(row) * uint64_t(Calc.PixelStep60)), n);
    default: {
        Limbs step = FromL(Calc.PixelStep128);
        return Escape128(Add(FromL(Calc.Origin_zX), Times(step, uint32_t(col))),
                         Add(FromL(Calc.Origin_zY), Times(step, uint32_t(row))), n);
    }
    }
}

inline uint32_t Colour(int32_t count) {
    if (count == 0) return 0;
    return Palette[uint64_t(std::llrint(double(View.Iteration - count) * View.Color) + View.Offset) & 255];
}

}  // namespace ref
