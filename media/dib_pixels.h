// Pixel kernels for device-independent bitmaps: row flips, RLE8 decoding and
// depth conversion. Rows are bottom-up (row 0 is the bottom line) unless a
// function says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN
namespace dib {

// Reverses the order of `rows` rows of `stride` bytes in place.
void flipRows(uint8_t* pixels, size_t stride, uint32_t rows);

// Draws an RLE8 frame over the 8-bit picture (pixels the frame skips keep
// their values). Runs that leave the picture are clipped. False when the data
// ends before its end-of-bitmap code (what was drawn stays).
bool decodeRLE8(const uint8_t* data, size_t size, uint8_t* pixels, size_t stride, uint32_t width, uint32_t height);

// One row of `width` pixels from srcBits (8 with a blue, green, red, 0
// table; 16 as 5-5-5; 24; 32) to dstBits (24 or 32: blue, green, red[, 0]).
void convertRow(const uint8_t* src, uint32_t srcBits, const uint8_t* table, uint8_t* dst, uint32_t dstBits,
                uint32_t width);

}  // namespace dib
TOL_NS_END
