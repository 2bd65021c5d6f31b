// platform/services/posix/threads.cpp - sleeping on a word: the standard library's atomic wait, which
// the C++ library on Linux builds on the kernel's futex (and skips the system call when no
// thread sleeps).
#include "platform/platform.h"

void PlatWaitWhileEqual(std::atomic<uint32_t>& word, uint32_t value) { word.wait(value, std::memory_order_acquire); }
void PlatWakeOne(std::atomic<uint32_t>& word) { word.notify_one(); }
void PlatWaitWhileEqual(std::atomic<uint64_t>& word, uint64_t value) { word.wait(value, std::memory_order_acquire); }
void PlatWakeOne(std::atomic<uint64_t>& word) { word.notify_one(); }
