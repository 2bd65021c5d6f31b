// engine/vector_region_begin.h - opens a region of code compiled for the instruction sets
// named by ZENTRIX_VECTOR_TARGET, e.g. "avx2,popcnt"; engine/vector_region_end.h closes it.
// Only this pair opens a region, so every header meant for inside one (engine/vector_region.h
// checks) stands after engine/vector_prelude.h and inside a region. No include guard: a
// file may open several regions one after another.
#ifndef ZENTRIX_VECTOR_PRELUDE
#error "include engine/vector_prelude.h before opening a vector region"
#endif
#ifndef ZENTRIX_VECTOR_TARGET
#error "define ZENTRIX_VECTOR_TARGET to the instruction sets of the region"
#endif
#ifdef ZENTRIX_IN_VECTOR_REGION
#error "a vector region is already open"
#endif
ZENTRIX_REGION_PUSH(ZENTRIX_VECTOR_TARGET)
#define ZENTRIX_IN_VECTOR_REGION 1
