// platform/services/file_writer.cpp - writing a file whole or not at all, the same on every
// system: the bytes go to a fresh name beside the target and replace it only once they are on
// the disk, so a failure at any point leaves the old file as it was and no partial one.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include "platform/services/file_steps.h"

struct PlatFileWriter {
    SysFile    File;
    PlatResult Failure;                   // done until a write fails: then it can only be abandoned
    char       Temp[PlatPathCapacity];    // the fresh name
    char       Target[PlatPathCapacity];
};

namespace {
constexpr size_t LargestPiece = size_t(1) << 30;   // bytes per system write call
constexpr int FreshNameAttempts = 100;

bool WriteAll(SysFile file, const char* p, int64_t n) {
    while (n > 0) {
        if (StepFails(StepWrite, SysError::IoError)) return false;
        const size_t taken = DiskTakes(size_t(std::min<int64_t>(n, int64_t(LargestPiece))));
        if (taken == 0) {   // the disk is full: the rest of the write fails as it would
            SysSetError(SysError::DiskFull);
            return false;
        }
        const int64_t written = SysWrite(file, p, taken);
        if (written <= 0) return false;
        DiskTook(size_t(written));
        p += written;
        n -= written;
    }
    return true;
}

PlatResult Replace(const char* from, const char* to, bool durable) {
    if (StepFails(StepRename, SysError::AccessDenied) || !SysReplace(from, to, durable)) return PlatSystemFailure();
    return PlatDone();
}

PlatFileWriter* Begin(const char* path, PlatResult* why) {
    if (!path || !*path) {
        *why = PlatFailed("no file name");
        return nullptr;
    }
    if (std::strlen(path) >= size_t(PlatPathCapacity)) {
        SysSetError(SysError::NameTooLong);
        *why = PlatSystemFailure();
        return nullptr;
    }
    auto* f = new (std::nothrow) PlatFileWriter{};
    if (!f) {
        *why = PlatOutOfMemory();
        return nullptr;
    }
    std::memcpy(f->Target, path, std::strlen(path) + 1);
    f->Failure = PlatDone();
    static std::atomic<unsigned> serial{0};
    bool created = false, taken = true;
    for (int attempt = 0; attempt < FreshNameAttempts && !created && taken; attempt++) {
        if (!SysTempName(path, serial++, f->Temp, sizeof f->Temp)) {
            SysSetError(SysError::NameTooLong);
            break;
        }
        taken = false;
        created = !StepFails(StepOpen, SysError::AccessDenied) && SysCreateNew(f->Temp, &f->File, &taken);
    }
    if (!created) {
        *why = PlatSystemFailure();
        delete f;
        return nullptr;
    }
    return f;
}
}  // namespace

PlatFileWriter* PlatBeginFile(const char* path, PlatResult* why) {
    PlatResult result = PlatDone();
    PlatFileWriter* f = Begin(path, &result);
    if (why) *why = result;
    return f;
}

PlatResult PlatWriteBytes(PlatFileWriter* f, const void* data, int64_t bytes) {
    if (!f) return PlatFailed("no file");
    if (f->Failure && (bytes < 0 || (!data && bytes > 0))) f->Failure = PlatFailed("no bytes to write");
    else if (f->Failure && !WriteAll(f->File, static_cast<const char*>(data), bytes)) f->Failure = PlatSystemFailure();
    return f->Failure;
}

PlatResult PlatFinishFile(PlatFileWriter* f) {
    if (!f) return PlatFailed("no file");
    PlatResult result = f->Failure;
    if (result && (StepFails(StepSync, SysError::IoError) || !SysSync(f->File))) result = PlatSystemFailure();
    const bool closed = SysClose(f->File) && !StepFails(StepClose, SysError::IoError);
    if (result && !closed) result = PlatSystemFailure();
    if (result) result = Replace(f->Temp, f->Target, true);
    if (!result) SysDelete(f->Temp);
    delete f;
    return result;
}

void PlatAbandonFile(PlatFileWriter* f) {
    if (!f) return;
    SysClose(f->File);
    SysDelete(f->Temp);
    delete f;
}

PlatResult PlatWriteFile(const char* path, const void* data, int64_t bytes) {
    if (bytes < 0 || (!data && bytes > 0)) return PlatFailed("no bytes to write");
    PlatResult result = PlatDone();
    PlatFileWriter* f = PlatBeginFile(path, &result);
    if (!f) return result;
    PlatWriteBytes(f, data, bytes);
    return PlatFinishFile(f);   // reports a failed write, and leaves nothing behind then
}

PlatResult PlatRenameFile(const char* from, const char* to) {
    if (!from || !to) return PlatFailed("no file name");
    return Replace(from, to, false);
}

bool PlatDeleteFile(const char* path) { return path && SysDelete(path); }

PlatResult PlatOutputPlaceUsable(const char* path) {
    if (!path || !*path) return PlatFailed("no file name");
    const char last = path[std::strlen(path) - 1];
    if (last == '/' || last == PlatPathSeparator() || SysIsFolder(path)) return PlatFailed("it is a folder");
    PlatResult result = PlatDone();
    PlatFileWriter* probe = PlatBeginFile(path, &result);
    PlatAbandonFile(probe);
    return result;
}

bool StepFails(FileStep step, SysError error) {
    if (!FaultInjected(step)) return false;
    SysSetError(error);
    return true;
}
