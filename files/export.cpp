// files/export.cpp - the saved picture: ScreenImage through the PNG encoder.
#include "files/export.h"
#include "engine/state.h"
#include "files/png.h"
#include "platform/platform.h"

namespace {
struct ExportState {
    int  Width, Height;  // the window the objects were made for
    bool Created;
};
ExportState Export;
}  // namespace

void CreateExportObjects() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    if (Export.Created && Export.Width == w && Export.Height == h) return;
    ReleaseExportObjects();
    if (w <= 0 || h <= 0 || w > MaxWidth || h > MaxHeight) return;
    Export.Width = w;
    Export.Height = h;
    Export.Created = true;
}

void ReleaseExportObjects() {
    Export = ExportState{};
}

PlatResult WriteScreenPng(const char* path) {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    if (!Export.Created || Export.Width != w || Export.Height != h) return PlatFailed("no picture of this window size");
    return WritePicturePng(path, ScreenImage, w, h);
}
