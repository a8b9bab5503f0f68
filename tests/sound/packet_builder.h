// Test-only builder of sound packets bit by bit: fields least significant
// bit first in 32-bit little-endian words, blocks padded to whole words.
#pragma once

#include <cstdint>
#include <vector>

namespace soundtest {

class PacketBuilder {
 public:
  explicit PacketBuilder(uint32_t decodedSize) { word(decodedSize); }

  void put(uint32_t value, uint32_t n) {
    for (uint32_t b = 0; b < n; ++b) {
      if (bits_ % 8 == 0) bytes_.push_back(0);
      bytes_.back() |= static_cast<uint8_t>(((value >> b) & 1) << (bits_ % 8));
      ++bits_;
    }
  }
  void endBlock() {
    while (bits_ % 32) put(0, 1);
  }
  void word(uint32_t v) {
    endBlock();
    put(v, 32);
  }
  // A block of `length` samples whose coefficients are all zero, with the
  // two real bins and band indices given.
  void silentBlock(uint32_t length, uint32_t bandCount, uint32_t dc, uint32_t nyquist) {
    put(dc, 29);
    put(nyquist, 29);
    for (uint32_t k = 0; k < bandCount; ++k) put(0, 8);
    for (uint32_t i = 2; i < length; i += 8 * 64) {
      put(1, 1);   // run
      put(15, 4);  // 64 groups
      put(0, 4);   // width 0
    }
    endBlock();
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  uint32_t bits_ = 0;
};

}  // namespace soundtest
