// platform/services/posix/memory.cpp - clearing the large buffers on a POSIX system.
//
// Their pages are mapped in as a picture first writes them, so a small picture costs only its
// own rows. Large pages are not asked for. Where the system hands them to any suitable region
// (transparent huge pages "always"), the buffers, which start on 2 MiB boundaries, get them
// when free ones are at hand. Asking for them (MADV_HUGEPAGE) makes the kernel, under its
// usual setting (defrag "madvise"), reclaim and compact memory on the spot whenever none is
// free, a stall of no bound on a machine whose memory is fragmented; and the pictures
// measured no faster on large pages, since a tile's rows touch a few hundred pages at most.
#include <sys/mman.h>
#include <cstdint>
#include <cstring>
#include "platform/platform.h"

void PlatClearBuffer(void* buffer, size_t bytes) {
    // The whole pages inside go back to the system (the buffers are static, so private and
    // anonymous: they read as zero afterwards); the edge pages, shared with neighbours, are
    // written.
    constexpr uintptr_t Page = 4096;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(buffer), end = begin + bytes;
    const uintptr_t from = (begin + Page - 1) & ~(Page - 1), to = end & ~(Page - 1);
    if (to <= from || madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED) != 0) {
        std::memset(buffer, 0, bytes);
        return;
    }
    std::memset(buffer, 0, from - begin);
    std::memset(reinterpret_cast<void*>(to), 0, end - to);
}
