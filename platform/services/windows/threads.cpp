// platform/services/windows/threads.cpp - sleeping on a word with WaitOnAddress, the system's
// own wait on a value. The C++ library of mingw-w64 has no such wait underneath its atomic
// wait: it shares a few condition variables among all words, and a wake meant for one
// sleeper can be taken by another, leaving the first asleep for good.
#include "platform/win32/win32.h"

void PlatWaitWhileEqual(std::atomic<uint32_t>& word, uint32_t value) {
    WaitOnAddress(&word, &value, sizeof value, INFINITE);
}

void PlatWakeOne(std::atomic<uint32_t>& word) { WakeByAddressSingle(&word); }

void PlatWaitWhileEqual(std::atomic<uint64_t>& word, uint64_t value) {
    WaitOnAddress(&word, &value, sizeof value, INFINITE);
}

void PlatWakeOne(std::atomic<uint64_t>& word) { WakeByAddressSingle(&word); }
