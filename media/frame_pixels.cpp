#include "media/frame_pixels.h"

#include <cstring>

TOL_NS_BEGIN

namespace {

inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline uint32_t load16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }

// Index of pixel x of a row of 1, 4 or 8 bits; 4-bit pairs and 1-bit groups
// hold the leftmost pixel in the high bits.
inline uint32_t indexAt(const uint8_t* row, int32_t bits, int32_t x) {
  if (bits == 8) return row[x];
  if (bits == 4) return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// Red, green and blue of pixel x of a row of 16, 24 or 32 bits, as 8-bit
// values (16 bits: each 5-bit field shifted up by 3).
inline void componentsAt(const uint8_t* row, int32_t bits, int32_t x, uint32_t& r, uint32_t& g, uint32_t& b) {
  if (bits == 24) {
    const uint8_t* p = row + x * 3;
    b = p[0], g = p[1], r = p[2];
  } else if (bits == 32) {
    const uint8_t* p = row + x * 4;
    b = p[0], g = p[1], r = p[2];
  } else {
    uint32_t v = load16(row + x * 2);
    r = (v >> 10 & 31) << 3, g = (v >> 5 & 31) << 3, b = (v & 31) << 3;
  }
}

inline uint32_t keyAt(const uint8_t* row, int32_t bits, int32_t x) {
  if (bits == 16) {
    uint32_t v = load16(row + x * 2);
    return (v >> 10 & 31) << 13 | (v >> 5 & 31) << 7 | (v & 31) << 1;
  }
  uint32_t r, g, b;
  componentsAt(row, bits, x, r, g, b);
  return colourKey(r, g, b);
}

}  // namespace

uint8_t ColourMatcher::search(uint32_t key) {
  const uint32_t r6 = key >> 12, g6 = key >> 6 & 63, b6 = key & 63;
  const uint16_t* sr = squares + r6 * 64;
  const uint16_t* sg = squares + g6 * 64;
  const uint16_t* sb = squares + b6 * 64;
  uint32_t best = UINT32_MAX;
  int32_t bestIndex = first;
  for (int32_t e = first; e < first + count; ++e) {
    const uint8_t* c = palette + e * 3;
    uint32_t d = sr[c[0] >> 2] + sg[c[1] >> 2] + sb[c[2] >> 2];
    if (d < best) {
      best = d;
      bestIndex = e;
      if (d == 0) break;
    }
  }
  cache[key] = static_cast<uint16_t>(256 + bestIndex);
  return static_cast<uint8_t>(bestIndex);
}

void trueColourRows(const PixelRows& src, const uint8_t* palette, uint8_t* out, int32_t outPitch, int32_t w,
                    int32_t h) {
  static const bool haveSse41 = __builtin_cpu_supports("sse4.1");
  uint32_t table[256];
  if (src.bits <= 8)
    for (int i = 0; i < 256; ++i)
      table[i] = static_cast<uint32_t>(palette[i * 3]) << 16 | palette[i * 3 + 1] << 8 | palette[i * 3 + 2];
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = src.row(y);
    uint32_t* o = reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(y) * outPitch);
    switch (src.bits) {
      case 24: {
        // Four bytes at a time, the fourth masked off; the row's last pixel
        // is read by bytes so that nothing past the row is touched.
        const uint8_t* p = row + src.x0 * 3;
        int32_t x = haveSse41 ? wordsFromBgrSse41(p, o, w) : 0;
        for (; x + 1 < w; ++x) o[x] = load32(p + x * 3) & 0x00FFFFFFu;
        for (; x < w; ++x) o[x] = static_cast<uint32_t>(p[x * 3 + 2]) << 16 | p[x * 3 + 1] << 8 | p[x * 3];
        break;
      }
      case 32: {
        const uint8_t* p = row + src.x0 * 4;
        for (int32_t x = 0; x < w; ++x) o[x] = load32(p + x * 4) & 0x00FFFFFFu;
        break;
      }
      case 16:
        for (int32_t x = 0; x < w; ++x) {
          uint32_t r, g, b;
          componentsAt(row, 16, src.x0 + x, r, g, b);
          o[x] = r << 16 | g << 8 | b;
        }
        break;
      case 8:
        for (int32_t x = 0; x < w; ++x) o[x] = table[row[src.x0 + x]];
        break;
      default:
        for (int32_t x = 0; x < w; ++x) o[x] = table[indexAt(row, src.bits, src.x0 + x)];
    }
  }
}

void indexRows(const PixelRows& src, const uint8_t* remap, uint8_t* out, int32_t outPitch, int32_t w, int32_t h) {
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = src.row(y);
    uint8_t* o = out + static_cast<ptrdiff_t>(y) * outPitch;
    if (src.bits == 8 && !remap) {
      std::memcpy(o, row + src.x0, static_cast<size_t>(w));
    } else if (src.bits == 8) {
      for (int32_t x = 0; x < w; ++x) o[x] = remap[row[src.x0 + x]];
    } else {
      for (int32_t x = 0; x < w; ++x) {
        uint32_t i = indexAt(row, src.bits, src.x0 + x);
        o[x] = static_cast<uint8_t>(remap ? remap[i] : i);
      }
    }
  }
}

void matchRows(const PixelRows& src, ColourMatcher& matcher, uint8_t* out, int32_t outPitch, int32_t w, int32_t h) {
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = src.row(y);
    uint8_t* o = out + static_cast<ptrdiff_t>(y) * outPitch;
    for (int32_t x = 0; x < w; ++x) o[x] = matcher.index(keyAt(row, src.bits, src.x0 + x));
  }
}

void packedRows(const PixelRows& src, const uint8_t* palette, uint8_t* out, int32_t w, int32_t h) {
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = src.row(y);
    uint8_t* o = out + static_cast<ptrdiff_t>(y) * w * 3;
    if (src.bits == 24) {
      std::memcpy(o, row + src.x0 * 3, static_cast<size_t>(w) * 3);
      continue;
    }
    for (int32_t x = 0; x < w; ++x, o += 3) {
      uint32_t r, g, b;
      if (src.bits <= 8) {
        const uint8_t* c = palette + indexAt(row, src.bits, src.x0 + x) * 3;
        r = c[0], g = c[1], b = c[2];
      } else {
        componentsAt(row, src.bits, src.x0 + x, r, g, b);
      }
      o[0] = static_cast<uint8_t>(b), o[1] = static_cast<uint8_t>(g), o[2] = static_cast<uint8_t>(r);
    }
  }
}

void countColours(const PixelRows& src, const uint8_t* palette, uint64_t* histogram, int32_t w, int32_t h) {
  uint32_t paletteKeys[256];
  if (src.bits <= 8)
    for (int i = 0; i < 256; ++i) paletteKeys[i] = colourKey(palette[i * 3], palette[i * 3 + 1], palette[i * 3 + 2]);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = src.row(y);
    if (src.bits <= 8)
      for (int32_t x = 0; x < w; ++x) ++histogram[paletteKeys[indexAt(row, src.bits, src.x0 + x)]];
    else
      for (int32_t x = 0; x < w; ++x) ++histogram[keyAt(row, src.bits, src.x0 + x)];
  }
}

TOL_NS_END
