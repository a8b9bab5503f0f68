#include "media/still_pixels.h"

#include <algorithm>
#include <cstring>
#include <bit>

TOL_NS_BEGIN

void unpackIndices(const uint8_t* src, int32_t width, int32_t bits, uint8_t* dst) {
  if (bits == 8) {
    std::copy(src, src + width, dst);
    return;
  }
  const int32_t perByte = 8 / bits;
  const uint32_t low = (1u << bits) - 1;
  for (int32_t x = 0; x < width; ++x) {
    const int32_t shift = 8 - bits * (x % perByte + 1);
    dst[x] = static_cast<uint8_t>((src[x / perByte] >> shift) & low);
  }
}

ChannelMask channelMask(uint32_t mask) {
  ChannelMask c;
  if (mask == 0) return c;
  c.mask = mask;
  c.shift = std::countr_zero(mask);
  c.maximum = mask >> c.shift;
  return c;
}

namespace {

inline uint8_t widen(uint32_t pixel, const ChannelMask& c) {
  if (c.maximum == 0) return 0;
  const uint64_t v = (pixel & c.mask) >> c.shift;
  return static_cast<uint8_t>((v * 255 + c.maximum / 2) / c.maximum);
}

}  // namespace

void bgrFromMasked(const uint8_t* src, int32_t width, int32_t bytesPerPixel, const ChannelMask& red,
                   const ChannelMask& green, const ChannelMask& blue, uint8_t* dst) {
  for (int32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 3) {
    uint32_t pixel = uint32_t(src[0]) | uint32_t(src[1]) << 8;
    if (bytesPerPixel == 4) pixel |= uint32_t(src[2]) << 16 | uint32_t(src[3]) << 24;
    dst[0] = widen(pixel, blue);
    dst[1] = widen(pixel, green);
    dst[2] = widen(pixel, red);
  }
}

void bgrFromRgb(const uint8_t* src, int32_t width, int32_t stride, uint8_t* dst) {
  for (int32_t x = 0; x < width; ++x, src += stride, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
  }
}

void bgrFromBgr(const uint8_t* src, int32_t width, int32_t stride, uint8_t* dst) {
  if (stride == 3) {
    std::copy(src, src + 3 * static_cast<size_t>(width), dst);
    return;
  }
  for (int32_t x = 0; x < width; ++x, src += stride, dst += 3) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
  }
}

void expandIndicesInPlace(uint8_t* row, int32_t width, const uint8_t (*colours)[4]) {
  for (int32_t x = width - 1; x >= 0; --x) {
    const uint8_t* c = colours[row[x]];
    uint8_t* d = row + 3 * static_cast<size_t>(x);
    d[2] = c[2];
    d[1] = c[1];
    d[0] = c[0];
  }
}

void copyClearingFiller(const uint8_t* src, uint8_t* dst, int32_t width) {
  // Four pixels at a time as one 16-byte vector.
  using Words = uint32_t __attribute__((vector_size(16)));
  const Words mask = {0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu};
  int32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    Words words;
    std::memcpy(&words, src + 4 * x, sizeof words);
    words &= mask;
    std::memcpy(dst + 4 * x, &words, sizeof words);
  }
  for (; x < width; ++x) {
    std::memcpy(dst + 4 * x, src + 4 * x, 3);
    dst[4 * x + 3] = 0;
  }
}

void mirrorRow(uint8_t* row, int32_t width, int32_t bytesPerPixel) {
  for (int32_t a = 0, b = width - 1; a < b; ++a, --b)
    std::swap_ranges(row + a * bytesPerPixel, row + (a + 1) * bytesPerPixel, row + b * bytesPerPixel);
}

TOL_NS_END
