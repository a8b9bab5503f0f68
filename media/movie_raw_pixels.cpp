#include "media/movie_raw_pixels.h"

#include <cstring>

TOL_NS_BEGIN

namespace {

void unpackIndices(const uint8_t* src, int32_t depth, int32_t width, uint8_t* dest) {
  const int perByte = 8 / depth;
  const uint8_t mask = uint8_t((1 << depth) - 1);
  for (int32_t x = 0; x < width; ++x) {
    const int shift = 8 - depth * (x % perByte + 1);
    dest[x] = uint8_t(src[x / perByte] >> shift) & mask;
  }
}

// A 5-bit field widened to 8 bits with its top bits repeated, so that 31
// becomes 255.
inline uint8_t widen5(uint32_t v) { return uint8_t(v << 3 | v >> 2); }

void rgb555ToBgr(const uint8_t* src, int32_t width, uint8_t* dest) {
  for (int32_t x = 0; x < width; ++x, src += 2, dest += 3) {
    const uint32_t v = uint32_t(src[0]) << 8 | src[1];
    dest[0] = widen5(v & 31);
    dest[1] = widen5(v >> 5 & 31);
    dest[2] = widen5(v >> 10 & 31);
  }
}

void rgbToBgr(const uint8_t* src, int32_t width, int bytesPerPixel, uint8_t* dest) {
  // 32 bits: alpha first, then red, green, blue.
  const int skip = bytesPerPixel - 3;
  for (int32_t x = 0; x < width; ++x, src += bytesPerPixel, dest += 3) {
    dest[0] = src[skip + 2];
    dest[1] = src[skip + 1];
    dest[2] = src[skip];
  }
}

}  // namespace

void convertRawRow(const uint8_t* src, int32_t depth, int32_t width, uint8_t* dest) {
  switch (depth) {
    case 1:
    case 2:
    case 4:
      unpackIndices(src, depth, width, dest);
      break;
    case 8:
      std::memcpy(dest, src, size_t(width));
      break;
    case 16:
      rgb555ToBgr(src, width, dest);
      break;
    case 24:
      rgbToBgr(src, width, 3, dest);
      break;
    case 32:
      rgbToBgr(src, width, 4, dest);
      break;
    default:
      break;
  }
}

TOL_NS_END
