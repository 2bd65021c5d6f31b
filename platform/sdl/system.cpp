// platform/sdl/system.cpp - clock, processors, local time, display metrics and the fatal box
// on a desktop reached through SDL.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include "platform/common/window.h"
#include "platform/platform.h"
#include "platform/sdl/sdl.h"

namespace {
// Counted from program start, as the program's clock is.
const Uint64 StartCounter = SDL_GetPerformanceCounter();
}  // namespace

int64_t PlatPerfCounter() { return (int64_t)(SDL_GetPerformanceCounter() - StartCounter); }
int64_t PlatPerfFrequency() { return (int64_t)SDL_GetPerformanceFrequency(); }

int64_t BackendNowMs() {
    return (int64_t)((__int128)PlatPerfCounter() * 1000 / PlatPerfFrequency());
}

int PlatProcessorCount() { return SDL_GetCPUCount(); }

PlatLocalTime PlatGetLocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return PlatLocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

// Without a display SDL falls back to drivers that draw nowhere; a window nobody can see or
// close is worse than the error box, so those count only when asked for by name.
static bool OnADisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return true;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return asked && std::strstr(asked, driver) != nullptr;
}

bool SdlVideoReady() {
    static int state = 0;   // 0 not tried, 1 running, -1 failed
    if (state == 0) {
        // Mouse messages arrive only while the pointer is over the window, as the program expects.
        SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
        // The window surface goes straight to the display; through a renderer each small tile
        // copy would redraw the whole window, which is slow on a software OpenGL.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        // An ordinary window: the screen saver and the desktop's compositor stay as they are.
        SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
        SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
        state = SDL_Init(SDL_INIT_VIDEO) == 0 ? 1 : -1;
        char reason[256];
        if (state == 1) std::snprintf(reason, sizeof reason, "only SDL's %s driver, which draws nowhere", SDL_GetCurrentVideoDriver());
        else std::snprintf(reason, sizeof reason, "%s", SDL_GetError());
        if (state == 1 && !OnADisplay()) {
            SDL_Quit();
            state = -1;
        }
        // Said first, before the window's own error box, which cannot show without a display.
        if (state == -1)
            std::fprintf(stderr, "Zentrix: no display could be opened (%s). zentrix-render draws a saved view "
                                 "into a PNG file without one.\n", reason);
        if (state == 1) SDL_StopTextInput();   // keys only: no text or input-method events
    }
    return state == 1;
}

PlatDisplayMetrics PlatGetDisplayMetrics() {
    // Without a display the program still gets a sane size; creating the window then fails.
    PlatDisplayMetrics m{1920, 1080, 1920, 1080, 0, 0, 1920, 1080};
    if (!SdlVideoReady()) return m;
    // The program sees the logical screen: the display divided by the scale factor.
    const int s = SdlScale();
    SDL_Rect bounds{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(0, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
        m.ModeWidth = bounds.w;
        m.ModeHeight = bounds.h;
        m.ScreenWidth = bounds.w / s;
        m.ScreenHeight = bounds.h / s;
        m.WorkLeft = 0, m.WorkTop = 0, m.WorkRight = m.ScreenWidth, m.WorkBottom = m.ScreenHeight;
    }
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        m.ModeWidth = mode.w;
        m.ModeHeight = mode.h;
    }
    // The work area in the program's screen coordinates, whose origin is the display's corner.
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
        m.WorkLeft = (usable.x - bounds.x) / s;
        m.WorkTop = (usable.y - bounds.y) / s;
        m.WorkRight = (usable.x - bounds.x + usable.w) / s;
        m.WorkBottom = (usable.y - bounds.y + usable.h) / s;
    }
    return m;
}

void PlatMessageBox(const char* text, const char* caption) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption, text);
}

[[noreturn]] void PlatExitProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}
