// platform/services/results.cpp - failures in the program's own words, the same on every
// system; the system's own words come from each system's files.cpp (PlatSystemFailure).
#include <cstdio>
#include "platform/platform.h"

PlatResult PlatFailed(const char* reason) {
    PlatResult result{Outcome::Failed, ""};
    std::snprintf(result.Reason, sizeof result.Reason, "%s", reason ? reason : "");
    return result;
}

PlatResult PlatOutOfMemory() { return PlatFailed("out of memory"); }
