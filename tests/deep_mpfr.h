// tests/deep_mpfr.h - the oracle of the perturbation format in MPFR (Linux tests and the orbit's
// benchmark only): coordinates as the places and the view write them, the reference orbit, and
// escape counts of single pixels computed directly.
#pragma once
#include <gmp.h>
#include <mpfr.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "engine/deep.h"
#include "engine/fixed.h"
#include "engine/state.h"
#include "tests/deep_view.h"

namespace deep {

// A complex number in MPFR; real part first.
struct Mp {
    mpfr_t re, im;
    explicit Mp(long prec) { mpfr_inits2(prec, re, im, (mpfr_ptr)0); }
    ~Mp() { mpfr_clears(re, im, (mpfr_ptr)0); }
    Mp(const Mp&) = delete;
    Mp& operator=(const Mp&) = delete;
};


// A coordinate's first `words` words (its long128, then its extra words) as the exact number.
inline void SetCoordinate(mpfr_t r, long128 c, const uint64_t* ext, int words) {
    std::vector<uint64_t> w{c.hi, c.lo};   // most significant first
    for (int i = 0; i + 2 < words; ++i) w.push_back(i < CentreExtWords ? ext[i] : 0);
    mpz_t z;
    mpz_init(z);
    mpz_import(z, w.size(), 1, sizeof(uint64_t), 0, 0, w.data());
    if (int64_t(c.hi) < 0) {   // two's complement of all the words
        mpz_t full;
        mpz_init(full);
        mpz_ui_pow_ui(full, 2, 64 * w.size());
        mpz_sub(z, z, full);
        mpz_clear(full);
    }
    mpfr_set_z_2exp(r, z, -(64 * long(w.size()) - 8), MPFR_RNDN);
    mpz_clear(z);
}

// The centre of View (real part zY, imaginary part zX) to `words` words.
inline void SetViewCentre(mpfr_t cr, mpfr_t ci, int words) {
    SetCoordinate(cr, View.Center_zY, View.Center_zYExt, words);
    SetCoordinate(ci, View.Center_zX, View.Center_zXExt, words);
}

inline DeepOrbitPoint PointOf(const mpfr_t x, const mpfr_t y) {
    DeepOrbitPoint p{};
    long e = 0;
    p.ReM = mpfr_zero_p(x) ? 0.0 : mpfr_get_d_2exp(&e, x, MPFR_RNDN), p.ReE = int32_t(e);
    e = 0;
    p.ImM = mpfr_zero_p(y) ? 0.0 : mpfr_get_d_2exp(&e, y, MPFR_RNDN), p.ImE = int32_t(e);
    return p;
}

// A coordinate written as view-file words ("$XXXXXXXX ...": the two's-complement integer of
// all words, first most significant, in units of 2^-(32n - 8)), or as a decimal. x gets the
// precision the words need when that is more than it has.
inline void SetCoordinate(mpfr_t x, const char* text) {
    if (text[0] != '$') {
        mpfr_set_str(x, text, 10, MPFR_RNDN);
        return;
    }
    long words = 0;
    for (const char* p = text; *p != 0; ++p) words += *p == '$';
    if (mpfr_get_prec(x) < 32 * words + 8) mpfr_set_prec(x, 32 * words + 8);
    const CentreCoord c = deepview::Coordinate(text);
    SetCoordinate(x, long128{c.W[1], c.W[0]}, &c.W[2], int(words + 1) / 2);
}

// The orbit Z_0 = 0, Z_(k+1) = Z_k^2 + c at prec bits: keep(Z_k) for k = 0 .. n, up to the
// first Z_k with |Z_k|^2 >= 4, whose k is returned (else -1).
template <class Keep>
int32_t Orbit(const mpfr_t cr, const mpfr_t ci, int32_t n, long prec, Keep keep) {
    mpfr_t x, y, xx, yy, s;
    mpfr_inits2(prec, x, y, xx, yy, s, (mpfr_ptr)0);
    mpfr_set_ui(x, 0, MPFR_RNDN);
    mpfr_set_ui(y, 0, MPFR_RNDN);
    int32_t out = -1;
    for (int32_t k = 0; k <= n && out < 0; ++k) {
        keep(x, y);
        mpfr_sqr(xx, x, MPFR_RNDN);
        mpfr_sqr(yy, y, MPFR_RNDN);
        mpfr_add(s, xx, yy, MPFR_RNDN);
        if (mpfr_cmp_ui(s, 4) >= 0) out = k;
        mpfr_mul(y, x, y, MPFR_RNDN);
        mpfr_mul_2ui(y, y, 1, MPFR_RNDN);
        mpfr_add(y, y, ci, MPFR_RNDN);
        mpfr_sub(x, xx, yy, MPFR_RNDN);
        mpfr_add(x, x, cr, MPFR_RNDN);
    }
    mpfr_clears(x, y, xx, yy, s, (mpfr_ptr)0);
    return out;
}

// The count rule: Iteration - k for the first k with |z_k|^2 >= 4, z_0 = c = Z_1; else 0.
inline int32_t Count(const mpfr_t cr, const mpfr_t ci, int32_t n, long prec) {
    const int32_t k = Orbit(cr, ci, n, prec, [](const mpfr_t, const mpfr_t) {});
    return k < 0 ? 0 : n - (k - 1);
}

// Picture pixel (col, row) of a w x h picture centred on c: c + ((2 row - h), (2 col - w)) half
// pixels.
inline void PixelPoint(const Mp& c, int col, int row, int w, int h, int32_t zoomBits, Mp& out) {
    const long prec = std::max<long>(std::max(mpfr_get_prec(c.re), mpfr_get_prec(c.im)), zoomBits) + 32;
    mpfr_set_prec(out.re, prec);
    mpfr_set_prec(out.im, prec);
    mpfr_set_si(out.re, 2 * row - h, MPFR_RNDN);
    mpfr_set_si(out.im, 2 * col - w, MPFR_RNDN);
    mpfr_div_2ui(out.re, out.re, zoomBits + 1, MPFR_RNDN);
    mpfr_div_2ui(out.im, out.im, zoomBits + 1, MPFR_RNDN);
    mpfr_add(out.re, out.re, c.re, MPFR_RNDN);
    mpfr_add(out.im, out.im, c.im, MPFR_RNDN);
}

// The reference orbit of View's centre to `words` words, as DeepRef stores it, at prec bits.
inline std::vector<DeepOrbitPoint> ViewOrbit(int words, long prec, int32_t limit, bool& escaped) {
    Mp c(prec);
    SetViewCentre(c.re, c.im, words);
    std::vector<DeepOrbitPoint> z;
    escaped = Orbit(c.re, c.im, limit, prec, [&](const mpfr_t x, const mpfr_t y) { z.push_back(PointOf(x, y)); }) >= 0;
    return z;
}

}  // namespace deep
