// Register-then-allocate: a job or a frame first lists every buffer it needs
// with its size, then makes one allocation that starts with its head record
// and hands the buffers out in the order they were listed. One free releases
// everything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

class WorkPlan {
 public:
  static constexpr int kMaxEntries = 1024;

  // headSize: bytes of the record placed first (rounded up to 16).
  explicit WorkPlan(uint64_t headSize) : head_(roundUp(headSize)) {}

  // Lists a buffer of `size` bytes (rounded up to 16); *slot receives its
  // address when allocate() succeeds.
  template <typename T>
  void add(T*& slot, uint64_t size) {
    addRaw(reinterpret_cast<void**>(&slot), size);
  }

  // One allocation for the head and every listed buffer; the head's bytes
  // are not touched. Null (and no slot changed) when the sizes overflow, too
  // many buffers were listed, or the allocator refuses.
  void* allocate();

  uint64_t totalSize() const { return head_ + sum_; }

 private:
  static uint64_t roundUp(uint64_t n) { return (n + 15) & ~uint64_t{15}; }
  void addRaw(void** slot, uint64_t size);

  uint64_t head_;
  uint64_t sum_ = 0;
  int count_ = 0;
  bool overflow_ = false;
  void** slots_[kMaxEntries];
  uint64_t sizes_[kMaxEntries];
};

TOL_NS_END
