// scripts/deep_places.cpp - finds and measures the deep places the perturbation tests and
// benchmarks use (tests/deep_places.h, bench/views/deep-*.zxp), in MPFR. A developer's tool,
// Linux only, not built with the project; scripts/deep_places.sh runs it for every place.
//
//   g++ -O2 -std=c++20 scripts/deep_places.cpp -lmpfr -lgmp -pthread -o build/deep_places
//
//   deep_places place NAME ZOOM ITERATION CENTRE [at Z] [offset DCOL DROW] [snap RADIUS]
//                     [sample W H GX GY] [zxp FILE] [from PLACE]
//       CENTRE: misiurewicz PRE PER RE IM | nucleus PERIOD RE IM | point RE IM | words RE IM
//       (RE IM decimal seeds, or view-file words); offset moves the centre by pixels of zoom Z
//       (ZOOM unless "at" says), snap moves it to the nucleus of the lowest-period mini-set
//       within RADIUS such pixels; from names the place of the same CENTRE and ZOOM that the
//       offset moves, whose words the entry then takes. Prints the entry for tests/deep_places.h with its
//       figures as a comment, and on stderr the offsets of the sampled pixels that escape first
//       (inner half), last, and nearest to $NEAR_K passes, for choosing the next place.
//   deep_places period RE IM RADIUS LIMIT BITS     lowest period of a mini-set in the disc
//   deep_places cycle PRE PER RE IM BITS           a preperiodic point and its cycle's multiplier
//
// Orbits follow the program's rule: z_0 = c, a pixel escapes at the first k with |z_k|^2 >= 4
// (its count is ITERATION - k). Newton's iterations use the usual w_0 = 0, w_(n+1) = w_n^2 + c,
// so w_(n+1) = z_n.
#include <mpfr.h>
#include <gmp.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

struct Cx {
    mpfr_t re, im;
    explicit Cx(mpfr_prec_t p) { mpfr_init2(re, p); mpfr_init2(im, p); mpfr_set_zero(re, 1); mpfr_set_zero(im, 1); }
    ~Cx() { mpfr_clear(re); mpfr_clear(im); }
    Cx(const Cx&) = delete;
    Cx& operator=(const Cx&) = delete;
};

static void Set(Cx& a, const Cx& b) { mpfr_set(a.re, b.re, MPFR_RNDN); mpfr_set(a.im, b.im, MPFR_RNDN); }

// a = a * b (a and b distinct), t1 t2 scratch.
static void MulInto(Cx& a, const Cx& b, mpfr_t t1, mpfr_t t2) {
    mpfr_mul(t1, a.re, b.re, MPFR_RNDN);
    mpfr_mul(t2, a.im, b.im, MPFR_RNDN);
    mpfr_sub(t1, t1, t2, MPFR_RNDN);
    mpfr_mul(t2, a.re, b.im, MPFR_RNDN);
    mpfr_mul(a.im, a.im, b.re, MPFR_RNDN);
    mpfr_add(a.im, a.im, t2, MPFR_RNDN);
    mpfr_set(a.re, t1, MPFR_RNDN);
}

// One step of w -> w^2 + c.
static void Step(Cx& w, const Cx& c, mpfr_t t1, mpfr_t t2) {
    mpfr_sqr(t1, w.re, MPFR_RNDN);
    mpfr_sqr(t2, w.im, MPFR_RNDN);
    mpfr_sub(t1, t1, t2, MPFR_RNDN);
    mpfr_mul(w.im, w.im, w.re, MPFR_RNDN);
    mpfr_mul_2ui(w.im, w.im, 1, MPFR_RNDN);
    mpfr_add(w.im, w.im, c.im, MPFR_RNDN);
    mpfr_add(w.re, t1, c.re, MPFR_RNDN);
}

// One step of w -> w^2 + c together with dw -> 2 w dw + 1.
static void StepWithDerivative(Cx& w, Cx& dw, const Cx& c, mpfr_t t1, mpfr_t t2) {
    MulInto(dw, w, t1, t2);
    mpfr_mul_2ui(dw.re, dw.re, 1, MPFR_RNDN);
    mpfr_mul_2ui(dw.im, dw.im, 1, MPFR_RNDN);
    mpfr_add_ui(dw.re, dw.re, 1, MPFR_RNDN);
    Step(w, c, t1, t2);
}

