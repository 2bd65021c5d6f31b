// tests/system/file_size_limit_win32.cpp - Windows caps no single process's files.
#include "tests/file_size_limit.h"

bool LimitFileSize(int64_t) { return false; }
void LiftFileSizeLimit() {}
