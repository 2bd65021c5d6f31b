// tests/support.h - starting the whole program on the headless backend.
#pragma once
#include <cstring>
#include <initializer_list>
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

// The folder a program started as argv0 keeps its Pictures folder in, with the separator at
// its end: where the system says the program is, which on some systems is not argv0.
inline std::string ProgramFolder(const char* argv0) {
    char self[4096] = "";
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
