// files/export.h - the saved picture: ScreenImage as an 8-bit RGB PNG file.
#pragma once

// The export image and its PNG writer, made once with the paint resources and released
// when the window is destroyed.
void CreateExportObjects();
void ReleaseExportObjects();
// Writes ScreenImage (WindowWidth x WindowHeight) to path; throws on any failure.
void WritePicturePng(const char* path);
