#include "encoder/work_plan.h"

#include "platform/alloc.h"

TOL_NS_BEGIN

void WorkPlan::addRaw(void** slot, uint64_t size) {
  if (count_ == kMaxEntries || size > 0xFFFFFFFFu) {
    overflow_ = true;
    return;
  }
  slots_[count_] = slot;
  sizes_[count_] = roundUp(size);
  sum_ += sizes_[count_];
  ++count_;
}

void* WorkPlan::allocate() {
  const uint64_t total = totalSize();
  if (overflow_ || total >= 0xFFFFFFFFu) return nullptr;
  auto* block = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(total)));
  if (!block) return nullptr;
  uint8_t* p = block + head_;
  for (int i = 0; i < count_; ++i) {
    *slots_[i] = p;
    p += sizes_[i];
  }
  return block;
}

TOL_NS_END
