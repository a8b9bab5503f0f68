// Test support for the YUV blitters: random frame buffers and a pixel-by-pixel
// reference conversion written straight from the conversion formulas.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace yuvtest {

// A frame buffer as the decoder lays it out: Y (pitch x height), Cr, Cb.
struct Frame {
  int32_t pitch = 0, height = 0;
  std::vector<uint8_t> bytes;

  Frame(int32_t p, int32_t h) : pitch(p), height(h), bytes(size_t(p) * h + 2 * size_t(p / 2) * (h / 2)) {}
  uint8_t* data() { return bytes.data(); }
  const uint8_t* data() const { return bytes.data(); }
  size_t chromaSize() const { return size_t(pitch / 2) * (height / 2); }
  uint8_t& y(int32_t x, int32_t row) { return bytes[size_t(row) * pitch + x]; }
  uint8_t& cr(int32_t x, int32_t row) { return bytes[size_t(pitch) * height + size_t(row) * (pitch / 2) + x]; }
  uint8_t& cb(int32_t x, int32_t row) {
    return bytes[size_t(pitch) * height + chromaSize() + size_t(row) * (pitch / 2) + x];
  }
  void randomize(uint32_t seed) {
    std::mt19937 rng(seed);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
  }
};

inline std::vector<uint8_t> randomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

struct Rgb {
  int r, g, b;
};

// The conversion formulas, with C++'s truncating division.
inline Rgb referenceRgb(int y, int cr, int cb) {
  const int l = y > 16 ? (y - 16) * 38154 / 32768 : 0;
  auto clamp = [](int v) { return std::clamp(v, 0, 255); };
  return {clamp(l + (cr * 52299 - 6694272) / 32768),
          clamp(l + (3409792 - cr * 26639) / 32768 + (1643136 - cb * 12837) / 32768),
          clamp(l + (cb * 66101 - 8460928) / 32768)};
}

// Widths of red, green, blue and the blue shift of 16-bit types 3 to 6.
struct Layout {
  int red, green, blue, blueShift;
};
inline Layout layoutOf(int type) {
  static const Layout k[4] = {{5, 5, 5, 10}, {5, 6, 5, 11}, {6, 5, 5, 11}, {6, 6, 4, 12}};
  return k[type - 3];
}

inline uint16_t pack16(int type, Rgb c) {
  if (type < 3 || type > 6) return 0;
  const Layout l = layoutOf(type);
  return static_cast<uint16_t>((c.r >> (8 - l.red)) | ((c.g >> (8 - l.green)) << l.red) |
                               ((c.b >> (8 - l.blue)) << l.blueShift));
}

inline int bytesPerPixel(int type) { return type == 1 ? 3 : type == 2 ? 4 : 2; }

// Full conversion, pixel by pixel. type16 is the 16-bit layout for types
// 3 to 7 (7: no layout, zeros). dst points at the destination's origin.
inline void referenceBlit(int type, uint8_t* dst, int dx, int dy, ptrdiff_t dpitch, Frame& f, int sx, int sy,
                          int w, int h) {
  const bool packed = type == 8 || type == 9;
  if (packed && ((dx | sx | w) & 1)) return;
  const int bpp = bytesPerPixel(type);
  for (int j = 0; j < h; ++j) {
    uint8_t* row = dst + (dy + j) * dpitch + ptrdiff_t(dx) * bpp;
    const int ys = sy + j;
    for (int i = 0; i < w; ++i) {
      const int xs = sx + i;
      const int y = f.y(xs, ys), cr = f.cr(xs / 2, ys / 2), cb = f.cb(xs / 2, ys / 2);
      uint8_t* d = row + ptrdiff_t(i) * bpp;
      if (packed) {
        const bool uyvy = type == 9;
        d[uyvy ? 1 : 0] = uint8_t(y);
        d[uyvy ? 0 : 1] = uint8_t(i % 2 == 0 ? cr : cb);
        continue;
      }
      const Rgb c = referenceRgb(y, cr, cb);
      if (type <= 2) {
        d[0] = uint8_t(c.r), d[1] = uint8_t(c.g), d[2] = uint8_t(c.b);
      } else {
        const uint16_t v = pack16(type, c);
        d[0] = uint8_t(v), d[1] = uint8_t(v >> 8);
      }
    }
  }
}

// Masked conversion: marked whole 16x16 areas, then the right and bottom
// remainders in full under the full blitter's rules.
inline void referenceMask(int type, uint8_t* dst, ptrdiff_t dpitch, const uint8_t* map, int mapPitch, Frame& f,
                          int w, int h) {
  for (int band = 0; band < h / 16; ++band)
    for (int g = 0; g < w / 16; ++g)
      if (map[band * mapPitch + g]) referenceBlit(type, dst, g * 16, band * 16, dpitch, f, g * 16, band * 16, 16, 16);
  const int right = w / 16 * 16, bottom = h / 16 * 16;
  referenceBlit(type, dst, right, 0, dpitch, f, right, 0, w - right, h);
  referenceBlit(type, dst, 0, bottom, dpitch, f, 0, bottom, w, h - bottom);
}

}  // namespace yuvtest
