// platform/posix/files.cpp - paths and whole-file reads and writes on a POSIX system.
#include <atomic>
#include <cerrno>
#include <new>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/platform.h"
#include "platform/service_faults.h"

namespace {
constexpr int PathMax = 4096;

// A failure a test asked for, with the errno the system would give for it.
bool Injected(FileStep step, int error) {
    if (!FaultInjected(step)) return false;
    errno = error;
    return true;
}

// Appends one component to an absolute path, resolving "." and ".." by name only, as the
// path need not exist.
bool AppendComponent(char* out, int& len, const char* comp, int n) {
    if (n == 0 || (n == 1 && comp[0] == '.')) return true;
    if (n == 2 && comp[0] == '.' && comp[1] == '.') {
        while (len > 1 && out[len - 1] != '/') len--;
        if (len > 1) len--;   // drop the separator too, but never the root
        out[len] = 0;
        return true;
    }
    if (len + (len > 1) + n >= PathMax) return false;
    if (len > 1) out[len++] = '/';
    std::memcpy(out + len, comp, (size_t)n);
    len += n;
    out[len] = 0;
    return true;
}

bool AppendPath(char* out, int& len, const char* path) {
    while (*path) {
        const char* end = std::strchr(path, '/');
        const int n = end ? (int)(end - path) : (int)std::strlen(path);
        if (!AppendComponent(out, len, path, n)) return false;
        path += n;
        if (*path == '/') path++;
    }
    return true;
}

bool WriteAll(int fd, const char* p, int64_t n) {
    while (n > 0) {
        if (Injected(StepWrite, EIO)) return false;
        const size_t taken = DiskTakes((size_t)(n > (1 << 30) ? (1 << 30) : n));
        if (taken == 0) {   // the disk is full: the rest of the write fails as it would
            errno = ENOSPC;
            return false;
        }
        ssize_t w = write(fd, p, taken);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        DiskTook(size_t(w));
        p += w;
        n -= w;
    }
    return true;
}

bool RenameFile(const char* from, const char* to) {
    return !Injected(StepRename, EACCES) && rename(from, to) == 0;
}

// The folder a path names its last component in: "/" for "/a", "." for a bare name.
void FolderOf(const char* path, char (&folder)[PathMax]) {
    std::snprintf(folder, sizeof folder, "%s", path);
    char* slash = std::strrchr(folder, '/');
    if (slash == folder) slash[1] = 0;
    else if (slash) *slash = 0;
    else std::snprintf(folder, sizeof folder, ".");
}

bool MayCreateIn(const char* folder) {
    struct stat st;
    return stat(folder, &st) == 0 && S_ISDIR(st.st_mode) &&
           faccessat(AT_FDCWD, folder, W_OK | X_OK, AT_EACCESS) == 0;
}

// Makes the rename durable too; a folder that cannot be synced does not fail the write.
void SyncFolderOf(const char* path) {
    char folder[PathMax];
    FolderOf(path, folder);
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}
}  // namespace

bool PlatFullPath(const char* path, char* out, int outSize) {
    if (!path || !*path || !out || outSize <= 0) return false;
    char full[PathMax] = "/";
    int len = 1;
    if (path[0] != '/') {
        char cwd[PathMax];
        if (!getcwd(cwd, sizeof cwd) || !AppendPath(full, len, cwd)) return false;
    }
    if (!AppendPath(full, len, path)) return false;
    if (len >= outSize) return false;
    std::memcpy(out, full, (size_t)len + 1);
    return true;
}

// The system names the running program's file itself, whichever way it was started (through
// PATH, a link, from another folder); argv0 is the fallback where it cannot.
bool PlatProgramPath(const char* argv0, char* out, int outSize) {
    char self[PathMax] = "";
    if (ServiceTest && ServiceTest->ProgramPath) {
        std::snprintf(self, sizeof self, "%s", ServiceTest->ProgramPath);
    } else {
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        self[n > 0 ? n : 0] = 0;
    }
    if (self[0] == '/' && PlatFullPath(self, out, outSize)) return true;
    return PlatFullPath(argv0, out, outSize);
}

char PlatPathSeparator() { return '/'; }

