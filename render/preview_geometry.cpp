// render/preview_geometry.cpp - the arithmetic of the previews: which old pixel a screen
// pixel shows after a zoom, a shift or in the blocky preview, and the stepped limits.
// Kept free of the picture buffers so that each rule can be checked on its own.
#include "render/preview.h"
#include <algorithm>
#include <cmath>
#include "engine/state.h"

PreviewState Preview;

MagnifySpan MagnifySpanFor(int32_t size, int32_t factor, int32_t centre) {
    // Half the screen measured in old pixels, less half a pixel: its whole part is the
    // number of complete old pixels left of the centre one, its fraction the share of
    // the partly visible one at the edge.
    double half = double(size) / (2.0 * factor) - 0.5;
    int32_t whole = int32_t(half);
    int32_t fill = int32_t(std::llrint((half - whole) * factor));
    if (fill == 0) {
        whole -= 1;
        fill = factor;
    }
    return {centre - whole - 1, fill};
}

int32_t MagnifiedSource(const MagnifySpan& span, int32_t factor, int32_t screenPos) {
    if (screenPos < span.FirstFill) return span.FirstSource;
    return span.FirstSource + 1 + (screenPos - span.FirstFill) / factor;
}

void ZoomStepNearLimit(int32_t ldZoom, int32_t* factor, int32_t* steps) {
    // A zoom at a point never overshoots the deepest zoom.
    *steps = std::clamp(DeepestZoom() - ldZoom, 1, 4);
    *factor = 1 << *steps;
}

int32_t ClampZoomPoint(int32_t press, int32_t size, int32_t steps) {
    const int32_t margin = (size >> (steps + 1)) + 8;
    return std::min(std::max(press, margin), size - margin);
}

int32_t QuarterCorner(int32_t size) {
    return int32_t(std::nearbyint(float(size) * 0.25f));
}

PanOverlap OverlapFor(int32_t dragDX, int32_t dragDY, int32_t width, int32_t height) {
    PanOverlap o;
    o.OverlapW = width - std::abs(dragDX);
    o.OverlapH = height - std::abs(dragDY);
    o.OverlapX = std::max(dragDX, 0);
    o.OverlapY = std::max(dragDY, 0);
    o.SourceX = std::max(-dragDX, 0);
    o.SourceY = std::max(-dragDY, 0);
    return o;
}

int32_t BlockyGridLine(int32_t pos, int32_t size) {
    const int32_t nearest = ((pos + 8) >> 4) << 4;
    const int32_t last = ((size - 1) >> 4) << 4;   // the last grid line inside the picture
    return std::min(nearest, last);
}

int32_t RaisedIteration(int32_t old) {
    float raised = float(old) * 1.5f;
    if (raised >= float(MaxIteration)) return MaxIteration;
    return int32_t(std::nearbyint(raised));
}

int32_t LoweredIteration(int32_t old) {
    float lowered = float(old) / 1.5f;
    if (lowered <= float(MinIteration)) return MinIteration;
    return int32_t(std::nearbyint(lowered));
}
