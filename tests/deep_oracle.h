// tests/deep_oracle.h - the reference orbit of a view computed by MPFR, for the orbit's tests
// and its benchmark (Linux only).
#pragma once
#include <gmp.h>
#include <mpfr.h>
#include <vector>
#include "engine/deep.h"
#include "engine/state.h"

namespace oracle {

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

// Z_0 = 0, Z_1 = c, ... until |Z_k|^2 >= 4 or through Z_limit, at `prec` bits.
inline std::vector<DeepOrbitPoint> Orbit(int words, mpfr_prec_t prec, int32_t limit, bool& escaped) {
    mpfr_t cr, ci, x, y, xx, yy, xy, norm;
    mpfr_inits2(prec, cr, ci, x, y, xx, yy, xy, norm, (mpfr_ptr)0);
    SetViewCentre(cr, ci, words);
    mpfr_set_ui(x, 0, MPFR_RNDN);
    mpfr_set_ui(y, 0, MPFR_RNDN);
    std::vector<DeepOrbitPoint> z;
    escaped = false;
    for (int32_t k = 0;; ++k) {
        z.push_back(PointOf(x, y));
        mpfr_sqr(xx, x, MPFR_RNDN);
        mpfr_sqr(yy, y, MPFR_RNDN);
        mpfr_add(norm, xx, yy, MPFR_RNDN);
        if (mpfr_cmp_ui(norm, 4) >= 0) {
            escaped = true;
            break;
        }
        if (k == limit) break;
        mpfr_mul(xy, x, y, MPFR_RNDN);
        mpfr_sub(x, xx, yy, MPFR_RNDN);
        mpfr_add(x, x, cr, MPFR_RNDN);
        mpfr_mul_2ui(xy, xy, 1, MPFR_RNDN);
        mpfr_add(y, xy, ci, MPFR_RNDN);
    }
    mpfr_clears(cr, ci, x, y, xx, yy, xy, norm, (mpfr_ptr)0);
    return z;
}

}  // namespace oracle
