// app/app.h - program start, the command line, the window procedure and its timers.
#pragma once
#include <cstdint>
#include "engine/state.h"
#include "files/params.h"

struct AppState {
    char    PicturesFolder[256];   // where saves go, ends in a separator
    char    UserPictures[256];     // the user's pictures folder that holds it, or "" beside the program
    uint8_t FocusJustLost;         // the focus went less than 500 ms ago (timer 1 running)
};
extern AppState App;

intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
bool ParseInt32(const char* s, int32_t* out);   // decimal or "$" hex, optional minus
void ReadCommandLine(int argc, const char* const* argv);
void StartUp(int argc, const char* const* argv);   // everything before the message loop
void MessageLoop();
int  ZentrixMain(int argc, const char* const* argv);
