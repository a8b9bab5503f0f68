// Rows of uncompressed ('raw ') movie frames into the frame buffer's pixels:
// indices of 1, 2 or 4 bits unpacked to bytes (first pixel in the high
// bits), 8-bit indices copied, and 16-bit 5-5-5, 24-bit red-green-blue and
// 32-bit alpha-red-green-blue (all big-endian) turned into blue-green-red.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Bytes one stored row of `width` pixels of `depth` bits takes at least.
inline uint64_t rawRowBytes(int32_t width, int32_t depth) { return (uint64_t(width) * uint64_t(depth) + 7) / 8; }

// Converts one row of `width` pixels of `depth` bits from src (at least
// rawRowBytes bytes) into dest (width bytes for depth 8 or less, else
// 3 * width bytes).
void convertRawRow(const uint8_t* src, int32_t depth, int32_t width, uint8_t* dest);

TOL_NS_END