// c = c - f / df; returns log2 |f / df|.
static double NewtonUpdate(Cx& c, const Cx& f, const Cx& df, mpfr_prec_t p) {
    mpfr_t n, t1, t2;
    mpfr_inits2(p, n, t1, t2, (mpfr_ptr)0);
    Cx q(p);
    // q = f * conj(df) / |df|^2
    mpfr_sqr(n, df.re, MPFR_RNDN);
    mpfr_sqr(t1, df.im, MPFR_RNDN);
    mpfr_add(n, n, t1, MPFR_RNDN);
    mpfr_mul(t1, f.re, df.re, MPFR_RNDN);
    mpfr_mul(t2, f.im, df.im, MPFR_RNDN);
    mpfr_add(q.re, t1, t2, MPFR_RNDN);
    mpfr_mul(t1, f.im, df.re, MPFR_RNDN);
    mpfr_mul(t2, f.re, df.im, MPFR_RNDN);
    mpfr_sub(q.im, t1, t2, MPFR_RNDN);
    mpfr_div(q.re, q.re, n, MPFR_RNDN);
    mpfr_div(q.im, q.im, n, MPFR_RNDN);
    mpfr_sub(c.re, c.re, q.re, MPFR_RNDN);
    mpfr_sub(c.im, c.im, q.im, MPFR_RNDN);
    long e1 = 0, e2 = 0;
    double m1 = mpfr_get_d_2exp(&e1, q.re, MPFR_RNDN), m2 = mpfr_get_d_2exp(&e2, q.im, MPFR_RNDN);
    double l1 = m1 == 0 ? -1e9 : std::log2(std::fabs(m1)) + e1;
    double l2 = m2 == 0 ? -1e9 : std::log2(std::fabs(m2)) + e2;
    mpfr_clears(n, t1, t2, (mpfr_ptr)0);
    return std::max(l1, l2);
}

// Newton's method on w_(pre+per)(c) - w_pre(c) = 0 (per = 0: on w_pre(c) = 0, a nucleus).
static void Newton(Cx& c, int pre, int per, mpfr_prec_t p) {
    mpfr_t t1, t2;
    mpfr_inits2(p, t1, t2, (mpfr_ptr)0);
    for (int step = 0; step < 200; ++step) {
        Cx w(p), dw(p), wp(p), dwp(p);
        for (int n = 1; n <= pre + per; ++n) {
            StepWithDerivative(w, dw, c, t1, t2);
            if (n == pre && per > 0) { Set(wp, w); Set(dwp, dw); }
        }
        if (per > 0) {
            mpfr_sub(w.re, w.re, wp.re, MPFR_RNDN);
            mpfr_sub(w.im, w.im, wp.im, MPFR_RNDN);
            mpfr_sub(dw.re, dw.re, dwp.re, MPFR_RNDN);
            mpfr_sub(dw.im, dw.im, dwp.im, MPFR_RNDN);
        }
        double l = NewtonUpdate(c, w, dw, p);
        if (l < -double(p) + 24) break;
        if (step == 199) fprintf(stderr, "Newton did not converge (last step 2^%.1f)\n", l);
    }
    mpfr_clears(t1, t2, (mpfr_ptr)0);
}

// a = b / c.
static void Div(Cx& a, const Cx& b, const Cx& c, mpfr_prec_t p) {
    mpfr_t n, t1, t2;
    mpfr_inits2(p, n, t1, t2, (mpfr_ptr)0);
    mpfr_sqr(n, c.re, MPFR_RNDN);
    mpfr_sqr(t1, c.im, MPFR_RNDN);
    mpfr_add(n, n, t1, MPFR_RNDN);
    mpfr_mul(t1, b.re, c.re, MPFR_RNDN);
    mpfr_mul(t2, b.im, c.im, MPFR_RNDN);
    mpfr_add(t1, t1, t2, MPFR_RNDN);
    mpfr_mul(t2, b.re, c.im, MPFR_RNDN);
    mpfr_mul(a.im, b.im, c.re, MPFR_RNDN);
    mpfr_sub(a.im, a.im, t2, MPFR_RNDN);
    mpfr_div(a.re, t1, n, MPFR_RNDN);
    mpfr_div(a.im, a.im, n, MPFR_RNDN);
    mpfr_clears(n, t1, t2, (mpfr_ptr)0);
}

