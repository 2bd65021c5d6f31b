// platform/services/posix/process.cpp - other programs fed through a pipe, and interrupts taken as a
// request to stop, on a POSIX system.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include "platform/platform.h"

extern char** environ;

namespace {

bool Executable(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode) && access(path, X_OK) == 0;
}

std::atomic<bool> CancelRequest{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt handler needs a lock-free flag");

void OnInterrupt(int sig) {
    if (!CancelRequest.exchange(true)) return;
    // The second interrupt: the user does not want to wait for a clean stop.
    signal(sig, SIG_DFL);
    raise(sig);
}
}  // namespace

bool PlatProgramAvailable(const char* name) {
    if (!name || !*name) return false;
    if (std::strchr(name, '/')) return Executable(name);
    const char* path = std::getenv("PATH");
    if (!path) path = "/usr/local/bin:/usr/bin:/bin";
    while (*path) {
        const char* end = std::strchr(path, ':');
        const int n = end ? int(end - path) : int(std::strlen(path));
        char candidate[PlatPathCapacity];
        const int len = std::snprintf(candidate, sizeof candidate, "%.*s/%s", n ? n : 1, n ? path : ".", name);
        if (len > 0 && len < int(sizeof candidate) && Executable(candidate)) return true;
        path += n;
        if (*path == ':') path++;
    }
    return false;
}

struct PlatChild {
    pid_t Pid;
    int   Input;   // the write end of the child's standard input
};

namespace {
PlatChild* StartChild(const char* const* argv) {
    if (!argv || !argv[0]) {
        errno = EINVAL;
        return nullptr;
    }
    // A child that stops reading must show up as a failed write, not end this program.
    signal(SIGPIPE, SIG_IGN);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return nullptr;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawnattr_init(&attr);
    // A process group of its own keeps the terminal's interrupt away from the child; the
    // signals this program handles or ignores get their usual meaning back there.
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, sig);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, &attr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[0]);
    PlatChild* child = failed ? nullptr : new (std::nothrow) PlatChild{pid, fds[1]};
    if (!child) {
        close(fds[1]);
        if (!failed) waitpid(pid, nullptr, 0);
        errno = failed ? failed : ENOMEM;
    }
    return child;
}
}  // namespace

PlatChild* PlatStartChild(const char* const* argv, PlatResult* why) {
    PlatChild* child = StartChild(argv);
    if (why) *why = child ? PlatDone() : PlatSystemFailure();
    return child;
}

bool PlatStderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

bool PlatWriteChild(PlatChild* child, const void* data, int64_t bytes) {
    if (!child || child->Input < 0 || bytes < 0) return false;
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        ssize_t w = write(child->Input, p, size_t(bytes > (1 << 30) ? (1 << 30) : bytes));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        bytes -= w;
    }
    return true;
}

static int WaitAndRelease(PlatChild* child) {
    int status = 0;
    pid_t r;
    do r = waitpid(child->Pid, &status, 0);
    while (r < 0 && errno == EINTR);
    delete child;
    return r >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int PlatFinishChild(PlatChild* child) {
    if (!child) return -1;
    close(child->Input);
    return WaitAndRelease(child);
}

void PlatKillChild(PlatChild* child) {
    if (!child) return;
    close(child->Input);
    kill(child->Pid, SIGKILL);
    WaitAndRelease(child);
}

void PlatWatchCancel() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnInterrupt;
    sa.sa_flags = SA_RESTART;   // reads and writes in progress go on; the work checks the flag
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        // An interrupt the program was started to ignore (nohup, a background job of a
        // script) stays ignored.
        struct sigaction was;
        if (sigaction(sig, nullptr, &was) == 0 && was.sa_handler == SIG_IGN) continue;
        sigaction(sig, &sa, nullptr);
    }
}

bool PlatCancelRequested() { return CancelRequest.load(std::memory_order_relaxed); }