bool PlatFileExists(const char* path) {
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool PlatCreateFolder(const char* path) {
    if (!path || !*path) return false;
    if (Injected(StepCreateFolder, EACCES)) return false;
    if (mkdir(path, 0777) == 0) return true;
    struct stat st;
    return errno == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool PlatFolderWritable(const char* path) {
    if (!path || !*path) return false;
    struct stat st;
    if (stat(path, &st) == 0) return MayCreateIn(path);
    if (errno != ENOENT) return false;
    char parent[PathMax];
    FolderOf(path, parent);
    return MayCreateIn(parent);
}

int64_t PlatReadFile(const char* path, char* buffer, int64_t maxBytes) {
    if (!path || !buffer || maxBytes < 0) return -1;
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {   // no folders, pipes or devices
        close(fd);
        return -1;
    }
    int64_t got = 0;
    while (got < maxBytes) {
        ssize_t r = read(fd, buffer + got, (size_t)(maxBytes - got > (1 << 30) ? (1 << 30) : maxBytes - got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            close(fd);
            return -1;
        }
        if (r == 0) break;
        got += r;
    }
    close(fd);
    return got;
}

int64_t PlatFileSize(const char* path) {
    struct stat st;
    if (!path || stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return int64_t(st.st_size);
}

int64_t PlatReadFileAt(const char* path, int64_t offset, char* buffer, int64_t maxBytes) {
    if (!path || !buffer || offset < 0 || maxBytes < 0) return -1;
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st;
    int64_t got = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? 0 : -1;
    while (got >= 0 && got < maxBytes) {
        const int64_t left = maxBytes - got;
        ssize_t r = pread(fd, buffer + got, size_t(left > (1 << 30) ? (1 << 30) : left), off_t(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            if (r < 0) got = -1;
            break;
        }
        got += r;
    }
    close(fd);
    return got;
}

// The bytes go to a fresh name beside the target and replace it only once they are on the
// disk, so a failure at any point leaves the old file as it was and no partial one.
struct PlatFileWriter {
    int  Fd;
    bool Failed;             // a write failed: the file can only be abandoned
    char Temp[PathMax];      // the fresh name
    char Target[PathMax];
};

PlatFileWriter* PlatBeginFile(const char* path) {
    if (!path || !*path || std::strlen(path) >= PathMax) return nullptr;
    auto* f = new (std::nothrow) PlatFileWriter{};
    if (!f) return nullptr;
    std::memcpy(f->Target, path, std::strlen(path) + 1);
    static std::atomic<unsigned> serial{0};
    f->Fd = -1;
    for (int attempt = 0; attempt < 100 && f->Fd < 0; attempt++) {
        int n = std::snprintf(f->Temp, sizeof f->Temp, "%s.%ld-%u.tmp", path, (long)getpid(), serial++);
        if (n < 0 || n >= (int)sizeof f->Temp) break;
        f->Fd = Injected(StepOpen, EACCES) ? -1 : open(f->Temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (f->Fd < 0 && errno != EEXIST) break;
    }
    if (f->Fd < 0) {
        delete f;
        return nullptr;
    }
    return f;
}

bool PlatWriteBytes(PlatFileWriter* f, const void* data, int64_t bytes) {
    if (!f || f->Failed || bytes < 0 || (!data && bytes > 0)) {
        if (f) f->Failed = true;
        return false;
    }
    if (!WriteAll(f->Fd, (const char*)data, bytes)) f->Failed = true;
    return !f->Failed;
}

bool PlatFinishFile(PlatFileWriter* f) {
    if (!f) return false;
    bool ok = !f->Failed && !Injected(StepSync, EIO) && fsync(f->Fd) == 0;
    ok = close(f->Fd) == 0 && !Injected(StepClose, EIO) && ok;
    ok = ok && RenameFile(f->Temp, f->Target);
    if (ok) SyncFolderOf(f->Target);
    else unlink(f->Temp);
    delete f;
    return ok;
}

void PlatAbandonFile(PlatFileWriter* f) {
    if (!f) return;
    close(f->Fd);
    unlink(f->Temp);
    delete f;
}

bool PlatRenameFile(const char* from, const char* to) {
    return from && to && RenameFile(from, to);
}

bool PlatDeleteFile(const char* path) {
    return path && unlink(path) == 0;
}
