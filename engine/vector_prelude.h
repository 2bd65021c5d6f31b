// engine/vector_prelude.h - everything the code compiled for one instruction set relies on,
// included before that set's region (engine/vector_region_begin.h). Code first seen inside a
// region is compiled for that set; an inline function of a shared header compiled so could
// be merged by the linker into every other file's calls and run on processors without the
// set. So the headers meant for inside a region (engine/vector_region.h checks) include
// nothing, and everything they need is included here, outside.
#pragma once
#include <climits>
#include <concepts>
#include <cstdint>
#include "engine/slice_credit.h"
#include "engine/strip.h"

#define ZENTRIX_VECTOR_PRELUDE 1
// `#pragma GCC target(t)` for a macro t that names the instruction sets.
#define ZENTRIX_PRAGMA(x) _Pragma(#x)
#define ZENTRIX_TARGET_PRAGMA(t) ZENTRIX_PRAGMA(GCC target(t))
