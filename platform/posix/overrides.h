// platform/posix/overrides.h - what a test may change in the POSIX services: the answer the
// system gives for the program's own path, and failures of the file steps on demand. Only
// the headless backend points PosixTest at a table (through the controls in headless.h); the
// desktop backends never do, so their programs always get the system's own answers.
#pragma once
#include <cstdint>

enum PosixFileStep : int {
    StepCreateFolder,   // mkdir of a folder
    StepOpen,           // creating the fresh file a write goes to
    StepWrite,          // each write call
    StepSync,           // flushing the file to the disk
    StepClose,
    StepRename,         // putting the finished file in place
    PosixFileStepCount
};

struct PosixOverrides {
    // The program's own path as the system would name it; "" for a system that cannot tell;
    // null to ask the system.
    const char* ProgramPath;
    int32_t FailIn[PosixFileStepCount];   // the n-th next call of a step fails (1 = the next), 0 = none
    int64_t DiskRoom;                     // bytes the disk still takes, the rest of a write fails; < 0: no limit
    int32_t Injected;                     // failures made so far
};
extern PosixOverrides* PosixTest;         // null: no test is steering
