// zurnmake's allocator: 32-byte alignment for the pixel kernels; failures are
// silent (the job reports them through its callback).
#include <cstdlib>

#include "platform/alloc.h"

TOL_NS_BEGIN

void* tolmalloc(uint32_t size) {
  if (size == 0 || size == 0xFFFFFFFFu) return nullptr;
  return alignedFromHeap(std::malloc(static_cast<size_t>(size) + 32), 32);
}

void tolfree(void* block) {
  if (block) std::free(heapFromAligned(block));
}

TOL_NS_END
