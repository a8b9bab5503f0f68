#include "platform/alloc.h"
#include "tol/tolalloc.h"

TOLAPI(void*) tolmalloc(uint32_t size) { return tol::tolmalloc(size); }
TOLAPI(void) tolfree(void* block) { tol::tolfree(block); }
