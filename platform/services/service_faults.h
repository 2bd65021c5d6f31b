// platform/services/service_faults.h - what a test may change in the system services: the answer the
// system gives for the program's own path, and failures of the file steps on demand. Only
// the headless backend points ServiceTest at a table (through the controls in headless.h);
// the desktop backends never do, so their programs always get the system's own answers.
#pragma once
#include <cstddef>
#include <cstdint>

enum FileStep : int {
    StepCreateFolder,   // creating a folder
    StepOpen,           // creating the fresh file a write goes to
    StepWrite,          // each write call
    StepSync,           // flushing the file to the disk
    StepClose,
    StepRename,         // putting the finished file in place
    FileStepCount
};

struct ServiceOverrides {
    // The program's own path as the system would name it; "" for a system that cannot tell;
    // null to ask the system.
    const char* ProgramPath;
    int32_t FailIn[FileStepCount];   // the n-th next call of a step fails (1 = the next), 0 = none
    int64_t DiskRoom;                // bytes the disk still takes, the rest of a write fails; < 0: no limit
    int32_t Injected;                // failures made so far
};
extern ServiceOverrides* ServiceTest;   // null: no test is steering

// Whether a test asked this call of the step to fail (and counts it if so).
bool FaultInjected(FileStep step);
// As much of a write of `bytes` as a disk that a test has made nearly full still takes; 0
// counts as the failure of a full disk.
size_t DiskTakes(size_t bytes);
// A write put `bytes` on the disk.
void DiskTook(size_t bytes);
