// A deep view installed as the programs install one: its centre set from a decimal or from the
// "$XXXXXXXX" words of a view-file line, the perturbation path forced at every zoom, and the
// geometry set up, so the reference orbit and its table are the program's own.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "engine/centre.h"
#include "engine/state.h"
#include "tests/engine_reference.h"

namespace deepview {
// Either form of a coordinate, as deep_places.h and the scenes write them.
inline CentreCoord Coordinate(const char* text) {
    CentreCoord c{};
    if (text[0] != '$') {
        DecimalToCentre(text, &c);
        return c;
    }
    int i = 0;
    for (const char* p = text; (p = std::strchr(p, '$')) != nullptr && i < 2 * CentreWords; ++p, ++i) {
        const uint64_t w = std::strtoul(p + 1, nullptr, 16);
        c.W[i / 2] |= i % 2 == 0 ? w << 32 : w;
    }
    return c;
}

// ref::Install of a view at any zoom on the perturbation path, its centre moveY pixels from
// (re, im) along zY (the real axis) and moveX along zX.
inline void Install(const char* re, const char* im, int32_t zoom, int32_t iteration, int w, int h, int threads,
                    int64_t moveY = 0, int64_t moveX = 0) {
    ref::Install(ref::Scene{"0", "0", 0, iteration, w, h}, threads);
    CentreCoord y = Coordinate(re), x = Coordinate(im);
    AddPixels(y, moveY, zoom);
    AddPixels(x, moveX, zoom);
    SetCentre(View, AxisY, y);
    SetCentre(View, AxisX, x);
    View.ld_Zoom = zoom;
    Deep.Forced = true;
    SetupCalculation();
    Deep.Forced = false;
    for (int row = 0; row < h; ++row) std::fill_n(&MaskAt(0, row), w, -1);
}
}  // namespace deepview
