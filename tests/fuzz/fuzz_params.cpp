// tests/fuzz/fuzz_params.cpp - the parameter-file reader on any bytes: a view is refused or
// lies inside the validated ranges, and a view it takes writes back and reads back the same.
#include <cmath>
#include <cstdint>
#include <cstring>
#include "files/params.h"
#include "tests/fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ViewParams v;
    std::memset(&v, 0xA5, sizeof v);   // values the text does not reach stay visibly stale
    if (!ParseParameterFile(reinterpret_cast<const char*>(data), int64_t(size), &v)) return 0;
    FUZZ_CHECK(ParamsInRange(v));
    FUZZ_CHECK(std::isfinite(v.Color) && v.Color > 0);
    char text[ParamFileMaxBytes];
    const int n = FormatParameterFile(v, "fuzz", text, sizeof text);
    FUZZ_CHECK(n > 0);
    ViewParams back;
    std::memset(&back, 0, sizeof back);
    FUZZ_CHECK(ParseParameterFile(text, n, &back));
    char again[ParamFileMaxBytes];
    FUZZ_CHECK(FormatParameterFile(back, "fuzz", again, sizeof again) == n && std::memcmp(text, again, n) == 0);
    return 0;
}
