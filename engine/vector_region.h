// engine/vector_region.h - the check that opens every header meant for inside a vector
// region (engine/vector_region_begin.h): it stops the build when such a header is included
// outside one. Files that run the same code on emulated vectors (the tests) define
// ZENTRIX_EMULATED_VECTORS and include engine/vector_prelude.h first. No include guard: it
// checks every time.
#ifndef ZENTRIX_VECTOR_PRELUDE
#error "include engine/vector_prelude.h first"
#endif
#if !defined(ZENTRIX_IN_VECTOR_REGION) && !defined(ZENTRIX_EMULATED_VECTORS)
#error "include this header inside a vector region (engine/vector_region_begin.h)"
#endif
