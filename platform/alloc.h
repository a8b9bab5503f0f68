// The allocator of the library being built. Each library has its own:
// tolutil's returns 16-byte aligned blocks and reports exhaustion in a
// message box; zurnmake's returns 32-byte aligned blocks and fails silently.
// Both keep the distance to the heap block's start in the byte just below the
// returned pointer, and both return null for sizes 0 and 0xFFFFFFFF.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

void* tolmalloc(uint32_t size);
void tolfree(void* block);

// Shared by both allocators: heap block of size + align bytes, moved up by 1
// to align bytes, distance stored just below. Null on failure.
inline void* alignedFromHeap(void* raw, uint32_t align) {
  if (!raw) return nullptr;
  uintptr_t p = reinterpret_cast<uintptr_t>(raw);
  uintptr_t a = (p + align) & ~static_cast<uintptr_t>(align - 1);
  uint8_t* out = reinterpret_cast<uint8_t*>(a);
  out[-1] = static_cast<uint8_t>(a - p);  // 1..align
  return out;
}

inline void* heapFromAligned(void* block) {
  uint8_t* b = static_cast<uint8_t*>(block);
  return b - b[-1];
}

TOL_NS_END
