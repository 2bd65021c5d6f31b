// platform/win32/win32.h - what the Windows backend's files share. windows.h is seen only in
// this folder, and always after platform.h: the seam names messages, keys and CLR_INVALID
// as constants, which windows.h then defines again as macros of the same values.
#pragma once
#include "platform/platform.h"
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

HWND Win32Window();            // the one window, null when there is none
HDC  Win32PaintDC();           // the device context of the paint in progress, null outside one
void Win32ReleaseBrushes();    // the window is gone: its brushes go too
