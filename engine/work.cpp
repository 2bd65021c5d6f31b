// engine/work.cpp - the worker threads, the hand-over of each tile and the time slice.
#include <cmath>
#include <atomic>
#include <system_error>
#include <thread>
#include "engine/kernels.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/platform.h"

WorkState       Work;
StripStartState StripStart;

namespace {
// A pause in a polling loop, which lets the other hardware thread of the core run.
inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// An auto-reset event: Signal wakes one Await, which resets it. The flags of different
// threads sit on cache lines of their own.
struct alignas(64) Event {
    std::atomic<uint32_t> Signalled{0};
};
// Never destroyed: at exit the workers stay blocked on their start events.
Event StartEvents[MaxThreads + 1], DoneEvents[MaxThreads + 1];
int WorkersStarted = 1;   // threads 2 .. WorkersStarted exist

Event& StartEvent(int t) { return StartEvents[t]; }
Event& DoneEvent(int t) { return DoneEvents[t]; }

void Signal(Event& e) {
    e.Signalled.store(1, std::memory_order_release);
    e.Signalled.notify_one();   // a system call only when the other thread sleeps
}

void ComputeStrip(int t) {
    switch (Calc.NumberMode) {
    case ModeFixed60: ComputeStripFixed60(t); break;
    case ModeDouble: ComputeStripDouble(t); break;
    case ModeLong128: ComputeStripLong128(t); break;
    default: break;
    }
}

// Waits for an event, first polling it for a while: tiles follow each other within
// microseconds while a picture is computed, and waking a sleeping thread takes far longer
// than that (tens of microseconds, more on a virtual machine). After about a millisecond
// without an event the thread sleeps.
void Await(Event& e) {
    for (int i = 0; i < 4096; ++i) {
        if (e.Signalled.load(std::memory_order_relaxed) != 0 && e.Signalled.exchange(0, std::memory_order_acquire) != 0)
            return;
        for (int k = 0; k < 8; ++k) CpuRelax();
    }
    while (e.Signalled.exchange(0, std::memory_order_acquire) == 0) e.Signalled.wait(0, std::memory_order_acquire);
}

[[noreturn]] void WorkerLoop(int t) {
    for (;;) {
        Await(StartEvent(t));
        ComputeStrip(t);
        Signal(DoneEvent(t));
    }
}

void PrepareStripStart(int p) {
    const int n = Work.ThreadCount;
    switch (Calc.NumberMode) {
    case ModeFixed60: {
        // 64-bit integer arithmetic that wraps like the hardware's.
        auto at = [](int32_t index, Fixed60 origin) {
            return static_cast<Fixed60>(uint64_t(int64_t(index)) * uint64_t(Calc.PixelStep60) +
                                        uint64_t(origin));
        };
        StripStart.Y60 = at(Work.TileY1[1][p], Calc.Origin60_zY);
        for (int t = 1; t <= n; ++t) StripStart.X60[t] = at(Work.TileX1[t][p], Calc.Origin60_zX);
        break;
    }
    case ModeDouble:
        StripStart.OffY = double(Work.TileY1[1][p]) * Calc.PixelStep;
        for (int t = 1; t <= n; ++t) StripStart.OffX[t] = double(Work.TileX1[t][p]) * Calc.PixelStep;
        break;
    case ModeLong128:
        StripStart.Y128 = Add128(Calc.Origin_zY, ToLong128(double(Work.TileY1[1][p]) * Calc.PixelStep));
        for (int t = 1; t <= n; ++t)
            StripStart.X128[t] = Add128(Calc.Origin_zX, ToLong128(double(Work.TileX1[t][p]) * Calc.PixelStep));
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
    Work.SliceCounter.store(2304000, std::memory_order_relaxed);   // more than any tile holds
    const int32_t limit = View.Iteration > 0 ? View.Iteration : 1;
    const float perPixel = 1e7f / float(limit);   // about ten million iterations between clock reads
    Work.SliceReload = static_cast<int32_t>(std::llrint(double(perPixel)));
    if (Work.LivePass) {
        Work.SliceCounter.store(Work.SliceReload, std::memory_order_relaxed);
        Work.SliceDeadline = PlatPerfCounter() + Calc.QpcFrequency;
    }
}

void ComputeTile() {
    const int p = Work.TilePos;
    if (p < 0 || p >= TileCount) return;
    PrepareStripStart(p);
    const int n = Work.ThreadCount;
    const int workers = n < WorkersStarted ? n : WorkersStarted;
    for (int t = 2; t <= workers; ++t) Signal(StartEvent(t));
    ComputeStrip(1);
    // Strips beyond the threads that exist (only if ThreadCount was raised by hand).
    for (int t = workers + 1; t <= n; ++t) ComputeStrip(t);
    for (int t = 2; t <= workers; ++t) Await(DoneEvent(t));
}
