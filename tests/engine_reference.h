// tests/engine_reference.h - slow, plain re-statements of the number formats and escape
// counts, written apart from the engine so the kernels can be pinned against them (long128 as
// four 32-bit limbs with a schoolbook 256-bit product, Fixed60 through __int128 with its early
// exits, double in the stated operation order), and the set-up of a test view.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>
#include "engine/fixed.h"
#include "engine/state.h"
#include "engine/work.h"
#include "render/colour.h"
#include "render/cycle.h"

namespace ref {

struct Limbs { uint32_t w[4]; };   // least significant first

inline Limbs FromL(long128 v) { return {{uint32_t(v.lo), uint32_t(v.lo >> 32), uint32_t(v.hi), uint32_t(v.hi >> 32)}}; }
inline long128 ToL(const Limbs& a) { return {uint64_t(a.w[1]) << 32 | a.w[0], uint64_t(a.w[3]) << 32 | a.w[2]}; }
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
    for (int i = 0; i < 4; ++i) {
        const int word = lowBit / 32 + i;
        r.w[i] = uint32_t((uint64_t(word + 1 < 8 ? p[word + 1] : 0) << 32 | p[word]) >> (lowBit % 32));
    }
    return r;
}
inline Limbs Magnitude(const Limbs& a) { return Negative(a) ? Not(a) : a; }
inline Limbs Square(const Limbs& a) { return ProductBits(Magnitude(a), Magnitude(a), 120); }
inline Limbs TwiceProduct(const Limbs& a, const Limbs& b) {
    Limbs d = ProductBits(Magnitude(a), Magnitude(b), 119);
    return Negative(a) != Negative(b) ? Neg(d) : d;
}

// ---- Escape counts: the down-counter at the first pass that sees |z|^2 >= 4, else 0 ----

inline int32_t EscapeDouble(double cx, double cy, int32_t n) {
    for (double x = cx, y = cy; n > 0; --n) {
        double a = x * x, b = y * y, t = x * y;
        t = t + t;
        double nx = t + cx, ny = (b - a) + cy, s = a + b;
        if (s >= 4.0) return n;
        x = nx, y = ny;
    }
    return 0;
}

inline int32_t Escape60(int64_t cx, int64_t cy, int32_t n) {
    for (int64_t x = cx, y = cy; n > 0; --n) {
        __int128 p = __int128(x) * x, q = __int128(y) * y;
        if (uint64_t(p >> 64) >> 58 || uint64_t(q >> 64) >> 58) return n;
        int64_t sx = int64_t(p >> 60), sy = int64_t(q >> 60);
        __int128 nx = __int128(int64_t(uint64_t((__int128(x) * y) >> 59))) + cx;
        if (nx > INT64_MAX || nx < INT64_MIN) return n;
        int64_t ny = int64_t(uint64_t(sy) - uint64_t(sx) + uint64_t(cy));
        if (sx + sy >= (int64_t(4) << 60)) return n;
        x = int64_t(nx), y = ny;
    }
    return 0;
}

inline int32_t Escape128(const Limbs& cx, const Limbs& cy, int32_t n) {
    for (Limbs x = cx, y = cy; n > 0; --n) {
        Limbs sx = Square(x), sy = Square(y);
        Limbs nx = Add(TwiceProduct(x, y), cx), ny = Add(Add(sy, Neg(sx)), cy);
        if (Add(sx, sy).w[3] >> 26) return n;
        x = nx, y = ny;
    }
    return 0;
}

