// tests/headless_window.h - a headless window whose procedure does nothing but validate its
// paints, for tests that draw on the canvas themselves.
#pragma once
#include <gtest/gtest.h>
#include "platform/headless/headless.h"

inline intptr_t QuietProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_PAINT) {
        PlatBeginPaint();
        PlatEndPaint();
        return 0;
    }
    return PlatDefWindowProc(message, wParam, lParam);
}

// A fresh w x h window at the screen's corner, with nothing queued but its first paint.
inline void OpenQuietWindow(int w, int h) {
    HeadlessReset();
    ASSERT_TRUE(PlatRegisterWindowClass("WndClass", QuietProc));
    ASSERT_TRUE(PlatCreateWindow("WndClass", "Zntx", 0, 0, w, h));
}
