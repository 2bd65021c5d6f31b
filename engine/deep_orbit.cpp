// engine/deep_orbit.cpp - the reference orbit of the picture's centre, step by step in
// fixed point, resumable across the time slices of a live pass.
#include "engine/deep_orbit.h"
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>
#include "engine/deep_fixed.h"
#include "engine/slice_credit.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/platform.h"

DeepReferenceState DeepRef;

namespace {

// The orbit in progress: Z_k = re + i im in fixed point, with the working numbers of a step.
struct OrbitWork {
    int n = 0;                        // words per number
    int32_t limit = 0;                // the iteration limit the orbit is made for
    int32_t next = 0;                 // index of the value the next step stores
    DeepOrbitStatus status = DeepOrbitStatus::Complete;
    std::vector<uint64_t> words;      // every number below, n words each
    uint64_t *cre = nullptr, *cim = nullptr, *re = nullptr, *im = nullptr;   // c and the current value
    uint64_t *absRe = nullptr, *absIm = nullptr, *sum = nullptr;           // magnitudes, and |re + im|
    uint64_t *sqRe = nullptr, *sqIm = nullptr, *sqSum = nullptr;           // their squares
    uint64_t *norm = nullptr;                                              // sqRe + sqIm
    uint64_t *scratch = nullptr;                                           // for the squares, 3n words
};
OrbitWork Orbit;
constexpr int NumberCount = 11;
constexpr int ScratchNumbers = 3;

void ReleaseOrbit() {
    std::vector<DeepOrbitPoint>().swap(DeepRef.Z);
    std::vector<uint64_t>().swap(Orbit.words);
    DeepRef.Length = 0;
    DeepRef.Ready = false;
}

// Sets up the working numbers of an orbit of n-word numbers from c, and room for the most
// values it can store, limit + 1: reserved at once, the room takes no memory before values are
// written into it, and the array never moves (no copy beside the old one while it grows).
void BeginOrbit(int n, const uint64_t* cre, const uint64_t* cim, int32_t zoomBits, int32_t limit) {
    Orbit.n = n;
    Orbit.limit = limit;
    Orbit.next = 0;
    Orbit.status = DeepOrbitStatus::Running;
    ++DeepRef.Generation;
    DeepRef.ZoomBits = zoomBits;
    DeepRef.Iteration = limit;
    DeepRef.Length = 0;
    DeepRef.Escaped = false;
    DeepRef.Ready = false;
    try {
        const size_t need = size_t(limit) + 1;
        if (DeepRef.Z.capacity() < need || DeepRef.Z.capacity() > need + need / 4) {
            std::vector<DeepOrbitPoint>().swap(DeepRef.Z);
            DeepRef.Z.reserve(need);
        }
        DeepRef.Z.clear();
        Orbit.words.assign(size_t(n) * (NumberCount + ScratchNumbers), 0);
    } catch (const std::bad_alloc&) {
        ReleaseOrbit();
        Orbit.status = DeepOrbitStatus::NoMemory;
        return;
    }
    uint64_t* w = Orbit.words.data();
    uint64_t** numbers[NumberCount] = {&Orbit.cre,   &Orbit.cim,  &Orbit.re,   &Orbit.im,
                                       &Orbit.absRe, &Orbit.absIm, &Orbit.sum, &Orbit.sqRe,
                                       &Orbit.sqIm,  &Orbit.sqSum, &Orbit.norm};
    for (int i = 0; i < NumberCount; ++i) *numbers[i] = w + size_t(i) * n;
    Orbit.scratch = w + size_t(NumberCount) * n;
    std::memcpy(Orbit.cre, cre, sizeof(uint64_t) * n);
    std::memcpy(Orbit.cim, cim, sizeof(uint64_t) * n);
}

// Stores Z_k (k = Orbit.next) and forms Z_(k+1) = Z_k^2 + c. The square is taken as
// re^2 - im^2 + i ((re + im)^2 - re^2 - im^2): three squares of magnitudes, where a product
// would cost as much as two squares and need signs. True when the orbit ends with Z_k.
bool StepOrbit() {
    OrbitWork& o = Orbit;
    const int n = o.n;
    const bool negRe = DeepAbs(o.absRe, o.re, n);
    const bool negIm = DeepAbs(o.absIm, o.im, n);
    DeepOrbitPoint p;
    DeepToDouble(o.absRe, negRe, n, p.ReM, p.ReE);
    DeepToDouble(o.absIm, negIm, n, p.ImM, p.ImE);
    DeepRef.Z.push_back(p);   // within the room reserved: never moves, never throws

    // Beyond 2 along an axis the orbit has escaped, and the squares could leave the range.
    bool escaped = DeepAtLeast2(o.absRe, n) || DeepAtLeast2(o.absIm, n);
    if (!escaped) {
        DeepSquare(o.sqRe, o.absRe, n, o.scratch);
        DeepSquare(o.sqIm, o.absIm, n, o.scratch);
        DeepAdd(o.norm, o.sqRe, o.sqIm, n);
        escaped = DeepAtLeast4(o.norm, n);
    }
    if (escaped) {
        DeepRef.Escaped = true;
        return true;
    }
    if (o.next == o.limit) return true;
    // |re|, |im| < 2 here, so |re + im| < 4 and the new value stays below 6 along each axis.
    DeepAdd(o.sum, o.re, o.im, n);
    DeepAbs(o.sum, o.sum, n);
    DeepSquare(o.sqSum, o.sum, n, o.scratch);
    DeepSubAdd(o.re, o.sqRe, o.sqIm, o.cre, n);
    DeepSubAdd(o.im, o.sqSum, o.norm, o.cim, n);
    ++o.next;
    return false;
}

// Begins the orbit of the view's centre again, unless `keep` and the orbit in hand is made
// for the same centre bits, zoom and limit (a picture recoloured or computed again).
void SetUpOrbit(bool keep) {
    const int32_t zoomBits = 8 + View.ld_Zoom;
    const int n = DeepOrbitWords(zoomBits);
    std::vector<uint64_t> cre(static_cast<size_t>(n)), cim(static_cast<size_t>(n));
    DeepLoadCentre(cre.data(), n, View.Center_zY, View.Center_zYExt, CentreExtWords);
    DeepLoadCentre(cim.data(), n, View.Center_zX, View.Center_zXExt, CentreExtWords);
    const int32_t limit = View.Iteration > 0 ? View.Iteration : 1;
    keep = keep && !Orbit.words.empty() && Orbit.n == n && DeepRef.ZoomBits == zoomBits &&
           DeepRef.Iteration == limit && std::memcmp(cre.data(), Orbit.cre, sizeof(uint64_t) * n) == 0 &&
           std::memcmp(cim.data(), Orbit.cim, sizeof(uint64_t) * n) == 0;
    if (!keep) BeginOrbit(n, cre.data(), cim.data(), zoomBits, limit);
}

}  // namespace

