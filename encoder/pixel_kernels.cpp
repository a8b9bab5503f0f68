#include "encoder/pixel_kernels.h"

#include <cstdlib>

#include "decode/core/scan_orders.h"

TOL_NS_BEGIN

uint32_t sad64Plain(const uint8_t* a, const uint8_t* b) {
  uint32_t s = 0;
  for (int i = 0; i < 64; ++i) s += static_cast<uint32_t>(std::abs(a[i] - b[i]));
  return s;
}

void sadOffsetsPlain(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out) {
  for (int k = 0; k < count; ++k) {
    uint32_t s = 0;
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 8; ++c) s += static_cast<uint32_t>(std::abs(src[r * srcPitch + c] - ref[r * refPitch + k + c]));
    out[k] = s;
  }
}

uint32_t sadOffsetsCappedPlain(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                               int count, uint32_t cap, uint32_t* out) {
  sadOffsetsPlain(src, srcPitch, ref, refPitch, count, out);
  uint32_t least = cap;
  for (int k = 0; k < count; ++k) {
    out[k] = out[k] < cap ? out[k] : cap;
    least = out[k] < least ? out[k] : least;
  }
  return least;
}

// Each run's samples are kept sorted while it grows.
void runStatisticsPlain(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                        uint8_t (*deviation)[10]) {
  for (int p = 0; p < 64; ++p) {
    uint8_t sorted[16];
    int n = 0;
    for (int li = 0; li < 10; ++li) {
      const int want = kRunLengthSteps[li] < 64 - p ? kRunLengthSteps[li] : 64 - p;
      while (n < want) {
        const uint8_t v = scanned[p + n];
        int j = n++;
        for (; j > 0 && sorted[j - 1] > v; --j) sorted[j] = sorted[j - 1];
        sorted[j] = v;
      }
      const int c = n & 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) >> 1;
      length[p][li] = static_cast<uint8_t>(n);
      colour[p][li] = static_cast<uint8_t>(c);
      deviation[p][li] = static_cast<uint8_t>(c - sorted[0] > sorted[n - 1] - c ? c - sorted[0] : sorted[n - 1] - c);
    }
  }
}

unsigned chooseRunOrderPlain(const uint8_t* pic) {
  unsigned best = 0;
  uint32_t bestCost = UINT32_MAX;
  for (unsigned o = 0; o < 16; ++o) {
    const uint8_t* order = kRunOrders[o];
    uint32_t cost = 1;
    for (int i = 1; i < 64; ++i) {
      const int d = pic[order[i]] - pic[order[i - 1]];
      cost += static_cast<uint32_t>(std::abs(d)) + (d != 0);
    }
    if (cost < bestCost) {
      bestCost = cost;
      best = o;
    }
  }
  return best;
}

void scanRunOrderPlain(const uint8_t* pic, unsigned order, uint8_t* scanned) {
  for (int i = 0; i < 64; ++i) scanned[i] = pic[kRunOrders[order][i]];
}

void unscanRunOrderPlain(const uint8_t* scanned, unsigned order, uint8_t* pic) {
  for (int i = 0; i < 64; ++i) pic[kRunOrders[order][i]] = scanned[i];
}

const PixelKernels& pixelKernels() {
  static const PixelKernels kernels = [] {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
      return PixelKernels{sad64Sse41,          sadOffsetsAvx2,      sadOffsetsCappedAvx2, runStatisticsAvx2,
                          chooseRunOrderSse41, scanRunOrderSse41,   unscanRunOrderSse41};
    if (__builtin_cpu_supports("sse4.1"))
      return PixelKernels{sad64Sse41,          sadOffsetsSse41,     sadOffsetsCappedSse41, runStatisticsSse41,
                          chooseRunOrderSse41, scanRunOrderSse41,   unscanRunOrderSse41};
#endif
    return PixelKernels{sad64Plain,          sadOffsetsPlain,   sadOffsetsCappedPlain, runStatisticsPlain,
                        chooseRunOrderPlain, scanRunOrderPlain, unscanRunOrderPlain};
  }();
  return kernels;
}

TOL_NS_END