// Newton's method on (w_(pre+per) - w_pre) / prod_(j<pre) (w_(j+per) - w_j): the division takes
// out the points of smaller preperiod, so it finds the point of this exact preperiod near the seed.
static void NewtonPreperiodic(Cx& c, int pre, int per, mpfr_prec_t p) {
    mpfr_t t1, t2;
    mpfr_inits2(p, t1, t2, (mpfr_ptr)0);
    for (int step = 0; step < 300; ++step) {
        std::vector<Cx*> w, dw;
        for (int n = 0; n <= pre + per; ++n) {
            w.push_back(new Cx(p));
            dw.push_back(new Cx(p));
            if (n > 0) {
                Set(*w[n], *w[n - 1]);
                Set(*dw[n], *dw[n - 1]);
                StepWithDerivative(*w[n], *dw[n], c, t1, t2);
            }
        }
        // s = sum over the factors of (their derivative / their value), + for F, - for the others
        Cx s(p), g(p), dg(p), q(p);
        for (int j = 0; j <= pre; ++j) {
            mpfr_sub(g.re, w[j + per]->re, w[j]->re, MPFR_RNDN);
            mpfr_sub(g.im, w[j + per]->im, w[j]->im, MPFR_RNDN);
            mpfr_sub(dg.re, dw[j + per]->re, dw[j]->re, MPFR_RNDN);
            mpfr_sub(dg.im, dw[j + per]->im, dw[j]->im, MPFR_RNDN);
            Div(q, dg, g, p);
            if (j == pre) {
                mpfr_add(s.re, s.re, q.re, MPFR_RNDN);
                mpfr_add(s.im, s.im, q.im, MPFR_RNDN);
            } else {
                mpfr_sub(s.re, s.re, q.re, MPFR_RNDN);
                mpfr_sub(s.im, s.im, q.im, MPFR_RNDN);
            }
        }
        for (Cx* x : w) delete x;
        for (Cx* x : dw) delete x;
        Cx one(p);
        mpfr_set_ui(one.re, 1, MPFR_RNDN);
        double l = NewtonUpdate(c, one, s, p);
        if (l < -double(p) + 24) break;
        if (step == 299) fprintf(stderr, "Newton did not converge (last step 2^%.1f)\n", l);
    }
    mpfr_clears(t1, t2, (mpfr_ptr)0);
}

static double Log2Abs(const Cx& a) {
    long e1, e2;
    double m1 = mpfr_get_d_2exp(&e1, a.re, MPFR_RNDN), m2 = mpfr_get_d_2exp(&e2, a.im, MPFR_RNDN);
    long e = std::max(m1 == 0 ? -(1L << 40) : e1, m2 == 0 ? -(1L << 40) : e2);
    double x = std::ldexp(m1, int(std::max(e1 - e, -2000L))), y = std::ldexp(m2, int(std::max(e2 - e, -2000L)));
    return std::log2(std::hypot(x, y)) + double(e);
}