int DeepOrbitWords(int32_t zoomBits) { return DeepWordsFor(std::max(zoomBits, 0) + DeepOrbitMarginBits); }

int32_t DeepOrbitClockInterval(int n) { return std::clamp(int32_t((1 << 20) / (n * n)), 4, 1024); }

void DeepRestartOrbit() { SetUpOrbit(false); }

void DeepSetupGeometry() {
    DeepRef.Width = Calc.WindowWidth;
    DeepRef.Height = Calc.WindowHeight;
    SetUpOrbit(true);
}

DeepOrbitStatus DeepAdvanceOrbitChecked() {
    if (Orbit.words.empty() && Orbit.status != DeepOrbitStatus::NoMemory) DeepRestartOrbit();
    if (Orbit.status != DeepOrbitStatus::Running) return Orbit.status;
    const int32_t interval = DeepOrbitClockInterval(Orbit.n);
    for (;;) {
        for (int32_t i = 0; i < interval; ++i) {
            if (StepOrbit()) {
                DeepRef.Length = int32_t(DeepRef.Z.size());
                DeepRef.Ready = true;
                Orbit.status = DeepOrbitStatus::Complete;
                return Orbit.status;
            }
        }
        DeepRef.Length = int32_t(DeepRef.Z.size());
        if (LiveSliceOver()) {
            Work.SliceExpired.store(true, std::memory_order_relaxed);
            return Orbit.status;
        }
    }
}

bool DeepAdvanceOrbit() {
    const DeepOrbitStatus s = DeepAdvanceOrbitChecked();
    if (s == DeepOrbitStatus::NoMemory) FatalError("out of memory");
    return s == DeepOrbitStatus::Complete;
}
