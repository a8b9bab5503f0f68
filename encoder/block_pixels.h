// Moving 8x8 blocks and 16x16 areas between planes (rows `pitch` apart) and
// flat raster-order arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/libns.h"

TOL_NS_BEGIN

inline void loadBlock(const uint8_t* plane, ptrdiff_t pitch, uint32_t x, uint32_t y, uint8_t* out, int size = 8) {
  const uint8_t* p = plane + static_cast<ptrdiff_t>(y) * pitch + x;
  for (int r = 0; r < size; ++r) std::memcpy(out + size * r, p + r * pitch, static_cast<size_t>(size));
}

inline void storeBlock(uint8_t* plane, ptrdiff_t pitch, uint32_t x, uint32_t y, const uint8_t* in) {
  uint8_t* p = plane + static_cast<ptrdiff_t>(y) * pitch + x;
  for (int r = 0; r < 8; ++r) std::memcpy(p + r * pitch, in + 8 * r, 8);
}

// An 8x8 picture doubled in both directions into a 16x16 area.
inline void storeDoubled(uint8_t* plane, ptrdiff_t pitch, uint32_t x, uint32_t y, const uint8_t* in) {
  uint8_t* p = plane + static_cast<ptrdiff_t>(y) * pitch + x;
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) p[r * pitch + c] = in[8 * (r / 2) + c / 2];
}

TOL_NS_END
