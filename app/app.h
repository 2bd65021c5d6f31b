// app/app.h - program start, the command line, the window procedure and its timers.
#pragma once
#include <cstdint>
#include "engine/state.h"
#include "files/params.h"

struct AppState {
    int8_t  FormatOption;          // -2, -1 or 0: how the default view picks its number format
    char    PicturesFolder[256];   // where saves go, ends in a separator
    uint8_t Minimised;             // the program minimised its window
    uint8_t FocusJustLost;         // the focus went less than 500 ms ago (timer 1 running)
    uint8_t MinimiseWhenIdle;      // minimise when the render cycle next goes idle
};
extern AppState App;

enum : int { FocusTimer = 1, HoldTimer = 2, RedrawRetryTimer = 3, MessageTimer = 4 };

intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
bool ParseInt32(const char* s, int32_t* out);   // decimal or "$" hex, optional minus
void ReadCommandLine(int argc, const char* const* argv);
void StartUp(int argc, const char* const* argv);   // everything before the message loop
void MessageLoop();
int  ZentrixMain(int argc, const char* const* argv);