// Checks a preperiodic point: w_(pre-1) differs from w_(pre+per-1) and the cycle's least
// period is per; prints the cycle's multiplier.
static void DescribeCycle(const Cx& c, int pre, int per, mpfr_prec_t p) {
    mpfr_t t1, t2;
    mpfr_inits2(p, t1, t2, (mpfr_ptr)0);
    std::vector<double> wr, wi, lw;
    Cx w(p), dw(p);
    for (int n = 0; n <= pre + per; ++n) {
        wr.push_back(mpfr_get_d(w.re, MPFR_RNDN));
        wi.push_back(mpfr_get_d(w.im, MPFR_RNDN));
        lw.push_back(Log2Abs(w));
        StepWithDerivative(w, dw, c, t1, t2);
    }
    double dist = std::hypot(wr[pre - 1] - wr[pre + per - 1], wi[pre - 1] - wi[pre + per - 1]);
    double lambda = 0;
    for (int n = pre; n < pre + per; ++n) lambda += 1 + lw[n];
    int least = per;
    for (int d = 1; d < per; ++d)
        if (per % d == 0 && std::hypot(wr[pre] - wr[pre + d], wi[pre] - wi[pre + d]) < 1e-12) { least = d; break; }
    printf("c = %.17g %+.17gi  |w_%d - w_%d| = %.3g  least period %d  log2|multiplier| per step %.5f\n",
           mpfr_get_d(c.re, MPFR_RNDN), mpfr_get_d(c.im, MPFR_RNDN), pre - 1, pre + per - 1, dist, least,
           lambda / per);
    mpfr_clears(t1, t2, (mpfr_ptr)0);
}

// Escape index k of the orbit z_0 = c (first k with |z_k|^2 >= 4), or -1 when bounded up to
// limit passes.
static int32_t EscapeAt(const mpfr_t cre, const mpfr_t cim, int32_t limit, mpfr_prec_t p) {
    mpfr_t x, y, a, b, t;
    mpfr_inits2(p, x, y, a, b, t, (mpfr_ptr)0);
    mpfr_set(x, cre, MPFR_RNDN);
    mpfr_set(y, cim, MPFR_RNDN);
    int32_t k = 0, result = -1;
    for (; k < limit; ++k) {
        mpfr_sqr(a, x, MPFR_RNDN);
        mpfr_sqr(b, y, MPFR_RNDN);
        mpfr_add(t, a, b, MPFR_RNDN);
        if (mpfr_cmp_ui(t, 4) >= 0) { result = k; break; }
        mpfr_mul(y, y, x, MPFR_RNDN);
        mpfr_mul_2ui(y, y, 1, MPFR_RNDN);
        mpfr_add(y, y, cim, MPFR_RNDN);
        mpfr_sub(x, a, b, MPFR_RNDN);
        mpfr_add(x, x, cre, MPFR_RNDN);
    }
    mpfr_clears(x, y, a, b, t, (mpfr_ptr)0);
    return result;
}

// The coordinate as a view-file line: n words, two's complement, units 2^-(32n - 8).
static std::string Words(const mpfr_t v, int n) {
    mpfr_t s;
    mpfr_init2(s, mpfr_get_prec(v) + 64);
    mpfr_mul_2si(s, v, 32 * n - 8, MPFR_RNDN);
    mpz_t z, m;
    mpz_inits(z, m, (mpz_ptr)0);
    mpfr_get_z(z, s, MPFR_RNDN);
    mpz_set_ui(m, 1);
    mpz_mul_2exp(m, m, 32 * n);
    mpz_mod(z, z, m);
    std::string out;
    for (int i = n - 1; i >= 0; --i) {
        mpz_tdiv_q_2exp(m, z, 32 * i);
        char buf[16];
        snprintf(buf, sizeof buf, "%s$%08lX", out.empty() ? "" : " ", mpz_get_ui(m) & 0xFFFFFFFFul);
        out += buf;
    }
    mpz_clears(z, m, (mpz_ptr)0);
    mpfr_clear(s);
    return out;
}

// Text as comment lines of at most 100 columns.
static std::string Comment(const std::string& text) {
    std::string out, line = "    //";
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find(' ', i);
        if (j == std::string::npos) j = text.size();
        std::string word = text.substr(i, j - i);
        i = j + 1;
        if (word.empty()) continue;
        if (line.size() + 1 + word.size() > 100) {
            out += line + "\n";
            line = "    //";
        }
        line += " " + word;
    }
    return out + line + "\n";
}

// The words as a C++ string literal, eight words a line (adjacent literals join).
static std::string Literal(const std::string& words) {
    std::string out = "     \"";
    for (size_t i = 0, n = 0; i < words.size(); ++i) {
        if (words[i] == ' ' && ++n % 8 == 0) {
            out += " \"\n     \"";
            continue;
        }
        out += words[i];
    }
    return out + "\"";
}

