// platform/win32/kernel/files.cpp - paths and whole-file reads and writes on Windows.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include "platform/service_faults.h"
#include "platform/win32/win32.h"

namespace {
constexpr DWORD LargestPiece = 1u << 30;   // bytes per ReadFile or WriteFile call
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Files only: a folder, a pipe or a device such as CON or NUL is no file to read or load.
bool OnDisk(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A name no file has yet, in the folder that the first folderLength characters of path name
// (separator included): short, so a folder near the length limit of a path still takes one.
bool FreshName(const char* path, int folderLength, char (&name)[MAX_PATH]) {
    static std::atomic<unsigned> serial{0};
    const int n = std::snprintf(name, sizeof name, "%.*s~zx%lx-%x.tmp", folderLength, path,
                                (unsigned long)GetCurrentProcessId(), serial++);
    return n > 0 && n < (int)sizeof name;
}

// The length of the folder part of a path, its last separator included; 0 for a bare name.
int FolderLength(const char* path) {
    int folder = 0;
    for (int i = 0; path[i]; i++)
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') folder = i + 1;
    return folder;
}

bool IsFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether this process may create a file in the folder: the access rules of Windows are
// asked the only sure way, by creating one, which goes again when it is closed.
bool MayCreateIn(const char* folder) {
    if (!IsFolder(folder)) return false;
    char probe[MAX_PATH], inside[MAX_PATH];
    const size_t length = std::strlen(folder);
    const bool separated = length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/');
    const int n = std::snprintf(inside, sizeof inside, separated ? "%s" : "%s\\", folder);
    if (n <= 0 || n >= (int)sizeof inside || !FreshName(inside, n, probe)) return false;
    HANDLE h = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool WriteAll(HANDLE h, const char* p, int64_t n) {
    while (n > 0) {
        DWORD written = 0;
        if (FaultInjected(StepWrite)) return false;
        const DWORD piece = (DWORD)DiskTakes(n > LargestPiece ? LargestPiece : (size_t)n);
        if (piece == 0) return false;   // the disk is full: the rest of the write fails as it would
        if (!WriteFile(h, p, piece, &written, nullptr) || written == 0) return false;
        DiskTook(written);
        p += written;
        n -= written;
    }
    return true;
}
}  // namespace

bool PlatFullPath(const char* path, char* out, int outSize) {
    if (!path || !*path || !out || outSize <= 0) return false;
    const DWORD n = GetFullPathNameA(path, (DWORD)outSize, out, nullptr);
    return n > 0 && n < (DWORD)outSize;
}

bool PlatProgramPath(const char* argv0, char* out, int outSize) {
    if (!out || outSize <= 0) return false;
    if (ServiceTest && ServiceTest->ProgramPath) {
        if (ServiceTest->ProgramPath[0] && PlatFullPath(ServiceTest->ProgramPath, out, outSize)) return true;
        return argv0 && PlatFullPath(argv0, out, outSize);
    }
    const DWORD n = GetModuleFileNameA(nullptr, out, (DWORD)outSize);
    if (n > 0 && n < (DWORD)outSize) return true;   // n == outSize: cut short
    return argv0 && PlatFullPath(argv0, out, outSize);
}

char PlatPathSeparator() { return '\\'; }

bool PlatFileExists(const char* path) {
    if (!path || !*path) return false;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // Opened for its attributes only, which no other program's sharing can refuse.
    HANDLE h = CreateFileA(path, 0, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool file = OnDisk(h);
    CloseHandle(h);
    return file;
}

bool PlatCreateFolder(const char* path) {
    if (!path || !*path || FaultInjected(StepCreateFolder)) return false;
    if (CreateDirectoryA(path, nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path);
}

bool PlatFolderWritable(const char* path) {
    if (!path || !*path || std::strlen(path) >= MAX_PATH) return false;
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return MayCreateIn(path);
    const DWORD missing = GetLastError();
    if (missing != ERROR_FILE_NOT_FOUND && missing != ERROR_PATH_NOT_FOUND) return false;
    char parent[MAX_PATH];   // with its final separator
    const int n = FolderLength(path);
    std::snprintf(parent, sizeof parent, "%.*s", n, path);
    return MayCreateIn(n > 0 ? parent : ".");
}

int64_t PlatReadFile(const char* path, char* buffer, int64_t maxBytes) {
    if (!path || !*path || !buffer || maxBytes < 0) return -1;
    HANDLE h = CreateFileA(path, GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    if (!OnDisk(h)) {
        CloseHandle(h);
        return -1;
    }
    int64_t got = 0;
    while (got < maxBytes) {
        DWORD read = 0;
        const int64_t left = maxBytes - got;
        if (!ReadFile(h, buffer + got, left > LargestPiece ? LargestPiece : (DWORD)left, &read, nullptr)) {
            CloseHandle(h);
            return -1;
        }
        if (read == 0) break;
        got += read;
    }
    CloseHandle(h);
    return got;
}

int64_t PlatFileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !*path || !GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

int64_t PlatReadFileAt(const char* path, int64_t offset, char* buffer, int64_t maxBytes) {
    if (!path || !*path || !buffer || offset < 0 || maxBytes < 0) return -1;
    HANDLE h = CreateFileA(path, GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER at;
    at.QuadPart = offset;
    int64_t got = OnDisk(h) && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) ? 0 : -1;
    while (got >= 0 && got < maxBytes) {
        DWORD read = 0;
        const int64_t left = maxBytes - got;
        if (!ReadFile(h, buffer + got, left > LargestPiece ? LargestPiece : (DWORD)left, &read, nullptr)) got = -1;
        else if (read == 0) break;
        else got += read;
    }
    CloseHandle(h);
    return got;
}

// The bytes go to a fresh name in the target's folder and replace the target only once they
// are on the disk, so a failure at any point leaves the old file as it was and no partial one.
struct PlatFileWriter {
    HANDLE File;
    bool   Failed;              // a write failed: the file can only be abandoned
    char   Temp[MAX_PATH];
    char   Target[MAX_PATH];
};

PlatFileWriter* PlatBeginFile(const char* path) {
    if (!path || !*path || std::strlen(path) >= MAX_PATH) return nullptr;
    auto* f = new (std::nothrow) PlatFileWriter{};
    if (!f) return nullptr;
    std::memcpy(f->Target, path, std::strlen(path) + 1);
    const int folder = FolderLength(path);
    f->File = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && f->File == INVALID_HANDLE_VALUE; attempt++) {
        if (!FreshName(path, folder, f->Temp)) break;
        if (FaultInjected(StepOpen)) break;
        f->File = CreateFileA(f->Temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f->File == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (f->File == INVALID_HANDLE_VALUE) {
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
    if (!WriteAll(f->File, (const char*)data, bytes)) f->Failed = true;
    return !f->Failed;
}

bool PlatFinishFile(PlatFileWriter* f) {
    if (!f) return false;
    bool ok = !f->Failed && !FaultInjected(StepSync) && FlushFileBuffers(f->File);
    ok = CloseHandle(f->File) && !FaultInjected(StepClose) && ok;
    ok = ok && !FaultInjected(StepRename) &&
         MoveFileExA(f->Temp, f->Target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(f->Temp);
    delete f;
    return ok;
}

void PlatAbandonFile(PlatFileWriter* f) {
    if (!f) return;
    CloseHandle(f->File);
    DeleteFileA(f->Temp);
    delete f;
}

bool PlatRenameFile(const char* from, const char* to) {
    return from && to && !FaultInjected(StepRename) && MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING);
}

bool PlatDeleteFile(const char* path) { return path && DeleteFileA(path); }
