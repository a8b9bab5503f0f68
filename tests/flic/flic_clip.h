// A reproducible 8-bit clip for FLIC tests and benchmarks: a diagonal band
// pattern that drifts, a box that moves across it, a patch of noise that
// changes every frame, and a palette ramp that turns now and then.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace flictest {

struct ClipFrame {
  std::vector<uint8_t> pixels;   // width x height, packed
  std::vector<uint8_t> palette;  // 768 bytes
};

inline ClipFrame clipFrame(uint32_t width, uint32_t height, uint32_t k) {
  ClipFrame f;
  f.pixels.resize(size_t(width) * height);
  for (uint32_t y = 0; y < height; y++)
    for (uint32_t x = 0; x < width; x++) f.pixels[size_t(y) * width + x] = uint8_t(((x + 2 * y + k) / 16) & 63);
  const uint32_t boxW = width / 5 + 1, boxH = height / 5 + 1;
  const uint32_t bx = (k * 7) % (width - boxW + 1), by = (k * 3) % (height - boxH + 1);
  for (uint32_t y = by; y < by + boxH; y++)
    for (uint32_t x = bx; x < bx + boxW; x++) f.pixels[size_t(y) * width + x] = uint8_t(200 + k % 8);
  uint32_t seed = 12345 + k;
  for (uint32_t y = height / 2; y < height / 2 + height / 8; y++)
    for (uint32_t x = 0; x < width / 8; x++) {
      seed = seed * 1103515245 + 12345;
      f.pixels[size_t(y) * width + x] = uint8_t(64 + (seed >> 24) % 64);
    }
  f.palette.resize(768);
  const uint32_t turn = k / 10;
  for (uint32_t e = 0; e < 256; e++) {
    f.palette[3 * e] = uint8_t(e + turn * 16);
    f.palette[3 * e + 1] = uint8_t(255 - e);
    f.palette[3 * e + 2] = uint8_t(e * 3);
  }
  return f;
}

// Three frames whose changes lie far from the row starts (skips longer than
// one packet can hold) and include a run longer than one packet: black; one
// pixel near the end of the last row; then a middle row of 7s ending in a 3.
inline std::vector<std::vector<uint8_t>> farChangeFrames(uint32_t width, uint32_t height) {
  std::vector<std::vector<uint8_t>> frames(1, std::vector<uint8_t>(size_t(width) * height, 0));
  std::vector<uint8_t> p = frames[0];
  p[size_t(height - 1) * width + width - 2] = 9;
  frames.push_back(p);
  std::fill(p.begin() + size_t(height / 2) * width, p.begin() + size_t(height / 2 + 1) * width, 7);
  p[size_t(height / 2) * width + width - 1] = 3;
  frames.push_back(p);
  return frames;
}

}  // namespace flictest