// The count of picture pixel (col, row) in the format of Calc.NumberMode.
inline int32_t PixelCount(int col, int row) {
    const int32_t n = View.Iteration;
    const uint64_t step60 = uint64_t(Calc.PixelStep60);
    const Limbs step = FromL(Calc.PixelStep128);
    switch (Calc.NumberMode) {
    case ModeDouble:
        return EscapeDouble(Calc.OriginD_zX + col * Calc.PixelStep, Calc.OriginD_zY + row * Calc.PixelStep, n);
    case ModeFixed60:
        return Escape60(int64_t(uint64_t(Calc.Origin60_zX) + col * step60),
                        int64_t(uint64_t(Calc.Origin60_zY) + row * step60), n);
    default:
        return Escape128(Add(FromL(Calc.Origin_zX), ProductBits(step, {{uint32_t(col)}}, 0)),
                         Add(FromL(Calc.Origin_zY), ProductBits(step, {{uint32_t(row)}}, 0)), n);
    }
}

inline uint32_t Colour(int32_t count) {
    if (count == 0) return 0;
    return Palette[uint64_t(std::llrint(double(View.Iteration - count) * View.Color) + View.Offset) & 255];
}

// ---- Test views ------------------------------------------------------------------------

struct Scene {
    const char* CenterY;   // real part, decimal
    const char* CenterX;   // imaginary part, decimal
    int32_t Zoom, Iteration, Width, Height;
    uint8_t FpuMode = 1;
    int32_t CpuPrev = 0;
    int ForceMode = -1;    // a kernel other than the one the zoom picks
};

// Installs a view and a fresh pass: every pixel pending, progress grey.
inline void Install(const Scene& s, int threads) {
    InitEngineState();
    BuildPalette();
    Calc.WindowWidth = s.Width;
    Calc.WindowHeight = s.Height;
    View = ViewParams{};
    View.Center_zY = DecimalToLong128(s.CenterY);
    View.Center_zX = DecimalToLong128(s.CenterX);
    View.ld_Zoom = s.Zoom;
    View.Iteration = View.Alt_Iteration = s.Iteration;
    View.Color = View.Alt_Color = 4.0;
    View.Offset = 16;
    View.FPU_Mode = s.FpuMode;
    View.CPU_Prev = s.CpuPrev;
    SetupCalculation();
    if (s.ForceMode >= 0) Calc.NumberMode = uint8_t(s.ForceMode);
    Work.ThreadCount = threads;
    BuildTileTables();
    for (int row = 0; row < s.Height; ++row) std::fill_n(&MaskAt(0, row), s.Width, -1);
    std::fill_n(ProgressImage, MaxPixels, 0x808080u);
}

// The four picture buffers of a view, for comparing one computation with another.
struct Picture {
    std::vector<int32_t> n, mask;
    std::vector<uint32_t> screen, progress;
    bool operator==(const Picture&) const = default;
};

inline Picture TakePicture(const Scene& s) {
    Picture p;
    for (int row = 0; row < s.Height; ++row) {
        p.n.insert(p.n.end(), &NAt(0, row), &NAt(s.Width, row));
        p.mask.insert(p.mask.end(), &MaskAt(0, row), &MaskAt(s.Width, row));
    }
    p.screen.assign(ScreenImage, ScreenImage + s.Width * s.Height);
    p.progress.assign(ProgressImage, ProgressImage + s.Width * s.Height);
    return p;
}

// Makes tile 0 the whole picture, its columns shared out among the strips of `threads`
// threads (ref::Install(s, threads) first), so that each strip is as long as it can be;
// without time slicing.
inline void WholePictureTile(const Scene& s, int threads = 1) {
    Work.LivePass = false;
    Work.TilePos = 0;
    for (int t = 1; t <= threads; ++t) {
        Work.TileX1[t][0] = (t - 1) * s.Width / threads;
        Work.TileX2[t][0] = t * s.Width / threads - 1;
        Work.TileY1[t][0] = 0;
        Work.TileY2[t][0] = s.Height - 1;
    }
}

// All 1024 tiles without time slicing.
inline void RunPass() {
    Work.LivePass = false;
    for (Work.TilePos = 0; Work.TilePos < TileCount; ++Work.TilePos) {
        PrepareSlice();
        ComputeTile();
    }
}

}  // namespace ref
