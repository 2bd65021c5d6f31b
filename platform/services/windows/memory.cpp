// platform/services/windows/memory.cpp - mapping the large buffers in at start-up on Windows.
//
// The buffers are part of the program's image, which Windows maps on small pages only (large
// pages exist for memory a process allocates itself, with a privilege users rarely hold).
// Touching each page now spares the first picture a page fault per 4 KiB.
#include <cstdint>
#include "platform/win32/win32.h"

void PlatMapInBuffer(void* buffer, size_t bytes) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize ? info.dwPageSize : 4096;
    // Written back with what it holds, so the contents stay.
    volatile unsigned char* bytesIn = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i < bytes; i += page) bytesIn[i] = bytesIn[i];
    if (bytes > 0) bytesIn[bytes - 1] = bytesIn[bytes - 1];
}
