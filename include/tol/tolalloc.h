/* The allocator exported by each library (tolutil: 16-byte aligned,
 * zurnmake: 32-byte aligned). Free blocks with the tolfree of the library
 * that allocated them. */
#ifndef TOL_TOLALLOC_H
#define TOL_TOLALLOC_H

#include "tol/api.h"

TOLAPI(void*) tolmalloc(uint32_t size);
TOLAPI(void) tolfree(void* block);

#endif
