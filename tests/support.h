// tests/support.h - starting the whole program on the headless backend.
#pragma once
#include <initializer_list>
#include <vector>
#include "app/app.h"
#include "engine/work.h"
#include "platform/headless/headless.h"

// Runs the start-up sequence with the given arguments (argument 0 is the program path).
inline void StartProgram(std::initializer_list<const char*> args) {
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    StartUp((int)args.size(), argv.data());
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
