#include "encoder/motion_search.h"

#include <algorithm>

#include "encoder/pixel_kernels.h"

TOL_NS_BEGIN
namespace {

constexpr int kRange = 15;

// Displacements of one axis in search order: 0 .. hi, then lo .. -1.
int searchOrder(int lo, int hi, int* order) {
  int n = 0;
  for (int d = 0; d <= hi; ++d) order[n++] = d;
  for (int d = lo; d < 0; ++d) order[n++] = d;
  return n;
}

}  // namespace

MotionVector searchMotion(const uint8_t* src, const uint8_t* ref, uint32_t width, uint32_t height, uint32_t bx,
                          uint32_t by) {
  const PixelKernels& k = pixelKernels();
  const ptrdiff_t pitch = width;
  const uint8_t* block = src + by * pitch + bx;
  const int xLo = -std::min<int>(kRange, static_cast<int>(bx));
  const int xHi = std::min<int>(kRange, static_cast<int>(width) - 8 - static_cast<int>(bx));
  const int yLo = -std::min<int>(kRange, static_cast<int>(by));
  const int yHi = std::min<int>(kRange, static_cast<int>(height) - 8 - static_cast<int>(by));

  MotionVector best{0, 0, 0};
  k.sadOffsets(block, pitch, ref + by * pitch + bx, pitch, 1, &best.sad);
  if (best.sad == 0) return best;

  int xs[2 * kRange + 1], ys[2 * kRange + 1];
  const int nx = searchOrder(xLo, xHi, xs);
  const int ny = searchOrder(yLo, yHi, ys);
  uint32_t row[2 * kRange + 1];  // row[x - xLo]
  for (int iy = 0; iy < ny; ++iy) {
    const int dy = ys[iy];
    // Only SADs below the best so far can change it, so the row's SADs are
    // capped there (the kernel may then skip offsets that reach the cap).
    k.sadOffsetsCapped(block, pitch, ref + (static_cast<ptrdiff_t>(by) + dy) * pitch + bx + xLo, pitch,
                       xHi - xLo + 1, best.sad, row);
    for (int ix = 0; ix < nx; ++ix) {
      const int dx = xs[ix];
      const uint32_t s = row[dx - xLo];
      if (s < best.sad) {
        best = {static_cast<int8_t>(dx), static_cast<int8_t>(dy), s};
        // Nothing can beat a perfect match (the first one found stands).
        if (s == 0) return best;
      }
    }
  }
  return best;
}

TOL_NS_END
