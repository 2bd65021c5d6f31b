// engine/work.cpp - the worker threads, the hand-over of each tile and the time slice.
#include <cmath>
#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>   // the time-stamp counter
#endif
#include <atomic>
#include <system_error>
#include <thread>
#include "engine/deep.h"
#include "engine/kernels.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/platform.h"

WorkState       Work;
StripStartState StripStart;
TileRowsState   TileRows;

namespace {
// Polls `ready` for about `ticks` time-stamp counter ticks (tens of microseconds at the
// ticks below), pausing between polls, which lets the other hardware thread of the core run,
// and, if `offer`, yielding the processor after the first few microseconds; true as soon as
// it holds. Bounded in time rather than in polls: a pause lasts from a few to over a hundred
// cycles, depending on the processor.
template <class Ready>
bool PollFor(uint64_t ticks, bool offer, Ready ready) {
#if defined(__x86_64__) || defined(__i386__)
    for (const uint64_t start = __rdtsc();;) {
        for (int k = 0; k < 8; ++k) {
            if (ready()) return true;
            __builtin_ia32_pause();
        }
        // A worker with nothing to do offers the processor to others after a few microseconds:
        // the main thread, when it shares that processor on a busy machine, then runs at
        // once. The main thread does not: it has the tile's work, and on a busy machine
        // other programs would keep it off the processor for their whole slice.
        const uint64_t waited = __rdtsc() - start;
        if (waited >= ticks) return ready();
        if (offer && waited >= ticks / 8) std::this_thread::yield();
    }
#else
    for (uint64_t i = 0; i < ticks / 64; ++i)
        if (ready()) return true;
    return ready();
#endif
}
// How long a waiting thread polls before it sleeps: about 25 and 50 microseconds at 2.6 GHz.
constexpr uint64_t WorkerPollTicks = uint64_t(1) << 16, MainPollTicks = uint64_t(1) << 17;

// An auto-reset event: Signal wakes one Await, which resets it. The flags of different
// threads sit on cache lines of their own.
struct alignas(64) Event {
    std::atomic<uint32_t> Signalled{0};
};
// Never destroyed: at exit the workers stay blocked on their start events.
Event StartEvents[MaxThreads + 1];
int WorkersStarted = 1;   // threads 2 .. WorkersStarted exist

void Signal(Event& e) {
    e.Signalled.store(1, std::memory_order_release);
    PlatWakeOne(e.Signalled);
}

// Waits for an event, first polling it for a while: tiles follow each other within
// microseconds while a picture is computed, and waking a sleeping thread takes far longer
// than that (tens of microseconds, more on a virtual machine). After some tens of
// microseconds without an event the thread sleeps, so a worker that waits in vain leaves the
// processor to the threads that compute: with rows shared out, the tile does not wait for it.
void Await(Event& e) {
    if (PollFor(WorkerPollTicks, true, [&] {
            return e.Signalled.load(std::memory_order_relaxed) != 0 && e.Signalled.exchange(0, std::memory_order_acquire) != 0;
        }))
        return;
    while (e.Signalled.exchange(0, std::memory_order_acquire) == 0) PlatWaitWhileEqual(e.Signalled, 0);
}

// The tile's rows and the workers computing it, in one word, so that a worker joins only
// while rows are left, and the main thread, once none is left, waits exactly for the workers
// inside: bits 15..0 rows not yet taken, bits 23..16 workers inside. A worker that joins
// reads the tile's rectangle and strip starts after the main thread wrote them (release and
// acquire on the word), and the main thread reads the buffers after every worker inside has
// left. The word changes tile only while nobody is inside.
constexpr uint64_t RowsMask = 0xFFFF, OneInside = uint64_t(1) << 16, InsideMask = uint64_t(0xFF) << 16;
struct alignas(64) TileQueue {
    std::atomic<uint64_t> Word{0};
};
TileQueue Queue;
int32_t QueueRows = 0;   // rows of the open tile

bool JoinTile() {
    uint64_t w = Queue.Word.load(std::memory_order_relaxed);
    while ((w & RowsMask) != 0)
        if (Queue.Word.compare_exchange_weak(w, w + OneInside, std::memory_order_acquire, std::memory_order_relaxed))
            return true;
    return false;
}

void LeaveTile() {
    const uint64_t before = Queue.Word.fetch_sub(OneInside, std::memory_order_release);
    if ((before & InsideMask) == OneInside) PlatWakeOne(Queue.Word);   // the last one out
}

// No more rows for anyone: after a slice has ended, late workers find nothing to do.
void CloseTile() { Queue.Word.fetch_and(~RowsMask, std::memory_order_relaxed); }

// Waits until no worker is inside. The workers inside are finishing their last orbits,
// which takes microseconds, so the main thread polls for a short while; then it sleeps, so
// that a worker kept off the processor by another program gets the processor back.
void AwaitWorkersOut() {
    if (PollFor(MainPollTicks, false, [] { return (Queue.Word.load(std::memory_order_acquire) & InsideMask) == 0; })) return;
    for (uint64_t w; ((w = Queue.Word.load(std::memory_order_acquire)) & InsideMask) != 0;)
        PlatWaitWhileEqual(Queue.Word, w);
}

[[noreturn]] void WorkerLoop(int t) {
    for (;;) {
        Await(StartEvents[t]);
        // The tile may be done already (the main thread took every row); then the next
        // start event brings the next one.
        if (!JoinTile()) continue;
        ComputeStrip(t);
        LeaveTile();
    }
}

void PrepareStripStart(int p, int32_t col0, int32_t row0) {
    const int n = Work.ThreadCount;
    const int32_t y = row0 + Work.TileY1[1][p];
    int32_t x[MaxThreads + 1];
    for (int t = 1; t <= n; ++t) x[t] = col0 + Work.TileX1[t][p];
    switch (Calc.NumberMode) {
    case ModeFixed60: {
        // 64-bit integer arithmetic that wraps like the hardware's.
        auto at = [](int32_t index, Fixed60 origin) {
            return static_cast<Fixed60>(uint64_t(int64_t(index)) * uint64_t(Calc.PixelStep60) +
                                        uint64_t(origin));
        };
        StripStart.Y60 = at(y, Calc.Origin60_zY);
        for (int t = 1; t <= n; ++t) StripStart.X60[t] = at(x[t], Calc.Origin60_zX);
        break;
    }
    case ModeDouble:
        StripStart.OffY = double(y) * Calc.PixelStep;
        for (int t = 1; t <= n; ++t) StripStart.OffX[t] = double(x[t]) * Calc.PixelStep;
        break;
    case ModeLong128:
        StripStart.Y128 = Add128(Calc.Origin_zY, ToLong128(double(y) * Calc.PixelStep));
        for (int t = 1; t <= n; ++t) StripStart.X128[t] = Add128(Calc.Origin_zX, ToLong128(double(x[t]) * Calc.PixelStep));
        break;
    case ModePerturb:
        // Pixels are offsets from the picture's centre, formed by the kernel.
        StripStart.Col0 = col0;
        StripStart.Row0 = row0;
        break;
    default: break;
    }
}
}  // namespace

