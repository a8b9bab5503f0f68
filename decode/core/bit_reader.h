// Reader of coded Zurn data: a sequence of 32-bit little-endian words whose
// bits are taken least significant first. A field that straddles a word
// boundary takes its low bits from the old word and its high bits from the
// next one. A word is loaded only when a read needs more bits than are held,
// so position() (the next word to load) is exactly where the following plane
// or block of data begins.
//
// The reader never touches memory at or past `end`. When a read needs a word
// that is not there, it supplies zero bits instead and raises overrun(); the
// callers check that flag at their own checkpoints, so running off the end
// costs no per-read test beyond the refill.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/libns.h"

TOL_NS_BEGIN

static_assert(std::endian::native == std::endian::little, "the word loads assume a little-endian host");

class BitReader {
 public:
  BitReader() = default;
  BitReader(const uint8_t* pos, const uint8_t* end) : next_(pos), end_(end) {}

  // Reads an n-bit field, 0 <= n <= 32; 0 bits read nothing and yield 0.
  uint32_t read(unsigned n) {
    if (count_ < n) load();
    uint32_t v = static_cast<uint32_t>(bits_ & ((uint64_t{1} << n) - 1));
    bits_ >>= n;
    count_ -= n;
    return v;
  }
  uint32_t bit() { return read(1); }

  // Table-driven prefix decoding: `lookup` has 2^longest bytes indexed by the
  // next `longest` bits (first bit = least significant index bit), each byte
  // holding the code length (high nibble) and the position (low nibble). A
  // word is loaded only when the code word itself needs bits not yet held.
  unsigned prefix(const uint8_t* lookup, unsigned longest) {
    const uint64_t mask = (uint64_t{1} << longest) - 1;
    unsigned e = lookup[bits_ & mask];  // bits above count_ are zero
    if ((e >> 4) > count_) {
      load();
      e = lookup[bits_ & mask];
    }
    bits_ >>= e >> 4;
    count_ -= e >> 4;
    return e & 15;
  }

  // Position of the next word that would be loaded.
  const uint8_t* position() const { return next_; }
  // Bits still held from the last loaded word.
  unsigned heldBits() const { return count_; }
  bool overrun() const { return overrun_; }

 private:
  void load() {
    uint32_t w = 0;
    if (end_ - next_ >= 4) {
      std::memcpy(&w, next_, 4);
      next_ += 4;
    } else {
      overrun_ = true;
    }
    bits_ |= uint64_t{w} << count_;
    count_ += 32;
  }

  uint64_t bits_ = 0;  // held bits, next bit in bit 0; zero above count_
  unsigned count_ = 0;
  const uint8_t* next_ = nullptr;
  const uint8_t* end_ = nullptr;
  bool overrun_ = false;
};

TOL_NS_END
