// tests/system/processor_pinning_posix.cpp - pinning every thread of the process (each one
// listed under /proc/self/task) to the first processor the process may use.
#include <dirent.h>
#include <sched.h>
#include <cstdlib>
#include "tests/processor_pinning.h"

namespace {
cpu_set_t All;

bool PinAll(const cpu_set_t& set) {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return false;
    while (dirent* e = readdir(tasks))
        if (e->d_name[0] != '.') sched_setaffinity(std::atoi(e->d_name), sizeof set, &set);
    closedir(tasks);
    return true;
}
}  // namespace

bool PinThreadsToOneProcessor() {
    if (sched_getaffinity(0, sizeof All, &All) != 0) return false;
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int c = 0; c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &All)) {
            CPU_SET(c, &one);
            break;
        }
    return PinAll(one);
}

void UnpinThreads() { PinAll(All); }
