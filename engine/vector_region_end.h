// engine/vector_region_end.h - closes the region engine/vector_region_begin.h opened.
#ifndef ZENTRIX_IN_VECTOR_REGION
#error "no vector region is open"
#endif
ZENTRIX_REGION_POP
#undef ZENTRIX_IN_VECTOR_REGION
#undef ZENTRIX_VECTOR_TARGET
