#include "encoder/motion_search.h"

#include <algorithm>
#include <bit>

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

  // The chosen vector is the first in search order with the smallest SAD.
  // The rows' SADs are worked out nearest row first (good matches are
  // likely there), each capped one above the smallest SAD seen so far:
  // every SAD that can still be the smallest stays exact, the rest read as
  // the cap, which lets the kernel give up on them early.
  const int count = xHi - xLo + 1;
  uint32_t sads[2 * kRange + 1][2 * kRange + 1];  // sads[y - yLo][x - xLo]
  uint32_t rowLeast[2 * kRange + 1];
  uint32_t least = best.sad;
  for (int step = 0; step <= 2 * kRange; ++step) {
    const int dy = step & 1 ? -(step + 1) / 2 : step / 2;  // 0, -1, 1, -2, 2, ..
    if (dy < yLo || dy > yHi) continue;
    const uint32_t m = k.sadOffsetsCapped(block, pitch, ref + (static_cast<ptrdiff_t>(by) + dy) * pitch + bx + xLo,
                                          pitch, count, least + 1, sads[dy - yLo]);
    rowLeast[dy - yLo] = m;
    least = std::min(least, m);
  }
  // Every SAD equal to the smallest is exact and every other one is larger,
  // so the chosen vector is the first in search order whose entry equals
  // the smallest (the zero vector when nothing is below its SAD).
  if (least == best.sad) return best;
  int ys[2 * kRange + 1];
  const int ny = searchOrder(yLo, yHi, ys);
  const int zero = -xLo;  // the entry of dx = 0
  for (int iy = 0; iy < ny; ++iy) {
    if (rowLeast[ys[iy] - yLo] != least) continue;
    const uint32_t* row = sads[ys[iy] - yLo];
    uint64_t match = 0;
    for (int i = 0; i < count; ++i) match |= uint64_t{row[i] == least} << i;
    // Within a row: dx = 0 .. xHi first, then xLo .. -1.
    const uint64_t ahead = match >> zero;
    const int i = ahead ? zero + std::countr_zero(ahead) : std::countr_zero(match);
    return MotionVector{static_cast<int8_t>(i + xLo), static_cast<int8_t>(ys[iy]), least};
  }
  return best;
}

TOL_NS_END
