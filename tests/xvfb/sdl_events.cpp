// tests/xvfb/sdl_events.cpp - a window on the SDL backend that logs every message it gets,
// one line each, so that a script can drive it with X input and check the translation:
// virtual-key codes, system keys while Alt is held, client coordinates kept inside the
// window, wheel notches, closing through Alt+F4, and a minimise the desktop ignores.
//
//   sdl_events X Y W H      prints "ready" once the window exists
#include <cstdio>
#include <cstdlib>
#include "platform/platform.h"

namespace {
const char* Name(uint32_t message) {
    switch (message) {
    case WM_CREATE: return "CREATE";
    case WM_DESTROY: return "DESTROY";
    case WM_SETFOCUS: return "SETFOCUS";
    case WM_KILLFOCUS: return "KILLFOCUS";
    case WM_PAINT: return "PAINT";
    case WM_CLOSE: return "CLOSE";
    case WM_KEYDOWN: return "KEYDOWN";
    case WM_KEYUP: return "KEYUP";
    case WM_SYSKEYDOWN: return "SYSKEYDOWN";
    case WM_SYSKEYUP: return "SYSKEYUP";
    case WM_TIMER: return "TIMER";
    case WM_MOUSEMOVE: return "MOUSEMOVE";
    case WM_LBUTTONDOWN: return "LBUTTONDOWN";
    case WM_LBUTTONUP: return "LBUTTONUP";
    case WM_RBUTTONDOWN: return "RBUTTONDOWN";
    case WM_RBUTTONUP: return "RBUTTONUP";
    case WM_MOUSEWHEEL: return "MOUSEWHEEL";
    default: return "OTHER";
    }
}

int MinimiseFocusMessages = -1;   // focus messages since the last minimise, -1 without one

intptr_t LogProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const unsigned x = (unsigned)lParam & 0xFFFF, y = ((unsigned)lParam >> 16) & 0xFFFF;
    switch (message) {
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
        std::printf("%s %u %u\n", Name(message), x, y);
        break;
    case WM_MOUSEWHEEL:
        std::printf("%s %d\n", Name(message), (int)(int16_t)(uint16_t)(wParam >> 16));
        break;
    case WM_PAINT: case WM_CREATE: case WM_DESTROY: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_CLOSE:
        std::printf("%s\n", Name(message));
        break;
    default:
        std::printf("%s %u\n", Name(message), (unsigned)wParam);
        break;
    }
    std::fflush(stdout);
    switch (message) {
    case WM_PAINT:
        PlatBeginPaint();
        PlatFillRect(0, 0, 1 << 15, 1 << 15, 0x00A000);
        PlatEndPaint();
        return 0;
    case WM_DESTROY: PlatPostQuitMessage(0); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_F1 + 10) PlatMinimiseWindow();   // F11, as the explorer does
        MinimiseFocusMessages = wParam == VK_F1 + 10 ? 0 : -1;
        return 0;
    case WM_SETFOCUS:
        // The first focus message after the minimise finds the program busy and passes; the
        // second restores the window.
        if (MinimiseFocusMessages >= 0 && ++MinimiseFocusMessages == 2) PlatRestoreWindow();
        return 0;
    default: return PlatDefWindowProc(message, wParam, lParam);
    }
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s X Y W H\n", argv[0]);
        return 2;
    }
    if (!PlatRegisterWindowClass("WndClass", LogProc) ||
        !PlatCreateWindow("WndClass", "Zntx events", std::atoi(argv[1]), std::atoi(argv[2]),
                          std::atoi(argv[3]), std::atoi(argv[4]))) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    PlatMsg msg;
    while (PlatGetMessage(&msg)) PlatDispatchMessage(&msg);
    return 0;
}
