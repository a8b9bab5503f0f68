#include "zurn_file.h"

#include <cstring>

namespace zurnbench {
namespace {

uint32_t le32(const std::vector<uint8_t>& b, uint64_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

}  // namespace

bool zurnSoundBytes(const std::vector<uint8_t>& file, uint64_t& bytes, std::string& error) {
  bytes = 0;
  if (file.size() < 44 || std::memcmp(file.data(), "ZRNf", 4) != 0) {
    error = "not a Zurn file";
    return false;
  }
  const uint64_t frames = le32(file, 8), indexFrames = le32(file, 16), tracks = le32(file, 40);
  const uint64_t index = 44 + 12 * tracks;
  if (frames == 0 || frames > indexFrames || index + 4 * (indexFrames + 1) > file.size()) {
    error = "damaged header or index";
    return false;
  }
  for (uint64_t k = 0; k < frames; ++k) {
    uint64_t pos = le32(file, index + 4 * k) & ~1u;
    const uint64_t end = le32(file, index + 4 * (k + 1)) & ~1u;
    if (end > file.size() || pos > end) {
      error = "frame " + std::to_string(k) + " lies outside the file";
      return false;
    }
    for (uint64_t t = 0; t < tracks; ++t) {
      if (end - pos < 4 || le32(file, pos) > end - pos - 4) {
        error = "damaged sound packet in frame " + std::to_string(k);
        return false;
      }
      const uint64_t packet = 4 + uint64_t(le32(file, pos));
      bytes += packet;
      pos += packet;
    }
  }
  return true;
}

}  // namespace zurnbench
