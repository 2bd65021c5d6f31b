// platform/services/posix/memory.cpp - mapping the large buffers in at start-up on a POSIX system.
//
// Every page is written once now, so the first picture pays no page faults. Large pages are
// not asked for. Where the system hands them to any suitable region (transparent huge pages
// "always"), the buffers, which start on 2 MiB boundaries, get them when free ones are at
// hand. Asking for them (MADV_HUGEPAGE) makes the kernel, under its usual setting (defrag
// "madvise"), reclaim and compact memory on the spot whenever none is free, a stall of no
// bound on a machine whose memory is fragmented; and the pictures measured no faster on
// large pages, since a tile's rows touch a few hundred pages at most.
#include <sys/mman.h>
#include <cstdint>
#include "platform/platform.h"

void PlatMapInBuffer(void* buffer, size_t bytes) {
    // Populating needs whole pages; a buffer shares its edge pages with its neighbours.
    constexpr uintptr_t Page = 4096;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(buffer), end = begin + bytes;
    const uintptr_t from = begin & ~(Page - 1), to = (end + Page - 1) & ~(Page - 1);
#ifdef MADV_POPULATE_WRITE
    if (madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) == 0) return;
#endif
    // Older kernels: touch each page, writing back what it holds.
    volatile unsigned char* bytesIn = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i < bytes; i += Page) bytesIn[i] = bytesIn[i];
}
