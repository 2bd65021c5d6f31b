// ui/display.cpp - measuring the display, choosing the window's size and place, creating it.
#include "ui/display.h"
#include <cmath>
#include "engine/state.h"

DisplayState Display;

namespace {
// Rounds to nearest, ties to even; the display sizes involved are far from any overflow.
int32_t RoundEven(double v) { return (int32_t)std::nearbyint(v); }

// Fraction of a side, formed in single precision as percent / 100 times the side, then
// rounded and made even.
int32_t PercentOf(int32_t percent, int32_t side) {
    float f = ((float)percent / 100.0f) * (float)side;
    return RoundEven((double)f) & ~1;
}
}  // namespace

WindowChoice ChooseWindowSizeFor(const PlatDisplayMetrics& m, int32_t windowPercent, uint8_t keepTaskbar) {
    WindowChoice c{};
    int32_t sw = m.ScreenWidth < MaxWidth ? m.ScreenWidth : MaxWidth;
    int32_t sh = m.ScreenHeight < MaxHeight ? m.ScreenHeight : MaxHeight;
    c.Width = PercentOf(windowPercent, sw);
    c.Height = PercentOf(windowPercent, sh);
    if (c.Width < 640 && sw >= 640) c.Width = 640;
    if (c.Height < 360 && sh >= 360) c.Height = 360;
    // Centred on the whole screen, not on the clamped size.
    c.X = RoundEven((double)((float)(m.ScreenWidth - c.Width) * 0.5f));
    c.Y = RoundEven((double)((float)(m.ScreenHeight - c.Height) * 0.5f));
    c.FullScreen = (c.Width == m.ScreenWidth && c.Height == m.ScreenHeight);
    c.FramedWindow = !c.FullScreen;
    if (c.FullScreen && keepTaskbar) {
        // The taskbar's rows stay visible; the height need not be even then.
        c.Height = m.WorkBottom;
        if (c.Height > MaxHeight) c.Height = MaxHeight;
        if (c.Height < 1) c.Height = 1;
        c.FullScreen = 0;
    }
    return c;
}

static PlatDisplayMetrics Metrics;

void ReadDisplayMetrics() {
    Metrics = PlatGetDisplayMetrics();
    Display.DisplayWidth = Metrics.ModeWidth;
    Display.DisplayHeight = Metrics.ModeHeight;
    Display.ScreenWidth = Metrics.ScreenWidth;
    Display.ScreenHeight = Metrics.ScreenHeight;
    Display.DpiPercent = Metrics.ScreenWidth > 0
        ? RoundEven((double)Metrics.ModeWidth / (double)Metrics.ScreenWidth * 100.0) : 100;
}

void ChooseWindowSize() {
    WindowChoice c = ChooseWindowSizeFor(Metrics, Display.WindowPercent, Display.KeepTaskbar);
    Calc.WindowWidth = c.Width;
    Calc.WindowHeight = c.Height;
    Display.WindowX = c.X;
    Display.WindowY = c.Y;
    Display.FullScreen = c.FullScreen;
    Display.FramedWindow = c.FramedWindow;
    const int32_t w = c.Width, h = c.Height;
    Display.WindowRect = {0, 0, w, h};
    Display.FrameRects[0] = {0, 0, 1, h};
    Display.FrameRects[1] = {0, 0, w, 1};
    Display.FrameRects[2] = {w - 1, 0, w, h};
    Display.FrameRects[3] = {0, h - 1, w, h};
}

void CreateMainWindow(PlatWndProc proc) {
    if (!PlatRegisterWindowClass("WndClass", proc)) FatalError("RegisterClassEx");
    if (!PlatCreateWindow("WndClass", "Zntx", Display.WindowX, Display.WindowY,
                          Calc.WindowWidth, Calc.WindowHeight))
        FatalError("CreateWindowEx");
}
