// platform/win32/system.cpp - clock, processors, local time, display metrics and the fatal box
// on the Windows desktop.
#include <cstdio>
#include "platform/win32/win32.h"

namespace {
int64_t Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}
// Counted from program start, as the program's clock is.
const int64_t StartCounter = Counter();
}  // namespace

int64_t PlatPerfCounter() { return Counter() - StartCounter; }

int64_t PlatPerfFrequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
}

int PlatProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return (int)info.dwNumberOfProcessors;
}

PlatLocalTime PlatGetLocalTime() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return PlatLocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// The program is not aware of display scaling, so on a scaled display the screen it sees is
// smaller than the display mode.
PlatDisplayMetrics PlatGetDisplayMetrics() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    RECT work{0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return PlatDisplayMetrics{(int32_t)mode.dmPelsWidth, (int32_t)mode.dmPelsHeight,
                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                              work.left, work.top, work.right, work.bottom};
}

// The text also goes to the error output, where a console or a test script can read it.
void PlatMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

[[noreturn]] void PlatExitProcess(int code) {
    std::fflush(nullptr);
    ExitProcess((UINT)code);
}
