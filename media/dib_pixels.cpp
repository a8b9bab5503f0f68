#include "media/dib_pixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

TOL_NS_BEGIN
namespace dib {

void flipRows(uint8_t* pixels, size_t stride, uint32_t rows) {
  std::vector<uint8_t> temp(stride);
  for (uint32_t top = 0, bottom = rows ? rows - 1 : 0; top < bottom; ++top, --bottom) {
    uint8_t* a = pixels + top * stride;
    uint8_t* b = pixels + bottom * stride;
    std::memcpy(temp.data(), a, stride);
    std::memcpy(a, b, stride);
    std::memcpy(b, temp.data(), stride);
  }
}

bool decodeRLE8(const uint8_t* data, size_t size, uint8_t* pixels, size_t stride, uint32_t width, uint32_t height) {
  uint64_t x = 0, y = 0;
  size_t pos = 0;
  auto put = [&](uint64_t at, const uint8_t* src, uint32_t n) {  // clipped to the row
    if (y >= height || at >= width) return;
    uint32_t k = static_cast<uint32_t>(std::min<uint64_t>(n, width - at));
    std::memcpy(pixels + y * stride + at, src, k);
  };
  while (pos + 2 <= size) {
    uint32_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {  // a run of one value
      uint8_t run[255];
      std::memset(run, static_cast<int>(value), count);
      put(x, run, count);
      x += count;
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // move right and up
      if (pos + 2 > size) return false;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {  // `value` literal pixels, padded to a 16-bit boundary
      if (size - pos < value) return false;
      put(x, data + pos, value);
      x += value;
      pos += value + (value & 1);
    }
    if (y >= height) return true;
  }
  return false;
}

void convertRow(const uint8_t* src, uint32_t srcBits, const uint8_t* table, uint8_t* dst, uint32_t dstBits,
                uint32_t width) {
  const uint32_t step = dstBits / 8;
  for (uint32_t x = 0; x < width; ++x, dst += step) {
    uint8_t b, g, r;
    if (srcBits == 8) {
      const uint8_t* e = table + 4 * src[x];
      b = e[0], g = e[1], r = e[2];
    } else if (srcBits == 16) {
      uint32_t v = src[2 * x] | src[2 * x + 1] << 8;
      b = static_cast<uint8_t>((v & 31) << 3 | (v & 31) >> 2);
      g = static_cast<uint8_t>((v >> 5 & 31) << 3 | (v >> 5 & 31) >> 2);
      r = static_cast<uint8_t>((v >> 10 & 31) << 3 | (v >> 10 & 31) >> 2);
    } else {
      const uint8_t* p = src + x * (srcBits / 8);
      b = p[0], g = p[1], r = p[2];
    }
    dst[0] = b, dst[1] = g, dst[2] = r;
    if (step == 4) dst[3] = 0;
  }
}

}  // namespace dib
TOL_NS_END