// ZoomBits + 64 fraction bits; within the exact formats' range the centre is a long128, 4 words.
static int WordsFor(int zoom) { return zoom <= 112 ? 4 : (zoom + 80 + 31) / 32; }

struct Sample {
    int escaped = 0, total = 0;
    int32_t minK = 0, medianK = 0, maxK = 0;
    int fastCol = 0, fastRow = 0;   // the sampled pixel of the inner half that escapes first
    int slowCol = 0, slowRow = 0;   // the sampled pixel that escapes last
    int nearCol = 0, nearRow = 0;   // the sampled pixel whose escape is nearest to $NEAR_K
    int later = 0;                  // pixels that escape after the centre, or stay bounded
};

// GX x GY pixels of a W x H picture, the middle pixel of each cell, computed directly.
static Sample Measure(const mpfr_t cre, const mpfr_t cim, int zoom, int32_t limit, int W, int H, int GX, int GY,
                      mpfr_prec_t p, int32_t centreK) {
    std::vector<int32_t> ks(size_t(GX) * GY, -2);
    std::atomic<int> next{0};
    auto work = [&]() {
        mpfr_t re, im;
        mpfr_inits2(p, re, im, (mpfr_ptr)0);
        for (int i; (i = next++) < GX * GY;) {
            int col = (i % GX) * (W / GX) + W / GX / 2, row = (i / GX) * (H / GY) + H / GY / 2;
            mpfr_set_si_2exp(re, row - H / 2, -(8 + zoom), MPFR_RNDN);
            mpfr_add(re, re, cre, MPFR_RNDN);
            mpfr_set_si_2exp(im, col - W / 2, -(8 + zoom), MPFR_RNDN);
            mpfr_add(im, im, cim, MPFR_RNDN);
            ks[i] = EscapeAt(re, im, limit, p);
        }
        mpfr_clears(re, im, (mpfr_ptr)0);
    };
    std::thread other(work);
    work();
    other.join();
    Sample s;
    std::vector<int32_t> e;
    int32_t fastK = -1;
    for (int i = 0; i < GX * GY; ++i) {
        int32_t k = ks[i];
        if (centreK >= 0 && (k < 0 || k > centreK)) ++s.later;
        if (k < 0) continue;
        e.push_back(k);
        int col = (i % GX) * (W / GX) + W / GX / 2, row = (i / GX) * (H / GY) + H / GY / 2;
        if (k >= *std::max_element(e.begin(), e.end())) { s.slowCol = col - W / 2; s.slowRow = row - H / 2; }
        static const long nearK = getenv("NEAR_K") ? atol(getenv("NEAR_K")) : 0;
        static long bestNear = -1;
        if (nearK > 0 && (bestNear < 0 || std::labs(k - nearK) < bestNear)) {
            bestNear = std::labs(k - nearK);
            s.nearCol = col - W / 2;
            s.nearRow = row - H / 2;
        }
        if (std::abs(col - W / 2) <= W / 4 && std::abs(row - H / 2) <= H / 4 && (fastK < 0 || k < fastK)) {
            fastK = k;
            s.fastCol = col - W / 2;
            s.fastRow = row - H / 2;
        }
    }
    s.total = int(ks.size());
    s.escaped = int(e.size());
    if (!e.empty()) {
        std::sort(e.begin(), e.end());
        s.minK = e.front();
        s.medianK = e[e.size() / 2];
        s.maxK = e.back();
    }
    return s;
}

// A view-file line's words as a number.
static void FromWords(mpfr_t v, const char* text) {
    mpz_t z, w;
    mpz_inits(z, w, (mpz_ptr)0);
    int n = 0;
    for (const char* s = strchr(text, '$'); s; s = strchr(s + 1, '$'), ++n) {
        mpz_mul_2exp(z, z, 32);
        mpz_add_ui(z, z, strtoul(s + 1, nullptr, 16));
    }
    if (n > 0 && strtoul(strchr(text, '$') + 1, nullptr, 16) >= 0x80000000ul) {
        mpz_set_ui(w, 1);
        mpz_mul_2exp(w, w, 32 * n);
        mpz_sub(z, z, w);
    }
    mpfr_set_z_2exp(v, z, -(32 * n - 8), MPFR_RNDN);
    mpz_clears(z, w, (mpz_ptr)0);
}

