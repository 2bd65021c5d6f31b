// tests/system/file_size_limit_posix.cpp - the file-size cap as a resource limit.
#include <csignal>
#include <sys/resource.h>
#include "tests/file_size_limit.h"

namespace {
rlimit Saved;
bool   Limited;
}  // namespace

bool LimitFileSize(int64_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);   // a refused write then fails with an error instead
    if (!Limited && getrlimit(RLIMIT_FSIZE, &Saved) != 0) return false;
    rlimit limit = Saved;
    limit.rlim_cur = rlim_t(bytes);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    Limited = true;
    return true;
}

void LiftFileSizeLimit() {
    if (Limited) setrlimit(RLIMIT_FSIZE, &Saved);
    Limited = false;
}
