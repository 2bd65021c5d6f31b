// platform/services/file_steps.h - the few file calls each system gives the file writer,
// whose steps (a fresh name, the failures a test asks for, sync, rename, clean-up) are
// written once over them in file_writer.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/platform.h"
#include "platform/services/service_faults.h"

// An open file: a descriptor or a HANDLE, as an integer.
typedef intptr_t SysFile;

// The failures the writer reports itself, set as the system's last error so that
// PlatSystemFailure words them as the system would.
enum class SysError { AccessDenied, IoError, DiskFull, NameTooLong };
void SysSetError(SysError error);

// Whether a test asked this call of the step to fail; if so, the system's last error is set.
bool StepFails(FileStep step, SysError error);

// A fresh name beside path, differing with serial; false when it does not fit outSize.
bool    SysTempName(const char* path, unsigned serial, char* out, int outSize);
// Creates the file only if the name is free; false on failure, *taken when the name was taken.
bool    SysCreateNew(const char* path, SysFile* file, bool* taken);
// Writes some of the bytes (at most 1 GiB asked at once): the count written, <= 0 on failure.
int64_t SysWrite(SysFile file, const void* data, size_t bytes);
bool    SysSync(SysFile file);
bool    SysClose(SysFile file);
// Puts from in place of to, replacing it; durable: the new name too has reached the disk
// when it returns (a folder that cannot be synced does not fail it).
bool    SysReplace(const char* from, const char* to, bool durable);
bool    SysDelete(const char* path);
bool    SysIsFolder(const char* path);
