#include "encoder/colour_convert.h"

#include <cstddef>
#include <cstring>

TOL_NS_BEGIN
namespace {

inline uint8_t lumaOf(const uint8_t* p) { return static_cast<uint8_t>(((263 * p[0] + 516 * p[1] + 100 * p[2]) >> 10) + 16); }
// Division rounds toward zero, as the fixed-point rule asks.
inline int crOf(const uint8_t* p) { return ((450 * p[0] - 377 * p[1] - 73 * p[2]) / 1024 + 128) & 0xFF; }
inline int cbOf(const uint8_t* p) { return ((-152 * p[0] - 298 * p[1] + 450 * p[2]) / 1024 + 128) & 0xFF; }

void padRow(uint8_t* row, uint32_t used, uint32_t width) {
  if (used > 0 && used < width) std::memset(row + used, row[used - 1], width - used);
}

void repeatLastRow(uint8_t* plane, uint32_t width, uint32_t usedRows, uint32_t rows) {
  for (uint32_t r = usedRows; r < rows; ++r) std::memcpy(plane + r * width, plane + (usedRows - 1) * width, width);
}

}  // namespace

PlaneGeometry planeGeometry(uint32_t width, uint32_t height) {
  auto up8 = [](uint32_t v) { return (v + 7) & ~7u; };
  return {up8(width), up8(height), up8((width + 1) / 2), up8((height + 1) / 2)};
}

void convertFrame(const uint8_t* pixels, int32_t pitch, uint32_t width, uint32_t height, uint32_t lineMode,
                  const PlaneGeometry& g, uint8_t* y, uint8_t* cr, uint8_t* cb) {
  const ptrdiff_t rowStep = static_cast<ptrdiff_t>(pitch) * (lineMode ? 2 : 1);
  const uint32_t chromaUsed = (width + 1) / 2;
  for (uint32_t row = 0; row < height; row += 2) {
    const uint32_t row2 = row + 1 < height ? row + 1 : row;
    const uint8_t* top = pixels + rowStep * static_cast<ptrdiff_t>(row);
    const uint8_t* bottom = pixels + rowStep * static_cast<ptrdiff_t>(row2);
    uint8_t* yTop = y + row * g.lumaWidth;
    uint8_t* yBottom = y + row2 * g.lumaWidth;
    uint8_t* crRow = cr + (row / 2) * g.chromaWidth;
    uint8_t* cbRow = cb + (row / 2) * g.chromaWidth;
    for (uint32_t col = 0; col < width; col += 2) {
      const uint32_t col2 = col + 1 < width ? col + 1 : col;
      const uint8_t* a = top + 4 * col;
      const uint8_t* b = top + 4 * col2;
      const uint8_t* c = bottom + 4 * col;
      const uint8_t* d = bottom + 4 * col2;
      yTop[col] = lumaOf(a);
      yTop[col2] = lumaOf(b);
      yBottom[col] = lumaOf(c);
      yBottom[col2] = lumaOf(d);
      crRow[col / 2] = middleMean(crOf(a), crOf(b), crOf(c), crOf(d));
      cbRow[col / 2] = middleMean(cbOf(a), cbOf(b), cbOf(c), cbOf(d));
    }
    padRow(yTop, width, g.lumaWidth);
    padRow(yBottom, width, g.lumaWidth);
    padRow(crRow, chromaUsed, g.chromaWidth);
    padRow(cbRow, chromaUsed, g.chromaWidth);
  }
  repeatLastRow(y, g.lumaWidth, height, g.lumaHeight);
  repeatLastRow(cr, g.chromaWidth, (height + 1) / 2, g.chromaHeight);
  repeatLastRow(cb, g.chromaWidth, (height + 1) / 2, g.chromaHeight);
}

TOL_NS_END
