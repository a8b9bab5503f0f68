// Bit reader over the coded bytes of one sound packet: 32-bit little-endian
// words, least significant bit first. It never reads outside the packet:
// past the last byte it delivers zero bits, which the block syntax decodes
// as empty chunks, so a truncated packet ends in silence.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

class SoundBitReader {
 public:
  SoundBitReader(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}

  // n from 1 to 32.
  uint32_t get(uint32_t n) {
    if (count_ < n) {
      bits_ |= static_cast<uint64_t>(nextWord()) << count_;
      count_ += 32;
    }
    const uint32_t value = static_cast<uint32_t>(bits_ & ((uint64_t{1} << n) - 1));
    bits_ >>= n;
    count_ -= n;
    return value;
  }

  // Skips the padding up to the next word boundary. The bits still held all
  // belong to the last word loaded (a refill happens only when fewer bits
  // remain than the read takes), so dropping them reaches the boundary.
  void alignToWord() {
    bits_ = 0;
    count_ = 0;
  }

  // True once every byte of the packet has been loaded.
  bool exhausted() const { return offset_ >= size_; }

 private:
  uint32_t nextWord() {
    uint32_t word = 0;
    if (size_ - offset_ >= 4) {
      word = static_cast<uint32_t>(data_[offset_]) | static_cast<uint32_t>(data_[offset_ + 1]) << 8 |
             static_cast<uint32_t>(data_[offset_ + 2]) << 16 | static_cast<uint32_t>(data_[offset_ + 3]) << 24;
      offset_ += 4;
      return word;
    }
    for (uint32_t b = 0; offset_ + b < size_; ++b) word |= static_cast<uint32_t>(data_[offset_ + b]) << (8 * b);
    offset_ = size_;
    return word;
  }

  const uint8_t* data_;
  uint32_t size_;
  uint32_t offset_ = 0;
  uint64_t bits_ = 0;
  uint32_t count_ = 0;
};

TOL_NS_END
