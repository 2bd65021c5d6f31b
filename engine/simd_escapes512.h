// engine/simd_escapes512.h - the escape mark of eight integer orbits. Their sums wrap, so an
// escaped orbit can come back into range: the mark stays until the lane takes a new pixel,
// and each marked lane counts its passes since the escape (the lane machinery's
// K::Escaped). Include inside an AVX-512F vector region, after <immintrin.h>; internal
// linkage, like everything compiled for one instruction set.
#pragma once
#include "engine/vector_region.h"

namespace {

struct StickyEscapes512 {
    __m512i after;   // passes since the escape
    __mmask8 out;    // the lanes that have escaped

    void Clear() {
        after = _mm512_setzero_si512();
        out = 0;
    }
    // Marks the lanes a pass found escaping; the lane bits of every marked lane.
    [[gnu::always_inline]] uint32_t Mark(unsigned escaping) {
        out |= __mmask8(escaping);
        after = _mm512_mask_add_epi64(after, out, after, _mm512_set1_epi64(1));
        return out;
    }
    // The selected lanes start afresh.
    [[gnu::always_inline]] void Reset(__mmask8 lanes) {
        after = _mm512_mask_mov_epi64(after, lanes, _mm512_setzero_si512());
        out &= __mmask8(~lanes);
    }
    void Store(int64_t* to) const { _mm512_storeu_si512(to, after); }
};

}  // namespace
