// The 24-bit working copy of a frame that is to be palettised: the copy
// rectangle as packed blue, green, red, with soft shading (small colour
// ranges in a 3 x 3 block) requantised to steps of 16 through an ordered
// dither, so that such areas need fewer palette colours.
#include <cstring>
#include <initializer_list>

#include "media/frame_pixels.h"
#include "media/gfile.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

const uint8_t kDither[64] = {0, 11, 3,  14, 1, 12, 3,  15, 8, 4,  11, 7, 8, 5,  11, 7,  2, 13, 1,  12, 2, 14,
                             2, 13, 9,  6,  8, 5,  10, 6,  9, 5,  0,  12, 3, 15, 0,  12, 3, 14, 8,  4,  11, 7,
                             8, 4,  11, 7,  2, 14, 1,  13, 2, 14, 1,  13, 10, 6, 9,  5,  10, 6, 9,  5};

// Evens out row y (not the first or last) of `plain` into `out`; k walks the
// dither table.
void evenRow(const uint8_t* plain, uint8_t* out, int32_t w, int32_t y, uint32_t& k) {
  const size_t pitch = static_cast<size_t>(w) * 3;
  const uint8_t* above = plain + (y - 1) * pitch;
  const uint8_t* here = above + pitch;
  const uint8_t* below = here + pitch;
  uint8_t* o = out + y * pitch;
  std::memcpy(o, here, 3);
  std::memcpy(o + pitch - 3, here + pitch - 3, 3);
  for (int32_t x = 1; x < w - 1; ++x) {
    k = ((k - 8) & 0x38) | (k & 7);
    uint32_t lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (const uint8_t* row : {above, here, below})
      for (int32_t dx = -1; dx <= 1; ++dx)
        for (int c = 0; c < 3; ++c) {
          uint32_t v = row[(x + dx) * 3 + c];
          if (v < lo[c]) lo[c] = v;
          if (v > hi[c]) hi[c] = v;
        }
    const uint32_t spread = hi[0] - lo[0] + hi[1] - lo[1] + hi[2] - lo[2];
    const bool bright = hi[0] >= 32 || hi[1] >= 32 || hi[2] >= 32;
    const uint8_t* p = here + x * 3;
    if (!bright || spread < 5 || spread > 15) {
      std::memcpy(o + x * 3, p, 3);
      continue;
    }
    const uint32_t threshold = kDither[k];
    for (int c = 0; c < 3; ++c) {
      uint32_t v = (p[c] & 0xF0u) + (threshold < (p[c] & 15u) ? 16u : 0u);
      o[x * 3 + c] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
  }
}

}  // namespace

void makeWorkingCopy(GFileState& g) {
  const int32_t w = g.place.copyWidth, h = g.place.copyHeight;
  const size_t size = static_cast<size_t>(h) * w * 3 + 4;
  if (size > g.workingSize) {
    tolfree(g.working);
    tolfree(g.workingPlain);
    g.workingSize = size;
    g.working = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(size)));
    g.workingPlain = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(size)));
    if (!g.working || !g.workingPlain) {
      tolfree(g.working);
      tolfree(g.workingPlain);
      g.working = g.workingPlain = nullptr;
      g.workingSize = 0;
      g.working24 = false;  // the frame stays as read
      return;
    }
  }
  const SourceFrame& f = g.frame;
  PixelRows src{f.pixels + static_cast<ptrdiff_t>(g.place.sourceY) * f.pitch, f.pitch, f.bits, g.place.sourceX};
  packedRows(src, g.sourcePalette, g.workingPlain, w, h);
  if (h < 3 || w < 1) {
    std::memcpy(g.working, g.workingPlain, size - 4);
  } else {
    const size_t pitch = static_cast<size_t>(w) * 3;
    std::memcpy(g.working, g.workingPlain, pitch);
    std::memcpy(g.working + (h - 1) * pitch, g.workingPlain + (h - 1) * pitch, pitch);
    uint32_t k = 56;
    for (int32_t y = 1; y < h - 1; ++y) {
      k = (k & 0x38) | ((k - 1) & 7);
      evenRow(g.workingPlain, g.working, w, y, k);
    }
  }
  g.workingPitch = w * 3;
  g.frameBits = 24;
}

TOL_NS_END
