// platform/write_file.cpp - the one-piece write, the same on every system: the system's own
// writer in pieces, with a single piece.
#include "platform/platform.h"

bool PlatWriteFile(const char* path, const void* data, int64_t bytes) {
    if (bytes < 0 || (!data && bytes > 0)) return false;
    PlatFileWriter* f = PlatBeginFile(path);
    if (!f) return false;
    if (!PlatWriteBytes(f, data, bytes)) {
        PlatAbandonFile(f);
        return false;
    }
    return PlatFinishFile(f);
}