int32_t ThreadCountFor(int logicalProcessors, int threadsOption) {
    int n = logicalProcessors;
    if (n < 1) n = 1;
    if (n > MaxThreads) n = n / 2;   // beyond eight, count cores rather than hardware threads
    if (n > MaxThreads) n = MaxThreads;
    if (threadsOption >= 1 && threadsOption <= MaxThreads) n = threadsOption;
    return n;
}

void StartWorkers() {
    Work.ThreadCount = ThreadCountFor(PlatProcessorCount(), Work.ThreadsOption);
    for (int t = WorkersStarted + 1; t <= Work.ThreadCount; ++t) {
        try {
            std::thread(WorkerLoop, t).detach();
        } catch (const std::system_error&) {
            // Without its thread a strip would never be reported done: compute with fewer.
            Work.ThreadCount = t - 1;
            break;
        }
        WorkersStarted = t;
    }
}

void PrepareSlice() {
    Work.SliceExpired.store(false, std::memory_order_relaxed);
    // No tile holds more pixels than the largest picture, so a pass that is not live never
    // runs the counter down to a clock read.
    Work.SliceCounter.store(MaxPixels, std::memory_order_relaxed);
    const int32_t limit = View.Iteration > 0 ? View.Iteration : 1;
    const float perPixel = 1e7f / float(limit);   // about ten million iterations between clock reads
    Work.SliceReload = static_cast<int32_t>(std::llrint(double(perPixel)));
    if (Work.LivePass) {
        Work.SliceCounter.store(Work.SliceReload, std::memory_order_relaxed);
        Work.SliceDeadline = PlatPerfCounter() + Calc.QpcFrequency;
    }
}

int32_t TakeTileRow() {
    uint64_t w = Queue.Word.load(std::memory_order_relaxed);
    while ((w & RowsMask) != 0)
        if (Queue.Word.compare_exchange_weak(w, w - 1, std::memory_order_relaxed))
            return TileRows.Y1 + QueueRows - int32_t(w & RowsMask);
    return TileRows.Y2 + 1;
}

void OpenTile() { OpenTileAt(0, 0); }

void OpenTileAt(int32_t col0, int32_t row0) {
    const int p = Work.TilePos;
    PrepareStripStart(p, col0, row0);
    TileRows = {Work.TileX1[1][p], Work.TileX2[Work.ThreadCount][p], Work.TileY1[1][p], Work.TileY2[1][p]};
    QueueRows = TileRows.Y2 >= TileRows.Y1 ? TileRows.Y2 - TileRows.Y1 + 1 : 0;
    Queue.Word.store(uint64_t(QueueRows), std::memory_order_release);
}

void ComputeTile() { ComputeTileAt(0, 0); }

void ComputeTileAt(int32_t col0, int32_t row0) {
    const int p = Work.TilePos;
    if (p < 0 || p >= TileCount) return;
    // A perturbation picture needs its reference orbit and table first; in a live pass they
    // are made a slice at a time, and the tile waits for them as for an unfinished slice.
    if (Calc.NumberMode == ModePerturb && !(DeepAdvanceOrbit() && DeepPrepareTable())) {
        Work.SliceExpired.store(true, std::memory_order_relaxed);
        return;
    }
    OpenTileAt(col0, row0);
    const int n = Work.ThreadCount;
    const int workers = n < WorkersStarted ? n : WorkersStarted;
    for (int t = 2; t <= workers; ++t) Signal(StartEvents[t]);
    // The main thread takes rows like any worker; whatever rows nobody else has taken when it
    // runs out are its own, so it finishes the tile alone if need be.
    ComputeStrip(1);
    CloseTile();
    AwaitWorkersOut();
}
