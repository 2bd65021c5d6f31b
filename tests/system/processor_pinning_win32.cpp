// tests/system/processor_pinning_win32.cpp - the tests do not pin threads on Windows.
#include "tests/processor_pinning.h"

bool PinThreadsToOneProcessor() { return false; }
void UnpinThreads() {}
