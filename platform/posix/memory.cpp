// platform/posix/memory.cpp - mapping the large buffers in at start-up on a POSIX system.
#include <sys/mman.h>
#include <cstdint>
#include "platform/platform.h"

void PlatMapInBuffer(void* buffer, size_t bytes) {
    const uintptr_t begin = reinterpret_cast<uintptr_t>(buffer), end = begin + bytes;
    // Large pages only where whole ones fit inside the buffer.
    constexpr uintptr_t Large = uintptr_t(2) << 20;
    const uintptr_t first = (begin + Large - 1) & ~(Large - 1), last = end & ~(Large - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    // Populating needs whole pages; a buffer shares its edge pages with its neighbours.
    constexpr uintptr_t Page = 4096;
    const uintptr_t from = begin & ~(Page - 1), to = (end + Page - 1) & ~(Page - 1);
#ifdef MADV_POPULATE_WRITE
    if (madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) == 0) return;
#endif
    // Older kernels: touch each page, writing back what it holds.
    volatile unsigned char* bytesIn = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i < bytes; i += Page) bytesIn[i] = bytesIn[i];
}
