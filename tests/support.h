// tests/support.h - starting the whole program on the headless backend.
#pragma once
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>
#include "app/app.h"
#include "engine/work.h"
#include "platform/headless/headless.h"

// Runs the start-up sequence with the given arguments; argument 0 stands for the program's
// own path as the system names it, so a test chooses where the Pictures folder is.
inline void StartProgram(std::initializer_list<const char*> args) {
    std::vector<const char*> argv(args);
    HeadlessSetProgramPath(argv[0]);
    argv.push_back(nullptr);
    StartUp((int)args.size(), argv.data());
}

// The folder a program started as argv0 by StartProgram keeps its Pictures folder in, with
// the separator at its end.
inline std::string ProgramFolder(const char* argv0) {
    char self[4096] = "";
    HeadlessSetProgramPath(argv0);
    PlatProgramPath(argv0, self, sizeof self);
    const char* last = std::strrchr(self, PlatPathSeparator());
    return std::string(self, last ? size_t(last + 1 - self) : 0);
}

// Pumps one message at a time until the render cycle is idle and nothing is waiting.
inline void PumpUntilPictureDone() { HeadlessPumpUntilIdle(); }

// Pumps until the next paint has run; returns false if nothing was waiting.
inline bool PumpOnePaint() {
    while (HeadlessPumpOne()) {
        if (!PlatPaintPending()) return true;
    }
    return false;
}

// The counts of the current geometry computed afresh, every pixel and every tile in one call
// without slices (rows of Calc.WindowWidth). What the kernels write (the picture's rows of
// the counts, the work mask and both images) and the tile position are put back afterwards,
// so the program goes on as if nothing had happened.
inline std::vector<int32_t> FreshCounts() {
    const int w = Calc.WindowWidth, h = Calc.WindowHeight;
    int32_t* const rows = &NAt(0, 0) - CountMargin;   // whole rows, margins included
    const std::vector<int32_t> counts(rows, rows + size_t(h) * CountStride), mask(Counts.WorkMask, Counts.WorkMask + size_t(h) * CountStride);
    const std::vector<uint32_t> screen(ScreenImage, ScreenImage + w * h), progress(ProgressImage, ProgressImage + w * h);
    const int32_t tilePos = Work.TilePos;
    const bool live = Work.LivePass;
    std::fill(Counts.WorkMask, Counts.WorkMask + size_t(h) * CountStride, -1);
    Work.LivePass = false;
    for (int p = 0; p < TileCount; p++) {
        Work.TilePos = p;
        PrepareSlice();
        ComputeTile();
    }
    std::vector<int32_t> fresh;
    for (int y = 0; y < h; y++) fresh.insert(fresh.end(), &NAt(0, y), &NAt(0, y) + w);
    std::copy(counts.begin(), counts.end(), rows);
    std::copy(mask.begin(), mask.end(), Counts.WorkMask);
    std::copy(screen.begin(), screen.end(), ScreenImage);
    std::copy(progress.begin(), progress.end(), ProgressImage);
    Work.TilePos = tilePos;
    Work.LivePass = live;
    return fresh;
}

// The counts the picture shows, in the same order.
inline std::vector<int32_t> ShownCounts() {
    std::vector<int32_t> shown;
    for (int y = 0; y < Calc.WindowHeight; y++) shown.insert(shown.end(), &NAt(0, y), &NAt(0, y) + Calc.WindowWidth);
    return shown;
}
