// tolutil's allocator: 16-byte alignment, a message box when the heap is
// exhausted.
#include <cstdlib>

#include "platform/alloc.h"
#include "platform/ui.h"

TOL_NS_BEGIN

void* tolmalloc(uint32_t size) {
  if (size == 0 || size == 0xFFFFFFFFu) return nullptr;
  void* raw = std::malloc(static_cast<size_t>(size) + 16);
  if (!raw) {
    ui::messageBox("Error: ran out of memory!", "Memory Error", ui::Icon::Error);
    return nullptr;
  }
  return alignedFromHeap(raw, 16);
}

void tolfree(void* block) {
  if (block) std::free(heapFromAligned(block));
}

TOL_NS_END
