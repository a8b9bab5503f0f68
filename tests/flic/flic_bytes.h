// Hand-made FLIC files for the reader tests: a header and frames of chunks.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace flictest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
  put16(b, at, v);
  put16(b, at + 2, v >> 16);
}
inline uint32_t get16(const Bytes& b, size_t at) { return b[at] | uint32_t(b[at + 1]) << 8; }
inline uint32_t get32(const Bytes& b, size_t at) { return get16(b, at) | get16(b, at + 2) << 16; }

struct Chunk {
  uint16_t type;
  Bytes body;
};

// Bytes written as signed where a count is negative: {0xFD} == -3.
inline uint8_t neg(int n) { return uint8_t(-n); }

class FlicFile {
 public:
  FlicFile(uint16_t type, uint16_t width, uint16_t height, uint32_t speed, int32_t exactFrameTime = 0)
      : bytes_(128, 0) {
    put16(bytes_, 4, type);
    put16(bytes_, 8, width);
    put16(bytes_, 10, height);
    put16(bytes_, 12, 8);
    put32(bytes_, 16, speed);
    put32(bytes_, 26, uint32_t(exactFrameTime));
    put32(bytes_, 80, 128);
  }

  FlicFile& frame(std::initializer_list<Chunk> chunks) {
    const size_t start = bytes_.size();
    bytes_.resize(start + 16, 0);
    for (const Chunk& c : chunks) {
      const size_t at = bytes_.size();
      bytes_.resize(at + 6);
      put32(bytes_, at, uint32_t(6 + c.body.size()));
      put16(bytes_, at + 4, c.type);
      bytes_.insert(bytes_.end(), c.body.begin(), c.body.end());
    }
    put32(bytes_, start, uint32_t(bytes_.size() - start));
    put16(bytes_, start + 4, 0xF1FA);
    put16(bytes_, start + 6, uint32_t(chunks.size()));
    frames_++;
    put16(bytes_, 6, frames_);
    put32(bytes_, 0, uint32_t(bytes_.size()));
    return *this;
  }

  const Bytes& bytes() const { return bytes_; }
  Bytes& bytes() { return bytes_; }

 private:
  Bytes bytes_;
  uint16_t frames_ = 0;
};

}  // namespace flictest

namespace flictest {

// The chunk types of each stored frame of a FLIC file (the ring frame too).
inline std::vector<std::vector<uint16_t>> chunkKinds(const Bytes& file) {
  std::vector<std::vector<uint16_t>> frames;
  size_t at = get16(file, 4) == 0xAF11 ? 128 : get32(file, 80);
  while (at + 16 <= file.size()) {
    const uint32_t size = get32(file, at);
    std::vector<uint16_t> kinds;
    size_t c = at + 16;
    for (uint32_t k = 0; k < get16(file, at + 6) && c + 6 <= at + size; k++) {
      kinds.push_back(uint16_t(get16(file, c + 4)));
      c += get32(file, c);
    }
    frames.push_back(kinds);
    if (size < 16) break;
    at += size;
  }
  return frames;
}

}  // namespace flictest
