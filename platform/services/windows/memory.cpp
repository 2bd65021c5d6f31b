// platform/services/windows/memory.cpp - clearing the large buffers on Windows.
//
// The buffers are part of the program's image. A page of an image cannot be handed back and
// asked for again zeroed (that is for memory the process allocates), so the buffer is written.
#include <cstring>
#include "platform/win32/win32.h"

void PlatClearBuffer(void* buffer, size_t bytes) { std::memset(buffer, 0, bytes); }
