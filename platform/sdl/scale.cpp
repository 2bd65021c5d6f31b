// platform/sdl/scale.cpp - the factor by which the window is shown larger on a dense display.
//
// Windows scales a program like this one on a high-DPI display: it reports a smaller logical
// screen, and the program's window is shown magnified. Linux desktops do nothing of the kind
// for it, so this backend does the same itself, in whole factors so that every pixel stays a
// crisp square: the program sees the logical screen, the window shows each of its pixels as
// a factor x factor block, and pointer positions are divided back.
#include <X11/Xlib.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "platform/sdl/sdl.h"

namespace {
constexpr int MaxScale = 8;
constexpr int WideEnough = 1280;          // a logical screen this wide keeps the legend readable
constexpr int MinLogicalW = 640, MinLogicalH = 360;   // the smallest window the program makes
constexpr double UnscaledDpi = 96.0;

int WholeNumber(const char* text) {
    if (!text || !*text) return 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    return *end == 0 && v >= 1 && v <= MaxScale ? (int)v : 0;
}

// Xft.dpi from the X server's resource database, as desktops publish their text scale there.
double XftDpi() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return 0;
    Display* x = XOpenDisplay(nullptr);
    if (!x) return 0;
    double dpi = 0;
    static const char Key[] = "Xft.dpi:";
    for (const char* line = XResourceManagerString(x); line && *line;) {
        if (std::strncmp(line, Key, sizeof Key - 1) == 0) dpi = std::strtod(line + sizeof Key - 1, nullptr);
        const char* next = std::strchr(line, '\n');
        line = next ? next + 1 : nullptr;
    }
    XCloseDisplay(x);
    return dpi > 0 && dpi < UnscaledDpi * MaxScale ? dpi : 0;
}

// The factor the user or the desktop states: ZENTRIX_SCALE, else GDK_SCALE, else Xft.dpi in
// whole steps of 96; 0 when none says anything.
int StatedScale() {
    if (int s = WholeNumber(std::getenv("ZENTRIX_SCALE"))) return s;
    if (int s = WholeNumber(std::getenv("GDK_SCALE"))) return s;
    const double dpi = XftDpi();
    if (dpi <= 0) return 0;
    const int s = (int)std::nearbyint(dpi / UnscaledDpi);
    return s < 1 ? 1 : s;
}

int ChooseScale(int stated, int displayW, int displayH) {
    int s = stated ? stated : displayW / WideEnough;
    while (s > 1 && (displayW / s < MinLogicalW || displayH / s < MinLogicalH)) s--;
    return s < 1 ? 1 : s;
}
}  // namespace

int SdlScale() {
    static int scale = 0;
    if (scale == 0) {
        SDL_Rect bounds{0, 0, 0, 0};
        if (!SdlVideoReady() || SDL_GetDisplayBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) return 1;
        scale = ChooseScale(StatedScale(), bounds.w, bounds.h);
    }
    return scale;
}
