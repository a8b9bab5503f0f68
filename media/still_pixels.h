// Row kernels of the still-image readers: unpacking packed indices, turning
// masked or reordered pixels into blue, green, red bytes, and expanding
// indices through a colour table.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// `width` indices of `bits` (1, 2, 4 or 8) each, packed most significant
// first, one byte each into dst.
void unpackIndices(const uint8_t* src, int32_t width, int32_t bits, uint8_t* dst);

// One colour channel of a packed pixel: where its bits lie and how to widen
// them to 8 bits.
struct ChannelMask {
  uint32_t mask = 0;
  int32_t shift = 0;
  uint32_t maximum = 0;  // mask >> shift; 0 for an absent channel
};
ChannelMask channelMask(uint32_t mask);

// Little-endian pixels of bytesPerPixel (2 or 4) bytes into blue, green, red.
void bgrFromMasked(const uint8_t* src, int32_t width, int32_t bytesPerPixel, const ChannelMask& red,
                   const ChannelMask& green, const ChannelMask& blue, uint8_t* dst);

// Pixels of `stride` bytes (3 or 4) holding red, green, blue first (or blue,
// green, red first) into blue, green, red; anything after is dropped.
void bgrFromRgb(const uint8_t* src, int32_t width, int32_t stride, uint8_t* dst);
void bgrFromBgr(const uint8_t* src, int32_t width, int32_t stride, uint8_t* dst);

// The indices at the start of row turned into blue, green, red in place
// (from the right, so nothing is read after it is overwritten).
void expandIndicesInPlace(uint8_t* row, int32_t width, const uint8_t (*colours)[4]);

// `width` 4-byte pixels copied with their fourth byte set to 0.
void copyClearingFiller(const uint8_t* src, uint8_t* dst, int32_t width);

// Reverses the order of the pixels of a row (pictures stored right to left).
void mirrorRow(uint8_t* row, int32_t width, int32_t bytesPerPixel);

TOL_NS_END
