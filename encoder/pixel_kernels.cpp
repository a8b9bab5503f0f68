#include "encoder/pixel_kernels.h"

#include <cstdlib>

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

const PixelKernels& pixelKernels() {
  static const PixelKernels kernels = [] {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("sse4.1")) return PixelKernels{sad64Sse41, sadOffsetsSse41};
#endif
    return PixelKernels{sad64Plain, sadOffsetsPlain};
  }();
  return kernels;
}

TOL_NS_END
