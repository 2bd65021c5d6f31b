// platform/headless/system.cpp - clock, processors, local time, display metrics and the fatal
// box without a desktop.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <atomic>
#include "platform/common/window.h"
#include "platform/headless/headless.h"
#include "platform/headless/internal.h"

namespace {
constexpr int64_t VirtualFrequency = 10000000;   // ticks per second of the virtual clock

struct SystemState {
    std::atomic<int64_t> Ticks{0};        // the virtual counter
    std::atomic<int64_t> TicksPerRead{0}; // added by every read, to simulate slow work
    bool RealClock = false;
    int  Processors = 2;
    PlatLocalTime LocalTime{2026, 1, 2, 3, 4, 5};
    bool ThrowOnExit = false;
    char LastBox[512] = "";
    PlatDisplayMetrics Metrics{1920, 1080, 1920, 1080, 0, 0, 1920, 1040};
};
SystemState Sys;

int64_t RealTicks() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return duration_cast<nanoseconds>(steady_clock::now() - start).count() / 100;
}
}  // namespace

int64_t PlatPerfCounter() {
    if (Sys.RealClock) return RealTicks();
    int64_t step = Sys.TicksPerRead.load(std::memory_order_relaxed);
    return Sys.Ticks.fetch_add(step, std::memory_order_relaxed) + step;
}
int64_t PlatPerfFrequency() { return VirtualFrequency; }
int PlatProcessorCount() { return Sys.Processors; }

// Timers read the clock without the extra ticks of a simulated slow read.
int64_t BackendNowMs() {
    const int64_t ticks = Sys.RealClock ? RealTicks() : Sys.Ticks.load(std::memory_order_relaxed);
    return ticks / (VirtualFrequency / 1000);
}

bool HeadlessRealClock() { return Sys.RealClock; }

void HeadlessAdvanceClockTo(int64_t ms) {
    const int64_t target = ms * (VirtualFrequency / 1000);
    int64_t now = Sys.Ticks.load();
    while (now < target && !Sys.Ticks.compare_exchange_weak(now, target)) {}
}

void HeadlessResetSystem() {
    Sys.Ticks.store(0);
    Sys.TicksPerRead.store(0);
    Sys.LastBox[0] = 0;
}

void HeadlessAdvanceClock(int64_t ms) { Sys.Ticks.fetch_add(ms * (VirtualFrequency / 1000)); }
void HeadlessAdvanceTicks(int64_t ticks) { Sys.Ticks.fetch_add(ticks); }
void HeadlessSetTicksPerRead(int64_t ticks) { Sys.TicksPerRead.store(ticks); }
void HeadlessUseRealClock() { Sys.RealClock = true; }
void HeadlessSetProcessorCount(int n) { Sys.Processors = n; }
void HeadlessSetLocalTime(const PlatLocalTime& t) { Sys.LocalTime = t; }
PlatLocalTime PlatGetLocalTime() { return Sys.LocalTime; }

void HeadlessSetScreen(int screenW, int screenH) {
    Sys.Metrics = PlatDisplayMetrics{screenW, screenH, screenW, screenH, 0, 0, screenW, screenH - 40};
}
void HeadlessSetMetrics(const PlatDisplayMetrics& m) { Sys.Metrics = m; }
PlatDisplayMetrics PlatGetDisplayMetrics() { return Sys.Metrics; }

void PlatMessageBox(const char* text, const char* caption) {
    std::snprintf(Sys.LastBox, sizeof Sys.LastBox, "%s", text);
    std::fprintf(stderr, "%s: %s\n", caption, text);
}
const char* HeadlessLastMessageBox() { return Sys.LastBox; }

void HeadlessThrowOnExit(bool on) { Sys.ThrowOnExit = on; }
[[noreturn]] void PlatExitProcess(int code) {
    if (Sys.ThrowOnExit) throw HeadlessExit{code};
    std::fflush(nullptr);
    std::_Exit(code);
}