static void Centre(Cx& c, char** a, int& i, mpfr_prec_t p, std::string& how) {
    std::string kind = a[i++];
    if (kind == "words") {
        FromWords(c.re, a[i++]);
        FromWords(c.im, a[i++]);
        how = "view";
    } else if (kind == "misiurewicz") {
        int pre = atoi(a[i++]), per = atoi(a[i++]);
        mpfr_set_str(c.re, a[i++], 10, MPFR_RNDN);
        mpfr_set_str(c.im, a[i++], 10, MPFR_RNDN);
        NewtonPreperiodic(c, pre, per, p);
        how = "preperiodic point (preperiod " + std::to_string(pre) + ", period " + std::to_string(per) + ")";
    } else if (kind == "nucleus") {
        int period = atoi(a[i++]);
        mpfr_set_str(c.re, a[i++], 10, MPFR_RNDN);
        mpfr_set_str(c.im, a[i++], 10, MPFR_RNDN);
        Newton(c, period, 0, p);
        how = "nucleus of the mini-set of period " + std::to_string(period);
    } else {
        mpfr_set_str(c.re, a[i++], 10, MPFR_RNDN);
        mpfr_set_str(c.im, a[i++], 10, MPFR_RNDN);
        how = "point";
    }
}

static long BallPeriod(const Cx& c, double log2Radius, long limit, mpfr_prec_t p);

