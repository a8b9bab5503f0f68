#include "decode/core/bit_writer.h"

TOL_NS_BEGIN

uint32_t BitWriter::bitsAt(uint64_t pos, unsigned n) const {
  if (n == 0) return 0;
  auto wordAt = [&](uint64_t w) -> uint64_t {
    if (w < words_.size()) return words_[w];
    return w == words_.size() ? static_cast<uint32_t>(acc_) : 0;
  };
  const uint64_t w = pos / 32;
  const unsigned shift = pos % 32;
  uint64_t v = (wordAt(w) | (wordAt(w + 1) << 32)) >> shift;
  return static_cast<uint32_t>(v & ((uint64_t{1} << n) - 1));
}

void BitWriter::append(const BitWriter& src, uint64_t from, uint64_t count) {
  while (count >= 32) {
    put(src.bitsAt(from, 32), 32);
    from += 32;
    count -= 32;
  }
  put(src.bitsAt(from, static_cast<unsigned>(count)), static_cast<unsigned>(count));
}

size_t BitWriter::finishWords() {
  if (accBits_) put(0, 32 - accBits_);
  return byteCount();
}

TOL_NS_END
