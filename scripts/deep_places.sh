#!/usr/bin/env bash
# scripts/deep_places.sh - finds and measures the deep places again and writes tests/deep_places.h
# and the deep benchmark views. Linux with MPFR only; slow (the places at ld_Zoom 10000 and the
# benchmark views take many minutes each on two cores), so it is a developer's tool and not part
# of the build or the suite.
#
#   scripts/deep_places.sh > tests/deep_places.h
#
# The steps that found each place are kept here: where a view is moved to the first sampled
# pixel to escape, or to the nucleus of a mini-set near the last, the pixel offsets are the ones
# scripts/deep_places.cpp printed for the view before (on stderr).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$root/build/deep_places
mkdir -p "$root/build"
g++ -O2 -std=c++20 "$root/scripts/deep_places.cpp" -lmpfr -lgmp -pthread -o "$tool"
place() { "$tool" place "$@" 2>/dev/null; }

# A preperiodic point: w_4 = w_7 for w_0 = 0, w_(n+1) = w_n^2 + c; c ~ -1.0103305 + 0.3724473i.
pre="misiurewicz 4 3 -1.0103305 0.3724473"
# Principal preperiodic points of the 1/13 and 1/14 limbs, landing on the fixed point: orbits
# near them part from theirs by about 2^0.033 and 2^0.029 a step, so pixels take many passes.
p13="misiurewicz 14 1 0.3035890177361365 0.023433718585367868"
p14="misiurewicz 15 1 0.2967828310987695 0.018822328882674988"
# The mini-set of period 26 of views/mini-set-zoom-61.zxp, near c = i.
n26="nucleus 26 5.92958315331706469369278920053317076047712007597589591793922E-10 1.00000000048897696301496074809338754174910672951496288193353"

cat <<'HEAD'
// tests/deep_places.h - deep views for the perturbation tests and benchmarks, found and measured
// in MPFR by scripts/deep_places.sh (scripts/deep_places.cpp).
//
// Re is the centre's real part (the view's Center_zY), Im its imaginary part (Center_zX), each
// as a view-file line: n words "$XXXXXXXX", the two's-complement integer of all of them, first
// word most significant, in units of 2^-(32n - 8); n gives ZoomBits + 64 fraction bits or more.
//
// The figures above each place come from a grid of GX x GY pixels of a W x H picture (the middle
// pixel of each cell: columns W/GX/2, W/GX/2 + W/GX, ...), each orbit computed directly in MPFR
// at ZoomBits + 64 bits. k is where a pixel escapes: the first k with |z_k|^2 >= 4 from z_0 = c,
// its count Iteration - k. "later" counts the sampled pixels that escape after the centre, or
// never. A centre that sits on a preperiodic point still escapes, late, because its words end.
#pragma once
#include <cstdint>
#include <string>

struct DeepPlace {
    const char* Name;
    const char* Re;                 // nullptr in a place moved from another: From's words
    const char* Im;
    int32_t Zoom;
    int32_t Iteration;
    const char* From = nullptr;     // the place at the same zoom this one is moved from
    int32_t MoveX = 0, MoveY = 0;   // by so many pixels along zX and zY
};

inline constexpr DeepPlace DeepPlaces[] = {
HEAD

echo "    // Centred on the preperiodic point."
place preperiodic-300 300 1000 $pre
place preperiodic-1000 1000 2000 $pre
place preperiodic-3000 3000 5000 $pre
place preperiodic-10000 10000 20000 $pre

echo
echo "    // Beside it: moved to the sampled pixel of the inner half of the picture above that escapes"
echo "    // first, so the reference orbit ends before many of the pixels do."
place beside-300 300 1000 $pre offset 155 -15 from preperiodic-300
place beside-1000 1000 2000 $pre offset -155 -95 from preperiodic-1000
place beside-3000 3000 5000 $pre offset -155 -95 from preperiodic-3000
place beside-10000 10000 20000 $pre offset 155 5 sample 640 400 32 20 from preperiodic-10000

# From the period-26 mini-set, moved towards its slowest sampled pixels, and two mini-sets there.
echo
echo "    // Near the boundary inside the exact range, counts in the thousands."
place boundary-68 68 20000 $n26 at 67 offset -7185 -3695 snap 20
place boundary-80 80 20000 $n26 at 80 offset -61480960 -28876800
place boundary-90 90 30000 $n26 at 80 offset -61480825 -28876885 snap 30

echo
echo "    // A deep mini-set, counts above 100,000: the lowest period in a disc beside a point whose"
echo "    // neighbours' orbits part from its own slowly (about 2^0.033 a step)."
place mini-set-1000 1000 500000 $p13 at 500 offset 100 0 snap 50 sample 640 400 32 20 \
    zxp "$root/bench/views/deep-mini-set-1000.zxp"

echo
echo "    // The benchmark views (bench/views/deep-1000.zxp, deep-3000.zxp), 1920 x 1080, centred on such"
echo "    // slow points: about 30,000 and 104,000 passes a pixel."
place bench-1000 1000 50000 $p13 sample 1920 1080 32 18 zxp "$root/bench/views/deep-1000.zxp"
place bench-3000 3000 150000 $p14 sample 1920 1080 16 9 zxp "$root/bench/views/deep-3000.zxp"

cat <<'TAIL'
};

// The place called `name`, nullptr when there is none.
inline const DeepPlace* FindDeepPlace(const std::string& name) {
    for (const DeepPlace& p : DeepPlaces)
        if (name == p.Name) return &p;
    return nullptr;
}
TAIL