static int Place(int argc, char** a) {
    int i = 2;
    std::string name = a[i++];
    int zoom = atoi(a[i++]);
    int32_t limit = atoi(a[i++]);
    int n = WordsFor(zoom);
    mpfr_prec_t p = 32 * n + 64;
    Cx c(p);
    std::string how;
    Centre(c, a, i, p, how);
    int W = 640, H = 400, GX = 64, GY = 40;
    std::string zxp, from;
    long moveCols = 0, moveRows = 0;
    int at = zoom;   // the zoom whose pixels the offsets and radii count
    while (i < argc) {
        std::string w = a[i++];
        if (w == "at") {
            at = atoi(a[i++]);
        } else if (w == "offset") {
            long dcol = atol(a[i++]), drow = atol(a[i++]);
            moveCols += dcol;
            moveRows += drow;
            mpfr_t d;
            mpfr_init2(d, 64);
            mpfr_set_si_2exp(d, drow, -(8 + at), MPFR_RNDN);
            mpfr_add(c.re, c.re, d, MPFR_RNDN);
            mpfr_set_si_2exp(d, dcol, -(8 + at), MPFR_RNDN);
            mpfr_add(c.im, c.im, d, MPFR_RNDN);
            mpfr_clear(d);
            how += ", moved " + std::to_string(dcol) + " pixels along zX and " + std::to_string(drow) + " along zY at zoom " + std::to_string(at);
        } else if (w == "snap") {
            // Moves the centre to the nucleus of the lowest-period mini-set within RADIUS pixels.
            double radius = atof(a[i++]);
            long period = BallPeriod(c, std::log2(radius) - (8 + at), 10000000, p);
            if (period <= 0) { fprintf(stderr, "no mini-set found\n"); return 1; }
            Cx old(p);
            Set(old, c);
            Newton(c, int(period), 0, p);
            mpfr_t d;
            mpfr_init2(d, p);
            mpfr_sub(d, c.im, old.im, MPFR_RNDN);
            mpfr_mul_2si(d, d, 8 + at, MPFR_RNDN);
            double dcol = mpfr_get_d(d, MPFR_RNDN);
            mpfr_sub(d, c.re, old.re, MPFR_RNDN);
            mpfr_mul_2si(d, d, 8 + at, MPFR_RNDN);
            double drow = mpfr_get_d(d, MPFR_RNDN);
            mpfr_clear(d);
            fprintf(stderr, "nucleus of period %ld, %.1f pixels along zX and %.1f along zY from the point\n", period, dcol, drow);
            how += "; the nucleus of period " + std::to_string(period) + " nearest to that";
        } else if (w == "sample") {
            W = atoi(a[i++]); H = atoi(a[i++]); GX = atoi(a[i++]); GY = atoi(a[i++]);
        } else if (w == "zxp") {
            zxp = a[i++];
        } else if (w == "from") {
            from = a[i++];
        }
    }
    std::string re = Words(c.re, n), im = Words(c.im, n);
    // Measure the centre as written, rounded to the words.
    mpfr_prec_t sp = 8 + zoom + 64;
    mpfr_t cre, cim;
    mpfr_inits2(p, cre, cim, (mpfr_ptr)0);
    mpfr_set(cre, c.re, MPFR_RNDN);
    mpfr_set(cim, c.im, MPFR_RNDN);
    mpfr_mul_2si(cre, cre, 32 * n - 8, MPFR_RNDN); mpfr_rint(cre, cre, MPFR_RNDN); mpfr_mul_2si(cre, cre, -(32 * n - 8), MPFR_RNDN);
    mpfr_mul_2si(cim, cim, 32 * n - 8, MPFR_RNDN); mpfr_rint(cim, cim, MPFR_RNDN); mpfr_mul_2si(cim, cim, -(32 * n - 8), MPFR_RNDN);
    int32_t centreK = EscapeAt(cre, cim, limit, sp);
    Sample s = GX > 0 ? Measure(cre, cim, zoom, limit, W, H, GX, GY, sp, centreK) : Sample{};
    char buf[512];
    std::string text = name + ": " + how + ". ";
    if (GX > 0) {
        snprintf(buf, sizeof buf, "%dx%d of %dx%d pixels at %ld bits: %.1f %% escape, k min %d median %d max %d; ", GX,
                 GY, W, H, long(sp), 100.0 * s.escaped / s.total, s.minK, s.medianK, s.maxK);
        text += buf;
        fprintf(stderr, "first to escape in the inner half: offset %d %d; last to escape: offset %d %d; nearest to NEAR_K: %d %d\n",
                s.fastCol, s.fastRow, s.slowCol, s.slowRow, s.nearCol, s.nearRow);
    }
    if (centreK < 0) snprintf(buf, sizeof buf, "the centre stays bounded to the limit.");
    else if (GX > 0)
        snprintf(buf, sizeof buf, "the centre escapes at k = %d, %.0f %% of the pixels later.", centreK,
                 100.0 * s.later / std::max(1, s.total));
    else snprintf(buf, sizeof buf, "the centre escapes at k = %d.", centreK);
    text += buf;
    printf("%s", Comment(text).c_str());
    if (!from.empty())   // the words of `from` moved by whole pixels of this zoom are exactly these
        printf("    {\"%s\", nullptr, nullptr, %d, %d, \"%s\", %ld, %ld},\n", name.c_str(), zoom, limit, from.c_str(),
               moveCols, moveRows);
    else
        printf("    {\"%s\",\n%s,\n%s,\n     %d, %d},\n", name.c_str(), Literal(re).c_str(), Literal(im).c_str(), zoom, limit);
    if (!zxp.empty()) {
        FILE* f = fopen(zxp.c_str(), "w");
        std::string file = zxp.substr(zxp.find_last_of('/') + 1);
        std::string label = file.substr(0, file.rfind('.'));
        fprintf(f, "$04                                      1 (long128)\n");
        fprintf(f, "%s  2 Center_zX\n", im.c_str());
        fprintf(f, "%s  3 Center_zY\n", re.c_str());
        fprintf(f, "$%08X                                4 ld_Zoom\n", unsigned(zoom));
        fprintf(f, "$%08X                                5 Iteration\n", unsigned(limit));
        fprintf(f, "$4010 $0000 $0000 $0000                  6 Color\n");
        fprintf(f, "$00000000                                7 Offset\n");
        fprintf(f, "$%08X                                8 Alt_Iteration\n", unsigned(limit));
        fprintf(f, "$4010 $0000 $0000 $0000                  9 Alt_Color\n");
        fprintf(f, "$00                                     10 Automatic\n");
        fprintf(f, "$01                                     11 FPU_Mode\n");
        fprintf(f, "$00000000                               12 CPU_Prev\n");
        fprintf(f, "---------------------------------------\n");
        fprintf(f, "Comment: \"%s\" for x64\n", label.c_str());
        fclose(f);
    }
    mpfr_clears(cre, cim, (mpfr_ptr)0);
    return 0;
}

