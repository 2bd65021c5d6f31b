// tests/file_size_limit.h - a cap on the size of the files this process writes, as a nearly
// full disk sets one: a write beyond it fails with an error. Implemented per system in
// tests/system/.
#pragma once
#include <cstdint>

// False where the system cannot cap the files of one process; the cap holds until lifted.
bool LimitFileSize(int64_t bytes);
void LiftFileSizeLimit();

#define REQUIRE_FILE_SIZE_LIMIT(bytes) \
    if (!LimitFileSize(bytes)) GTEST_SKIP() << "this system cannot cap the size of a file"
