// platform/services/windows/files.cpp - paths, reads and the file writer's steps on Windows,
// and the system's words for a failure.
#include <atomic>
#include <cstdio>
#include <cstring>
#include "platform/services/file_steps.h"
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

PlatResult PlatCreateFolder(const char* path) {
    if (!path || !*path) return PlatFailed("no folder name");
    if (StepFails(StepCreateFolder, SysError::AccessDenied)) return PlatSystemFailure();
    if (CreateDirectoryA(path, nullptr)) return PlatDone();
    if (GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path)) return PlatDone();
    SetLastError(ERROR_ALREADY_EXISTS);   // a file is in the way
    return PlatSystemFailure();
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

void SysSetError(SysError error) {
    constexpr DWORD Errors[] = {ERROR_ACCESS_DENIED, ERROR_WRITE_FAULT, ERROR_DISK_FULL, ERROR_FILENAME_EXCED_RANGE};
    SetLastError(Errors[int(error)]);
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

PlatResult PlatSystemFailure() {
    const DWORD error = GetLastError();
    char text[PlatReasonCapacity] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                             sizeof text, nullptr);
    // The system's sentences end in a full stop and a line break; the program's messages go on.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.' || text[n - 1] == ' ')) n--;
    text[n] = 0;
    if (n == 0) std::snprintf(text, sizeof text, "system error %lu", (unsigned long)error);
    return PlatFailed(text);
}

bool SysTempName(const char* path, unsigned serial, char* out, int outSize) {
    const int n = std::snprintf(out, size_t(outSize), "%.*s~zx%lx-%x.tmp", FolderLength(path), path,
                                (unsigned long)GetCurrentProcessId(), serial);
    return n > 0 && n < outSize && n < MAX_PATH;
}

bool SysCreateNew(const char* path, SysFile* file, bool* taken) {
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    *taken = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS;
    *file = reinterpret_cast<SysFile>(h);
    return h != INVALID_HANDLE_VALUE;
}

int64_t SysWrite(SysFile file, const void* data, size_t bytes) {
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(file), data, DWORD(bytes), &written, nullptr)) return -1;
    if (written == 0) SetLastError(ERROR_DISK_FULL);
    return written;
}

bool SysSync(SysFile file) { return FlushFileBuffers(reinterpret_cast<HANDLE>(file)); }
bool SysClose(SysFile file) { return CloseHandle(reinterpret_cast<HANDLE>(file)); }

bool SysReplace(const char* from, const char* to, bool durable) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0));
}

bool SysDelete(const char* path) { return DeleteFileA(path); }
bool SysIsFolder(const char* path) { return IsFolder(path); }
