// ui/display.h - display metrics, the window's size and place, and the fatal error box.
#pragma once
#include <cstdint>
#include "platform/platform.h"

struct Rect { int32_t left, top, right, bottom; };   // right and bottom exclusive

struct DisplayState {
    int32_t DisplayWidth, DisplayHeight;   // current display mode, physical pixels
    int32_t ScreenWidth, ScreenHeight;     // the screen as the program sees it
    int32_t DpiPercent;                    // 100 on an unscaled display
    int32_t WindowPercent;                 // 33..99 from the command line, else 100
    uint8_t KeepTaskbar;                   // a full-screen window keeps clear of the taskbar
    int32_t WindowX, WindowY;              // top-left corner of the window on the screen
    uint8_t FullScreen;                    // the window covers the whole screen
    uint8_t FramedWindow;                  // a red 1-pixel frame is drawn round the picture
    Rect    WindowRect;
    Rect    FrameRects[4];                 // left column, top row, right column, bottom row
    uint8_t Minimised;                     // the program minimised its window
    uint8_t MinimiseWhenIdle;              // minimise when the render cycle next goes idle
};
extern DisplayState Display;

// Window size from metrics and options, a pure function so every case can be tested.
struct WindowChoice {
    int32_t Width, Height, X, Y;
    uint8_t FullScreen, FramedWindow;
};
WindowChoice ChooseWindowSizeFor(const PlatDisplayMetrics& m, int32_t windowPercent,
                                 uint8_t keepTaskbar);

void ReadDisplayMetrics();
void ChooseWindowSize();          // sets Calc.WindowWidth/Height and Display from the metrics
void CreateMainWindow(PlatWndProc proc);   // class "WndClass", title "Zntx"; fatal on failure

// The window's timers, by id.
enum : int { FocusTimer = 1, HoldTimer = 2, RedrawRetryTimer = 3, MessageTimer = 4 };
