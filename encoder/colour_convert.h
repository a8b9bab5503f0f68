// Conversion of a true-colour frame into the encoder's planes: luma at full
// resolution, Cr and Cb at half resolution in both directions, all padded to
// multiples of 8 by repeating the edge samples.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

struct PlaneGeometry {
  uint32_t lumaWidth, lumaHeight;
  uint32_t chromaWidth, chromaHeight;
};

// Plane sizes of a width x height picture.
PlaneGeometry planeGeometry(uint32_t width, uint32_t height);

// The chroma rule: the mean of the two middle values of a 2x2 group, with
// a, b the top and c, d the bottom samples.
inline uint8_t middleMean(int a, int b, int c, int d) {
  auto mn = [](int x, int y) { return x < y ? x : y; };
  auto mx = [](int x, int y) { return x > y ? x : y; };
  const int lowMid = mx(mn(a, d), mn(b, c));
  const int highMid = mn(mx(a, d), mx(b, c));
  return static_cast<uint8_t>((lowMid + highMid) >> 1);
}

// pixels: 4 bytes a pixel, byte 0 red, 1 green, 2 blue; rows `pitch` bytes
// apart (may be negative), of which every other one is used when lineMode
// is not 0 (height is then already the halved count).
void convertFrame(const uint8_t* pixels, int32_t pitch, uint32_t width, uint32_t height, uint32_t lineMode,
                  const PlaneGeometry& g, uint8_t* y, uint8_t* cr, uint8_t* cb);

TOL_NS_END
