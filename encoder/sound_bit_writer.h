// Bit writer of the sound coder into a fixed buffer: fields least
// significant bit first, in 32-bit little-endian words. The coder sizes the
// buffer for its largest possible block, so no write ever needs to grow it;
// bits beyond the capacity would be dropped rather than written outside.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

class SoundBitWriter {
 public:
  // capacity: a multiple of 4 bytes.
  SoundBitWriter(uint8_t* buffer, uint32_t capacity) : buffer_(buffer), capacity_(capacity) {}

  // n from 0 to 32; value's bits above n are ignored.
  void put(uint32_t value, uint32_t n) {
    bits_ |= (uint64_t{value} & ((uint64_t{1} << n) - 1)) << count_;
    count_ += n;
    if (count_ >= 32) {
      storeWord(static_cast<uint32_t>(bits_));
      bits_ >>= 32;
      count_ -= 32;
    }
  }

  // Pads to a whole word; returns the bytes written.
  uint32_t finish() {
    if (count_ > 0) storeWord(static_cast<uint32_t>(bits_));
    bits_ = 0;
    count_ = 0;
    return size_;
  }

 private:
  void storeWord(uint32_t word) {
    if (capacity_ - size_ < 4) return;
    for (uint32_t b = 0; b < 4; ++b) buffer_[size_ + b] = static_cast<uint8_t>(word >> (8 * b));
    size_ += 4;
  }

  uint8_t* buffer_;
  uint32_t capacity_;
  uint32_t size_ = 0;
  uint64_t bits_ = 0;
  uint32_t count_ = 0;
};

TOL_NS_END
