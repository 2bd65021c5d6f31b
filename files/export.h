// files/export.h - the saved picture: ScreenImage as an 8-bit RGB PNG file.
#pragma once
#include "platform/platform.h"

// The export objects (the encoder's memory for the window's picture), made with the paint
// resources and released when the window is destroyed.
void CreateExportObjects();
void ReleaseExportObjects();
// Writes ScreenImage (WindowWidth x WindowHeight) to path; fails also when there are no
// export objects for this window size.
PlatResult WriteScreenPng(const char* path);
