// engine/centre.h - arithmetic on the view's centre at every zoom.
//
// One coordinate of the centre is a single two's-complement number of CentreWords 64-bit
// words, most significant first: the long128's high and low words, then its Ext words
// (engine/state.h). Its top 8 bits are the sign and the whole part, the other
// CentreFractionBits the fraction, so a pixel step of 2^-(8 + MaxDeepZoom) is still a whole
// number of its units. Sums wrap like long128 sums.
//
// At the exact formats' zooms every move is a whole number of long128 units: only the
// long128 words change, exactly as the long128 arithmetic alone changes them, and the Ext words
// are carried along untouched, so a view that zooms out and in again comes back to the same
// deep point.
#pragma once
#include <cstdint>
#include "engine/state.h"

constexpr int CentreWords = 2 + CentreExtWords;
constexpr int CentreFractionBits = 120 + 64 * CentreExtWords;

struct CentreCoord {
    uint64_t W[CentreWords];   // W[0] = long128 hi, W[1] = lo, W[2 ...] = the Ext words
};

enum CentreAxis : int { AxisX, AxisY };   // Center_zX (across the window), Center_zY (down it)

CentreCoord CentreOf(const ViewParams& v, CentreAxis axis);
void        SetCentre(ViewParams& v, CentreAxis axis, const CentreCoord& c);
CentreCoord CentreFromLong128(long128 v);    // no bits below the long128
long128     CentreLong128(const CentreCoord& c);

// -1, 0 or 1 as a is below, equal to or above b (signed).
int         CompareCentre(const CentreCoord& a, const CentreCoord& b);
CentreCoord NegatedCentre(const CentreCoord& c);

// c + k * 2^-(8 + ldZoom): k pixels of that zoom, for every zoom MinZoom .. MaxDeepZoom.
void    AddPixels(CentreCoord& c, int64_t k, int32_t ldZoom);
// The centre moved onto pixel `pos` of a picture of `size` pixels centred on it, that is by
// pos - size / 2 pixels. At the deepest exact zoom the half unit of an odd size is dropped,
// as the long128 origin drops it; deeper the half pixel is kept.
void    MoveToPixel(CentreCoord& c, int32_t pos, int32_t size, int32_t ldZoom);
// Whole pixels of this zoom from `from` up to `to`, at most cap; 0 when `to` lies below.
int32_t WholePixelsBetween(const CentreCoord& from, const CentreCoord& to, int32_t ldZoom, int32_t cap);
// The farthest a centre may lie from zero along an axis of `pixels` at this zoom, so that
// every pixel of the picture stays inside the range [-128, 128): 128 less half the picture.
CentreCoord CentreLimit(int32_t pixels, int32_t ldZoom);
// Moves a coordinate beyond +-limit back onto it; true when it moved.
bool    KeepCoordWithin(CentreCoord& c, const CentreCoord& limit);
// Drops every bit below 2^-fractionBits (rounding towards minus infinity).
void    TruncateCentre(CentreCoord& c, int32_t fractionBits);

// A decimal number of any length ("-0.74364388703715870475..."): optional sign, digits, an
// optional point and more digits, nothing else, and less than 128 in magnitude. Its exact
// value truncated towards zero to the centre's last bit; false for any other text.
bool    DecimalToCentre(const char* text, CentreCoord* out);
