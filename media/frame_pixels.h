// Pixel kernels of the graphics input: source rows of any depth into 32-bit
// words, 8-bit indices, packed 24-bit pixels or colour counts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Rows of a source: row0 is the first row to convert, rows pitch bytes apart
// (negative: upwards in memory), pixels of `bits` bits (1, 4, 8, 16 as
// 5-5-5, 24 as blue, green, red, 32 as 0x00RRGGBB words) from column x0.
struct PixelRows {
  const uint8_t* row0;
  int32_t pitch;
  int32_t bits;
  int32_t x0;
  const uint8_t* row(int32_t y) const { return row0 + static_cast<ptrdiff_t>(y) * pitch; }
};

// 18-bit colour key: the top 6 bits of red, green and blue.
inline uint32_t colourKey(uint32_t r, uint32_t g, uint32_t b) { return (r >> 2) << 12 | (g >> 2) << 6 | (b >> 2); }

// Finds the nearest palette entry of a colour key within [first, first +
// count), remembering every answer (256 + index) in cache.
struct ColourMatcher {
  uint16_t* cache;
  const uint8_t* palette;  // 256 x red, green, blue
  int32_t first, count;
  const uint16_t* squares;  // squareTable()
  uint8_t index(uint32_t key) {
    uint16_t e = cache[key];
    if (e >= 256) return static_cast<uint8_t>(e);
    return search(key);
  }
  uint8_t search(uint32_t key);
};

// The first pixels of a packed blue, green, red row as 0x00RRGGBB words, as
// many as the SSE4.1 kernel can take safely; returns how many it did.
int32_t wordsFromBgrSse41(const uint8_t* bgr, uint32_t* words, int32_t count);

// palette: 256 x red, green, blue for sources of 8 bits or fewer.
void trueColourRows(const PixelRows& src, const uint8_t* palette, uint8_t* out, int32_t outPitch, int32_t w,
                    int32_t h);
// Sources of 8 bits or fewer; remap may be null (indices kept).
void indexRows(const PixelRows& src, const uint8_t* remap, uint8_t* out, int32_t outPitch, int32_t w, int32_t h);
// Sources of 16 bits or more.
void matchRows(const PixelRows& src, ColourMatcher& matcher, uint8_t* out, int32_t outPitch, int32_t w, int32_t h);
// Packed blue, green, red, rows of w * 3 bytes.
void packedRows(const PixelRows& src, const uint8_t* palette, uint8_t* out, int32_t w, int32_t h);
// Adds 1 to histogram[key] for every pixel.
void countColours(const PixelRows& src, const uint8_t* palette, uint64_t* histogram, int32_t w, int32_t h);

TOL_NS_END
