// platform/services/posix/files.cpp - paths, reads and the file writer's steps on a POSIX
// system, and the system's words for a failure.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/services/file_steps.h"

namespace {

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
    if (len + (len > 1) + n >= PlatPathCapacity) return false;
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

// The folder a path names its last component in: "/" for "/a", "." for a bare name.
void FolderOf(const char* path, char (&folder)[PlatPathCapacity]) {
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
    char folder[PlatPathCapacity];
    FolderOf(path, folder);
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}
}  // namespace

bool PlatFullPath(const char* path, char* out, int outSize) {
    if (!path || !*path || !out || outSize <= 0) return false;
    char full[PlatPathCapacity] = "/";
    int len = 1;
    if (path[0] != '/') {
        char cwd[PlatPathCapacity];
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
    char self[PlatPathCapacity] = "";
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

PlatResult PlatCreateFolder(const char* path) {
    if (!path || !*path) return PlatFailed("no folder name");
    if (StepFails(StepCreateFolder, SysError::AccessDenied)) return PlatSystemFailure();
    if (mkdir(path, 0777) == 0) return PlatDone();
    struct stat st;
    if (errno == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode)) return PlatDone();
    return PlatSystemFailure();
}

bool PlatFolderWritable(const char* path) {
    if (!path || !*path) return false;
    struct stat st;
    if (stat(path, &st) == 0) return MayCreateIn(path);
    if (errno != ENOENT) return false;
    char parent[PlatPathCapacity];
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

void SysSetError(SysError error) {
    constexpr int Errors[] = {EACCES, EIO, ENOSPC, ENAMETOOLONG};
    errno = Errors[int(error)];
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

namespace {
// strerror_r comes in two kinds, the GNU one returning its text and the XSI one filling buf.
[[maybe_unused]] const char* ErrorText(char* text, const char*) { return text; }
[[maybe_unused]] const char* ErrorText(int failed, const char* buf) { return failed ? "unknown error" : buf; }
}  // namespace

PlatResult PlatSystemFailure() {
    const int error = errno;
    char buf[PlatReasonCapacity] = "";
    return PlatFailed(ErrorText(strerror_r(error, buf, sizeof buf), buf));
}

bool SysTempName(const char* path, unsigned serial, char* out, int outSize) {
    const int n = std::snprintf(out, size_t(outSize), "%s.%ld-%u.tmp", path, (long)getpid(), serial);
    return n > 0 && n < outSize;
}

bool SysCreateNew(const char* path, SysFile* file, bool* taken) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    *taken = fd < 0 && errno == EEXIST;
    *file = fd;
    return fd >= 0;
}

int64_t SysWrite(SysFile file, const void* data, size_t bytes) {
    for (;;) {
        const ssize_t w = write(int(file), data, bytes);
        if (w < 0 && errno == EINTR) continue;
        if (w == 0) errno = ENOSPC;
        return w;
    }
}

bool SysSync(SysFile file) { return fsync(int(file)) == 0; }
bool SysClose(SysFile file) { return close(int(file)) == 0; }

bool SysReplace(const char* from, const char* to, bool durable) {
    if (rename(from, to) != 0) return false;
    if (durable) SyncFolderOf(to);
    return true;
}

bool SysDelete(const char* path) { return unlink(path) == 0; }

bool SysIsFolder(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}
