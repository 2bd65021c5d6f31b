// platform/headless/files.cpp - the system services as a test steers them: the program's own
// path and file steps that fail on demand.
#include <cstdio>
#include "platform/headless/headless.h"
#include "platform/headless/internal.h"

namespace {
constexpr ServiceOverrides SystemsOwn{nullptr, {}, -1, 0};   // nothing steered, no disk limit

struct FileControls {
    ServiceOverrides Table = SystemsOwn;
    char           ProgramPath[PlatPathCapacity];
};
FileControls Files;

ServiceOverrides& Steered() {
    ServiceTest = &Files.Table;
    return Files.Table;
}
}  // namespace

void HeadlessSetProgramPath(const char* path) {
    if (path) std::snprintf(Files.ProgramPath, sizeof Files.ProgramPath, "%s", path);
    Steered().ProgramPath = path ? Files.ProgramPath : nullptr;
}

void HeadlessFailFileStep(FileStep step, int nth) {
    if (step >= 0 && step < FileStepCount) Steered().FailIn[step] = nth;
}

void HeadlessDiskFullAfter(int64_t bytes) { Steered().DiskRoom = bytes; }

int HeadlessInjectedFaults() { return Files.Table.Injected; }

void HeadlessResetFiles() {
    Files.Table = SystemsOwn;
    ServiceTest = nullptr;
}
