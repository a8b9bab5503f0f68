#include "plevplw/picture.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "tol/pleven_record.h"

namespace plevplw {

uint32_t lineModeOption(HeightScale scale) {
  switch (scale) {
    case HeightScale::Interlaced: return PLEV_OPEN_INTERLACED;
    case HeightScale::Doubled: return PLEV_OPEN_DOUBLED;
    case HeightScale::None: return PLEV_OPEN_SINGLE;
    default: return 0;
  }
}

void buildColourTable(const uint8_t* palette, PaletteRemap remap, uint32_t* table) {
  // The colour cube's levels are multiples of 51: the nearest is a rounding.
  auto channel = [&](uint8_t v) -> uint32_t { return remap == PaletteRemap::ToSystem ? (v + 25) / 51 * 51 : v; };
  for (int i = 0; i < 256; ++i) {
    const uint8_t* c = palette + 3 * i;
    table[i] = channel(c[0]) << 16 | channel(c[1]) << 8 | channel(c[2]);
  }
}

DrawingArea drawingArea(const PlayOptions& o, int32_t pictureWidth, int32_t pictureHeight) {
  if (o.blit == BlitStyle::Screen320x240) return {320, 240, true};
  if (o.blit == BlitStyle::Screen320x200) return {320, 200, true};
  if (o.resolution > 0) return {kResolutions[o.resolution].width, kResolutions[o.resolution].height, true};
  DrawingArea a{o.width, o.height, false};
  const int64_t pw = std::max(pictureWidth, 1), ph = std::max(pictureHeight, 1);
  if (!a.width && !a.height) {
    a.width = int32_t(pw);
    a.height = int32_t(ph);
  } else if (!a.height) {
    a.height = int32_t(std::max<int64_t>(1, (a.width * ph + pw / 2) / pw));
  } else if (!a.width) {
    a.width = int32_t(std::max<int64_t>(1, (a.height * pw + ph / 2) / ph));
  }
  return a;
}

Placement placePicture(const DrawingArea& area, int32_t pictureWidth, int32_t pictureHeight) {
  const int64_t pw = std::max(pictureWidth, 1), ph = std::max(pictureHeight, 1);
  int64_t w = pw, h = ph;
  if (2 * pw <= area.width && 2 * ph <= area.height) {
    w = 2 * pw;
    h = 2 * ph;
  } else if (pw > area.width || ph > area.height) {
    if (area.width * ph <= area.height * pw) {
      w = area.width;
      h = std::max<int64_t>(1, ph * area.width / pw);
    } else {
      h = area.height;
      w = std::max<int64_t>(1, pw * area.height / ph);
    }
  }
  return {int32_t((area.width - w) / 2), int32_t((area.height - h) / 2), int32_t(w), int32_t(h)};
}

TextureRows textureRows(const PlayOptions& o, uint32_t decoderFlags, const Placement& placed, int32_t pictureHeight) {
  TextureRows rows;
  rows.blankOddPictureRows = decoderFlags & PLEV_FLAG_INTERLACED;
  rows.blankRowAfterEach = o.zoom == Zoom::Interlaced && placed.height >= 2 * pictureHeight;
  return rows;
}

void expandPicture(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, const uint32_t* table,
                   const TextureRows& rows, uint32_t* texture, int32_t texturePitch) {
  const int32_t step = rows.blankRowAfterEach ? 2 : 1;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = pixels + ptrdiff_t(y) * pitch;
    uint32_t* out = texture + ptrdiff_t(y) * step * texturePitch;
    if (rows.blankOddPictureRows && (y & 1)) {
      std::fill(out, out + width, 0u);
    } else {
      for (int32_t x = 0; x < width; ++x) out[x] = table[in[x]];
    }
    if (rows.blankRowAfterEach) std::fill(out + texturePitch, out + texturePitch + width, 0u);
  }
}

}  // namespace plevplw
