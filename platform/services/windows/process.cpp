// platform/services/windows/process.cpp - other programs fed through a pipe, and interrupts taken
// as a request to stop, on Windows.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include "platform/win32/win32.h"

namespace {
constexpr DWORD LargestPiece = 1u << 30;   // bytes per WriteFile call
constexpr UINT  InterruptedExit = 130;     // the exit code a second interrupt ends with

std::atomic<bool> CancelRequest{false};

BOOL WINAPI OnInterrupt(DWORD) {
    // The second interrupt: the user does not want to wait for a clean stop.
    if (CancelRequest.exchange(true)) ExitProcess(InterruptedExit);
    return TRUE;
}

// The program file a name stands for, as CreateProcess finds it: a name with a path as given,
// a bare name on the search path; ".exe" where the name has no extension.
bool FindProgram(const char* name, char (&found)[MAX_PATH]) {
    if (!name || !*name) return false;
    const DWORD n = SearchPathA(nullptr, name, ".exe", MAX_PATH, found, nullptr);
    if (n == 0 || n >= MAX_PATH) return false;
    const DWORD attributes = GetFileAttributesA(found);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One argument as the C runtime of the started program splits it again: quoted where it holds
// a space, tab or quote, with the backslashes before a quote doubled.
void AppendArgument(std::string& line, const char* arg) {
    if (!line.empty()) line += ' ';
    if (*arg && !std::strpbrk(arg, " \t\"")) {
        line += arg;
        return;
    }
    line += '"';
    size_t backslashes = 0;
    for (const char* p = arg;; p++) {
        if (*p == '\\') {
            backslashes++;
            continue;
        }
        if (*p == 0) {
            line.append(2 * backslashes, '\\');   // before the closing quote
            break;
        }
        line.append(*p == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        line += *p;
        backslashes = 0;
    }
    line += '"';
}
}  // namespace

bool PlatProgramAvailable(const char* name) {
    char found[MAX_PATH];
    return FindProgram(name, found);
}

struct PlatChild {
    HANDLE Process;
    HANDLE Input;   // the write end of the child's standard input
};

namespace {
PlatChild* StartChild(const char* const* argv) {
    char program[MAX_PATH];
    if (!argv || !FindProgram(argv[0], program)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::string line;
    for (const char* const* a = argv; *a; a++) AppendArgument(line, *a);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return nullptr;
    SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0);   // only the child's end goes to it
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = read;
    start.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    // A process group of its own keeps the console's Ctrl-C away from the child; Ctrl-C
    // reaches only this program, which then ends the child or lets it finish.
    const BOOL started = CreateProcessA(program, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                                        nullptr, nullptr, &start, &info);
    const DWORD error = started ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
    CloseHandle(read);
    PlatChild* child = started ? new (std::nothrow) PlatChild{info.hProcess, write} : nullptr;
    if (started) CloseHandle(info.hThread);
    if (!child) {
        CloseHandle(write);
        if (started) {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, INFINITE);
            CloseHandle(info.hProcess);
        }
        SetLastError(error);
    }
    return child;
}
}  // namespace

PlatChild* PlatStartChild(const char* const* argv, PlatResult* why) {
    PlatChild* child = StartChild(argv);
    if (why) *why = child ? PlatDone() : PlatSystemFailure();
    return child;
}

bool PlatStderrIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool PlatWriteChild(PlatChild* child, const void* data, int64_t bytes) {
    if (!child || !child->Input || bytes < 0) return false;
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        DWORD written = 0;
        const DWORD piece = bytes > LargestPiece ? LargestPiece : DWORD(bytes);
        // A child that stopped reading: the pipe is broken and the write fails.
        if (!WriteFile(child->Input, p, piece, &written, nullptr) || written == 0) return false;
        p += written;
        bytes -= written;
    }
    return true;
}

static int WaitAndRelease(PlatChild* child, bool killed) {
    WaitForSingleObject(child->Process, INFINITE);
    DWORD code = 0;
    const bool ended = GetExitCodeProcess(child->Process, &code) && !killed;
    CloseHandle(child->Process);
    delete child;
    return ended ? int(code) : -1;
}

int PlatFinishChild(PlatChild* child) {
    if (!child) return -1;
    CloseHandle(child->Input);
    return WaitAndRelease(child, false);
}

void PlatKillChild(PlatChild* child) {
    if (!child) return;
    CloseHandle(child->Input);
    TerminateProcess(child->Process, 1);
    WaitAndRelease(child, true);
}

void PlatWatchCancel() { SetConsoleCtrlHandler(OnInterrupt, TRUE); }

bool PlatCancelRequested() { return CancelRequest.load(std::memory_order_relaxed); }
