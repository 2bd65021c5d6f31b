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
// Opens and closes a region compiled for the instruction sets of a macro t. clang has no
// target regions of its own; there every function in the region carries the target.
#define ZENTRIX_PRAGMA(x) _Pragma(#x)
#if defined(__clang__)
#define ZENTRIX_REGION_PUSH(t) ZENTRIX_PRAGMA(clang attribute push(__attribute__((target(t))), apply_to = function))
#define ZENTRIX_REGION_POP ZENTRIX_PRAGMA(clang attribute pop)
#else
#define ZENTRIX_REGION_PUSH(t) ZENTRIX_PRAGMA(GCC push_options) ZENTRIX_PRAGMA(GCC target(t))
#define ZENTRIX_REGION_POP ZENTRIX_PRAGMA(GCC pop_options)
#endif
