// platform/headless/internal.h - what the headless files share among themselves.
#pragma once
#include <cstdint>

void HeadlessResetSystem();             // virtual clock back to 0, no message box shown
void HeadlessResetInput();              // no button held, pointer at the origin
void HeadlessResetFiles();              // the system's own answers for paths and files
bool HeadlessRealClock();               // the machine's clock instead of the virtual one
void HeadlessAdvanceClockTo(int64_t ms);
