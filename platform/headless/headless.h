// platform/headless/headless.h - control of the headless backend for tests and batch tools.
//
// The headless backend has a memory canvas the size of the window, a simulated message
// queue with the desktop's priorities (input and posted messages, then one WM_PAINT while
// the window is invalid, then due timers), and a virtual clock that moves only when told.
#pragma once
#include <cstdint>
#include "platform/platform.h"
#include "platform/services/service_faults.h"

// Display metrics that PlatGetDisplayMetrics reports (default 1920 x 1080, work area
// 1920 x 1040). Call before the program starts.
void HeadlessSetScreen(int screenW, int screenH);                      // mode = screen, work area = screen minus 40 rows
void HeadlessSetMetrics(const PlatDisplayMetrics& m);
void HeadlessSetProcessorCount(int n);                                 // default 2
void HeadlessSetLocalTime(const PlatLocalTime& t);

// Clock. Virtual by default: starts at 0 with 10,000,000 ticks per second.
void    HeadlessAdvanceClock(int64_t ms);
void    HeadlessAdvanceTicks(int64_t ticks);
void    HeadlessSetTicksPerRead(int64_t ticks);   // every counter read also advances the clock
void    HeadlessUseRealClock();                   // batch tools: the machine's steady clock

// Input, posted as the desktop would deliver it.
void HeadlessKeyDown(uint32_t vk);
void HeadlessKeyUp(uint32_t vk);
void HeadlessKey(uint32_t vk);                     // down then up
void HeadlessSysKeyDown(uint32_t vk);              // with Alt held (WM_SYSKEYDOWN)
void HeadlessMouseMove(int x, int y);
void HeadlessButtonDown(int x, int y);
void HeadlessButtonUp(int x, int y);
void HeadlessClick(int x, int y);                  // press and release at one point
void HeadlessRightClick(int x, int y);
void HeadlessWheel(int delta);                     // +120 / -120 per notch
void HeadlessFocus(bool gained);
void HeadlessClose();                              // the desktop's close request (WM_CLOSE)

// Message pump. PumpOne handles one message (input, then paint, then a due timer) and
// returns false when nothing was waiting. PumpUntilIdle pumps until nothing is waiting
// (due timers included) and returns the number of messages handled; it gives up after
// maxMessages. Neither advances the clock.
bool HeadlessPumpOne();
int  HeadlessPumpUntilIdle(int maxMessages = 10000000);
bool HeadlessQuitPosted();                         // PostQuitMessage was called
int  HeadlessQuitCode();

// Window and canvas.
// For a batch tool that never looks at the window: the canvas holds no pixels (its memory is
// never touched), drawing only marks it, and PlatGetPixel reads CLR_INVALID. Call before the
// window opens.
void     HeadlessDrawNowhere();
bool     HeadlessWindowExists();
bool     HeadlessMinimised();
int      HeadlessWindowX();
int      HeadlessWindowY();
int      HeadlessCanvasWidth();
int      HeadlessCanvasHeight();
uint32_t HeadlessPixel(int x, int y);              // 0x00RRGGBB as drawn
const uint32_t* HeadlessCanvas();                  // row stride = canvas width
bool     HeadlessTimerSet(int id);
const char* HeadlessLastMessageBox();              // text of the last PlatMessageBox, "" if none

// Exiting: by default PlatExitProcess really exits; tests that expect a fatal error
// can make it throw HeadlessExit instead.
struct HeadlessExit { int code; };
void HeadlessThrowOnExit(bool on);

// The system's services as a test steers them. The program's own path as the system would
// name it: "" for a system that cannot (argv0 then stands in), null to ask the system.
void HeadlessSetProgramPath(const char* path);
// The nth next call of a file step fails, as the system fails it (1 = the next call).
void HeadlessFailFileStep(FileStep step, int nth);
void HeadlessDiskFullAfter(int64_t bytes);         // the disk takes that many more bytes; < 0: no limit
int  HeadlessInjectedFaults();                     // file failures made so far

void HeadlessReset();                              // fresh window, queue, timers, canvas, clock,
                                                   // the system's own path and no file faults
