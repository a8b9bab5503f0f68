// Lays out one allocation that holds a record followed by buffers. Sizes are
// registered first and the block is carved afterwards. Each buffer's size is
// rounded up to 16 bytes and then padded by a multiple of 32 (0 to 992) so
// that successive buffers start at staggered offsets within 1 KB; buffers of
// equal size then do not all map to the same cache sets.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

class StaggeredBlock {
 public:
  static constexpr int kMaxBuffers = 24;

  explicit StaggeredBlock(uint64_t recordSize) : head_((recordSize + 15) & ~uint64_t{15}) {}

  // Registers a buffer and returns its number.
  int add(uint64_t size) {
    uint64_t rounded = (size + 15) & ~uint64_t{15};
    uint64_t pad = (used_ - ((rounded + 15) & ~uint64_t{31}) + 32) & 992;
    offsets_[count_] = used_;
    used_ += rounded + pad;
    return count_++;
  }

  // Size of the whole block; callers check it against what they can allocate.
  uint64_t total() const { return head_ + used_; }

  uint8_t* buffer(void* block, int number) const {
    return static_cast<uint8_t*>(block) + head_ + offsets_[number];
  }

 private:
  uint64_t head_;
  uint64_t used_ = 0;
  uint64_t offsets_[kMaxBuffers] = {};
  int count_ = 0;
};

TOL_NS_END