// The ball method: the first n at which the image of the disc |c - c0| <= r under w_n
// (to first order w_n(c0) + dw_n(c0) (c - c0)) surrounds 0 is the period of the disc's
// lowest-period mini-set.
static int Period(char** a) {
    mpfr_prec_t p = atoi(a[6]);
    Cx c(p);
    mpfr_set_str(c.re, a[2], 10, MPFR_RNDN);
    mpfr_set_str(c.im, a[3], 10, MPFR_RNDN);
    mpfr_t r;
    mpfr_init2(r, 64);
    mpfr_set_str(r, a[4], 10, MPFR_RNDN);
    long e;
    double m = mpfr_get_d_2exp(&e, r, MPFR_RNDN);
    long period = BallPeriod(c, std::log2(m) + double(e), atol(a[5]), p);
    mpfr_clear(r);
    if (period > 0) printf("period %ld\n", period);
    else if (period < 0) printf("the centre escapes at w_%ld\n", -period);
    else printf("no period up to %s\n", a[5]);
    return 0;
}

// The period, 0 when none up to limit, -n when the point itself escapes at w_n.
static long BallPeriod(const Cx& c, double lr, long limit, mpfr_prec_t p) {
    Cx w(p), dw(64);
    mpfr_t t1, t2, d1, d2;
    mpfr_inits2(64, d1, d2, (mpfr_ptr)0);
    mpfr_inits2(p, t1, t2, (mpfr_ptr)0);
    long result = 0;
    for (long n = 1; n <= limit; ++n) {
        // dw at low precision
        mpfr_mul(d1, dw.re, w.re, MPFR_RNDN);
        mpfr_mul(d2, dw.im, w.im, MPFR_RNDN);
        mpfr_sub(d1, d1, d2, MPFR_RNDN);
        mpfr_mul(d2, dw.re, w.im, MPFR_RNDN);
        mpfr_mul(dw.im, dw.im, w.re, MPFR_RNDN);
        mpfr_add(dw.im, dw.im, d2, MPFR_RNDN);
        mpfr_mul_2ui(dw.im, dw.im, 1, MPFR_RNDN);
        mpfr_mul_2ui(dw.re, d1, 1, MPFR_RNDN);
        mpfr_add_ui(dw.re, dw.re, 1, MPFR_RNDN);
        Step(w, c, t1, t2);
        double lw = Log2Abs(w), ld = Log2Abs(dw);
        if (lw > 2) { result = -n; break; }
        if (lw < ld + lr) { result = n; break; }
    }
    mpfr_clears(t1, t2, d1, d2, (mpfr_ptr)0);
    return result;
}

static int CycleCmd(char** a) {
    int pre = atoi(a[2]), per = atoi(a[3]);
    mpfr_prec_t p = atoi(a[6]);
    Cx c(p);
    mpfr_set_str(c.re, a[4], 10, MPFR_RNDN);
    mpfr_set_str(c.im, a[5], 10, MPFR_RNDN);
    NewtonPreperiodic(c, pre, per, p);
    DescribeCycle(c, pre, per, p);
    mpfr_printf("%.40Rf %+.40Rfi\n", c.re, c.im);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 8 && !strcmp(argv[1], "place")) return Place(argc, argv);
    if (argc == 7 && !strcmp(argv[1], "period")) return Period(argv);
    if (argc == 7 && !strcmp(argv[1], "cycle")) return CycleCmd(argv);
    fprintf(stderr, "usage: see the head of scripts/deep_places.cpp\n");
    return 2;
}
