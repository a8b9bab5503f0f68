// A minimal, test-only view of a Zurn file in memory: header, track tables,
// frame index and each frame's sound packets, enough to check sound packets
// without the decoder.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace soundtest {

inline uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

struct ZurnFileView {
  std::vector<uint8_t> bytes;
  uint32_t frames = 0, largestFrame = 0, indexFrames = 0, width = 0, height = 0;
  uint32_t fpsNumerator = 0, fpsDenominator = 0, trackCount = 0;
  std::vector<uint32_t> maxDecoded, flags, ids, index;

  bool parse() {
    if (bytes.size() < 44 || std::memcmp(bytes.data(), "ZRNf", 4) != 0) return false;
    const uint8_t* h = bytes.data();
    frames = le32(h + 8);
    largestFrame = le32(h + 12);
    indexFrames = le32(h + 16);
    width = le32(h + 20);
    height = le32(h + 24);
    fpsNumerator = le32(h + 28);
    fpsDenominator = le32(h + 32);
    trackCount = le32(h + 40);
    const size_t need = 44 + 12 * size_t{trackCount} + 4 * (size_t{indexFrames} + 1);
    if (bytes.size() < need || frames > indexFrames) return false;
    const uint8_t* t = h + 44;
    for (uint32_t i = 0; i < trackCount; ++i) {
      maxDecoded.push_back(le32(t + 4 * i));
      flags.push_back(le32(t + 4 * (trackCount + i)));
      ids.push_back(le32(t + 4 * (2 * trackCount + i)));
    }
    for (uint32_t i = 0; i <= indexFrames; ++i) index.push_back(le32(t + 12 * trackCount + 4 * i));
    return true;
  }

  uint32_t frameStart(uint32_t f) const { return index[f] & ~1u; }
  uint32_t frameSize(uint32_t f) const { return (index[f + 1] & ~1u) - frameStart(f); }
  bool keyframe(uint32_t f) const { return index[f] & 1; }

  // The packet of a track in frame f: pointer behind its size field, size.
  const uint8_t* packet(uint32_t f, uint32_t track, uint32_t* size) const {
    uint32_t pos = frameStart(f);
    for (uint32_t t = 0;; ++t) {
      *size = le32(bytes.data() + pos);
      if (t == track) return bytes.data() + pos + 4;
      pos += 4 + *size;
    }
  }
  // The frame's video data: everything behind the last packet.
  std::vector<uint8_t> video(uint32_t f) const {
    uint32_t pos = frameStart(f);
    for (uint32_t t = 0; t < trackCount; ++t) pos += 4 + le32(bytes.data() + pos);
    return std::vector<uint8_t>(bytes.begin() + pos, bytes.begin() + frameStart(f) + frameSize(f));
  }
};

}  // namespace soundtest
