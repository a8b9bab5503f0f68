// A minimal growable array of trivially copyable elements on the library's
// own allocator (tolmalloc/tolfree), for the writer side of the codec. It
// keeps its capacity across clear(), so a writer reused frame after frame
// stops allocating once it has seen its largest frame. A failed growth sets
// failed() and drops further pushes instead of throwing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/alloc.h"
#include "platform/libns.h"

TOL_NS_BEGIN

template <typename T>
class GrowArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  GrowArray() = default;
  ~GrowArray() { tolfree(data_); }
  GrowArray(const GrowArray&) = delete;
  GrowArray& operator=(const GrowArray&) = delete;

  void clear() {
    size_ = 0;
    failed_ = false;
  }
  bool reserve(size_t n) {
    if (n <= capacity_) return true;
    size_t cap = capacity_ ? capacity_ : 64;
    while (cap < n) cap *= 2;
    if (cap * sizeof(T) >= 0xFFFFFFFFu) return fail();
    T* p = static_cast<T*>(tolmalloc(static_cast<uint32_t>(cap * sizeof(T))));
    if (!p) return fail();
    if (size_) std::memcpy(p, data_, size_ * sizeof(T));
    tolfree(data_);
    data_ = p;
    capacity_ = cap;
    return true;
  }
  void push(T v) {
    if (size_ == capacity_ && !reserve(size_ + 1)) return;
    data_[size_++] = v;
  }
  // Sets the size, growing with zeroed elements when needed.
  bool resize(size_t n) {
    if (!reserve(n)) return false;
    if (n > size_) std::memset(static_cast<void*>(data_ + size_), 0, (n - size_) * sizeof(T));
    size_ = n;
    return true;
  }

  size_t size() const { return size_; }
  bool failed() const { return failed_; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }

 private:
  bool fail() {
    failed_ = true;
    return false;
  }
  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  bool failed_ = false;
};

TOL_NS_END
