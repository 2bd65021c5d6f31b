// engine/slice_credit.h - paying for newly computed pixels from the tile's time slice: the
// pixel-by-pixel rule of the strip walk, and the credit the vector kernels take in batches.
#pragma once
#include <atomic>
#include <cstdint>
#include "engine/work.h"
#include "platform/platform.h"

// Whether a live pass's slice is over, for work that is not paid in pixels (a deep picture's
// reference orbit and table); a pass that is not live never ends its slice.
inline bool LiveSliceOver() { return Work.LivePass && PlatPerfCounter() > Work.SliceDeadline; }

// One newly computed pixel from the shared slice counter; false (the pixel must not be
// stored) when the slice is over. The counter reloads only after a clock read, so every
// strip notices an expired slice within one pixel.
inline bool TakeSlicePixel() {
    if (Work.SliceCounter.fetch_sub(1, std::memory_order_relaxed) >= 1) return true;
    if (PlatPerfCounter() > Work.SliceDeadline) {
        // The counter is left negative, so every other strip reads the clock after its next
        // pixel and stops too.
        Work.SliceExpired.store(true, std::memory_order_relaxed);
        return false;
    }
    Work.SliceCounter.store(Work.SliceReload, std::memory_order_relaxed);
    return true;
}

// Newly computed pixels are paid for from the shared slice counter a batch at a time, since
// one locked operation per pixel costs as much as a short orbit and makes the strips of a
// tile fight over the counter's cache line. A strip takes at most its share of what the
// counter holds and gives back what it did not use; near the end of a slice it takes one
// pixel at a time, so the strips together store as many pixels before the clock read as the
// pixel-by-pixel rule lets them.
class SliceCredit {
public:
    // False when the slice is over: the pixel must not be stored.
    bool Take() {
        if (left > 0 || Grab()) {
            --left;
            return true;
        }
        return TakeSlicePixel();
    }

    // n pixels at once when the credit in hand, topped up from the counter if need be, covers
    // them all; otherwise false, nothing taken, and the caller takes them one by one.
    bool TakeHeld(int32_t n) {
        if (left < n) Grab();
        if (left < n) return false;
        left -= n;
        return true;
    }

    // At the end of a finished strip.
    void GiveBack() {
        if (left > 0) Work.SliceCounter.fetch_add(left, std::memory_order_relaxed);
        left = 0;
    }

private:
    // Adds a batch from the counter to the credit in hand; false when the counter is empty.
    bool Grab() {
        int32_t old = Work.SliceCounter.load(std::memory_order_relaxed);
        while (old >= 1) {
            int32_t want = old / (Work.ThreadCount > 1 ? Work.ThreadCount : 1);
            want = want < 1 ? 1 : want > Batch ? Batch : want;
            if (Work.SliceCounter.compare_exchange_weak(old, old - want, std::memory_order_relaxed)) {
                left += want;
                return true;
            }
        }
        return false;
    }

    static constexpr int32_t Batch = 512;
    int32_t left = 0;
};
