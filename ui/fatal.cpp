// ui/fatal.cpp - the one way the program reports a fault it cannot go on from.
#include "ui/display.h"

void FatalError(const char* text) {
    PlatMessageBox(text, "ERROR");
    PlatExitProcess(1);
}
