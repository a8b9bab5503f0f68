// Reader of a least-significant-bit-first bit stream held in memory: the
// first bit is bit 0 of the first byte. It never reads at or past `end`;
// bits wanted beyond it read as zeros and raise overrun(), which callers
// check at their own checkpoints.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/libns.h"

TOL_NS_BEGIN

class LsbBitReader {
 public:
  LsbBitReader() = default;
  LsbBitReader(const uint8_t* pos, const uint8_t* end) : next_(pos), end_(end) {}

  // The next n bits (0 to 32) without taking them.
  uint32_t peek(unsigned n) {
    if (count_ < n) refill();
    return static_cast<uint32_t>(bits_ & ((uint64_t{1} << n) - 1));
  }
  void skip(unsigned n) {
    if (count_ < n) {
      refill();
      if (count_ < n) {
        overrun_ = true;
        bits_ = 0;
        count_ = 0;
        return;
      }
    }
    bits_ >>= n;
    count_ -= n;
  }
  uint32_t read(unsigned n) {
    uint32_t v = peek(n);
    skip(n);
    return v;
  }
  uint32_t bit() { return read(1); }

  // Drops the bits up to the next byte boundary of the stream.
  void byteAlign() { skip(count_ & 7); }
  // The first byte not yet taken (after byteAlign, where the next bits lie).
  const uint8_t* bytePosition() const { return next_ - count_ / 8; }
  bool overrun() const { return overrun_; }

 private:
  void refill() {
    if (end_ - next_ >= 8) {
      uint64_t w;
      std::memcpy(&w, next_, 8);
      bits_ |= w << count_;
      next_ += (63 - count_) >> 3;
      count_ |= 56;
      bits_ &= (uint64_t{1} << count_) - 1;
      return;
    }
    while (count_ <= 56 && next_ < end_) {
      bits_ |= uint64_t{*next_++} << count_;
      count_ += 8;
    }
  }

  uint64_t bits_ = 0;  // held bits, next bit in bit 0, zero above count_
  unsigned count_ = 0;
  const uint8_t* next_ = nullptr;
  const uint8_t* end_ = nullptr;
  bool overrun_ = false;
};

TOL_NS_END
