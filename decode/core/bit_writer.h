// Writer of coded Zurn data, the mirror of BitReader: fields are appended
// least significant bit first into 32-bit little-endian words. finishWords()
// pads the last word with zero bits, as every coded plane ends on a word
// boundary. Storage grows on the library's own allocator and is kept across
// clear(); a failed growth sets failed() and later writes are dropped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/core/grow_array.h"
#include "platform/libns.h"

TOL_NS_BEGIN

class BitWriter {
 public:
  void clear() {
    words_.clear();
    acc_ = 0;
    accBits_ = 0;
  }

  // Appends the low n bits of value, 0 <= n <= 32.
  void put(uint32_t value, unsigned n) {
    acc_ |= (uint64_t{value} & ((uint64_t{1} << n) - 1)) << accBits_;
    accBits_ += n;
    if (accBits_ >= 32) {
      words_.push(static_cast<uint32_t>(acc_));
      acc_ >>= 32;
      accBits_ -= 32;
    }
  }
  void putBit(unsigned b) { put(b & 1, 1); }

  // Appends bits [from, from + count) of another writer (or of this one,
  // as long as the range lies before the current end).
  void append(const BitWriter& src, uint64_t from, uint64_t count);
  // The n bits (n <= 32) starting at bit position pos; bits past the end are 0.
  uint32_t bitsAt(uint64_t pos, unsigned n) const;

  uint64_t bitCount() const { return uint64_t{words_.size()} * 32 + accBits_; }
  // Pads with zero bits to a whole word; returns the size in bytes.
  size_t finishWords();
  // The words written so far (after finishWords(): all of them).
  const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(words_.data()); }
  size_t byteCount() const { return words_.size() * 4; }
  bool failed() const { return words_.failed(); }

 private:
  GrowArray<uint32_t> words_;
  uint64_t acc_ = 0;  // bits not yet in a whole word
  unsigned accBits_ = 0;
};

TOL_NS_END
