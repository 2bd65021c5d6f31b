// app/app.h - program start, the command line, the window procedure and its timers.
#pragma once
#include <cstdint>
#include "engine/state.h"
#include "files/params.h"

constexpr int32_t NoGivenZoom = INT32_MIN;

struct AppState {
    char    PicturesFolder[256];   // where saves go, ends in a separator
    char    UserPictures[256];     // the user's pictures folder that holds it, or "" beside the program
    uint8_t FocusJustLost;         // the focus went less than 500 ms ago (timer 1 running)
    // The view given by its values on the command line (--re, --im, --zoom): the checked
    // arguments, or null and NoGivenZoom where none was given.
    const char* GivenRe;
    const char* GivenIm;
    int32_t     GivenZoom;
};
extern AppState App;

intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
bool ParseInt32(const char* s, int32_t* out);   // decimal or "$" hex, optional minus
void ReadCommandLine(int argc, const char* const* argv);
// Once the threads are known (the default view's format depends on them): the view the
// command line gave by its values, on the loaded file's view or else on the default view. A
// file that failed keeps its failure, shown over the default view. A view deeper than the
// exact formats turns deep zoom on.
void TakeGivenView();
// The usage text of the explorer's command line (`zentrix --help`).
extern const char* const ExplorerUsage;
void StartUp(int argc, const char* const* argv);   // everything before the message loop
void MessageLoop();
int  ZentrixMain(int argc, const char* const* argv);
