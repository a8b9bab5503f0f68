// YUV blitters: row pairing, the block-change-map walk, YV12 copying and the
// choice of row kernels.
#include "decode/yuv.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#include "decode/yuv_kernels.h"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#endif

TOL_NS_BEGIN
namespace {

// Layout of YUV_blit_16bpp: the type of the latest YUV_init other than -1.
std::atomic<int32_t> g_type16{0};

YuvIsa detectIsa() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return YuvIsa::Avx2;  // also checks OS support
  if (__builtin_cpu_supports("sse2")) return YuvIsa::Sse2;
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
  int r[4];
  __cpuid(r, 0);
  const int maxLeaf = r[0];
  __cpuid(r, 1);
  const bool sse2 = (r[3] >> 26) & 1;
  const bool osYmm = ((r[2] >> 27) & 1) && ((r[2] >> 28) & 1) && (_xgetbv(0) & 6) == 6;
  if (osYmm && maxLeaf >= 7) {
    __cpuidex(r, 7, 0);
    if ((r[1] >> 5) & 1) return YuvIsa::Avx2;
  }
  if (sse2) return YuvIsa::Sse2;
#endif
  return YuvIsa::Plain;
}

const YuvKernelSet& kernelsFor(YuvIsa isa) {
  if (isa > yuvBestIsa()) isa = yuvBestIsa();
  switch (isa) {
    case YuvIsa::Avx2: return kYuvAvx2Kernels;
    case YuvIsa::Sse2: return kYuvSse2Kernels;
    default: return kYuvPlainKernels;
  }
}

bool isPacked(int32_t type) { return type == kYuvYUY2 || type == kYuvUYVY; }
bool has16BitLayout(int32_t type) { return type >= kYuvRgb555 && type <= kYuvRgb664; }
ptrdiff_t bytesPerPixel(int32_t type) { return type == kYuvRgb24 ? 3 : type == kYuvRgb32 ? 4 : 2; }

struct Planes {
  const uint8_t* y;
  const uint8_t* cr;
  const uint8_t* cb;
  ptrdiff_t pitch;  // luma; chroma rows are pitch / 2
};

Planes planesOf(const uint8_t* src, int32_t pitch, int32_t height) {
  const ptrdiff_t lumaSize = ptrdiff_t{pitch} * height;
  const ptrdiff_t chromaSize = ptrdiff_t{pitch / 2} * (height / 2);
  return {src, src + lumaSize, src + lumaSize + chromaSize, pitch};
}

// Converts a rectangle row pair by row pair: each pair shares one chroma
// row. An odd first source row shares its chroma row with the row above
// the rectangle and goes alone, and so does a last row left over.
void convertRect(YuvRowFn row, ptrdiff_t bytes, uint8_t* dst, ptrdiff_t dpitch, const Planes& f,
                 int32_t sx, int32_t sy, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return;
  const ptrdiff_t chromaPitch = f.pitch / 2;
  auto rows = [&](int32_t i, bool pair) {
    const ptrdiff_t y = sy + i;
    YuvRows r;
    r.dst0 = dst + i * dpitch;
    r.dst1 = pair ? r.dst0 + dpitch : nullptr;
    r.y0 = f.y + y * f.pitch + sx;
    r.y1 = pair ? r.y0 + f.pitch : r.y0;
    r.cr = f.cr + (y / 2) * chromaPitch + sx / 2;
    r.cb = f.cb + (y / 2) * chromaPitch + sx / 2;
    r.count = w;
    r.oddStart = sx & 1;
    row(r);
  };
  int32_t i = 0;
  if (sy & 1) rows(i++, false);
  for (; i + 1 < h; i += 2) rows(i, true);
  if (i < h) rows(i, false);
}

// yuvBlit by kernel slot (which may be the blank 16-bit one).
void blitSlot(int32_t slot, YuvIsa isa, uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch,
              const uint8_t* src, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
              int32_t srcHeight) {
  if (slot <= 0 || slot >= kYuvKernelSlots) return;
  if (isPacked(slot) && ((dx | sx | w) & 1)) return;
  const ptrdiff_t bytes = bytesPerPixel(slot);
  convertRect(kernelsFor(isa).row[slot], bytes, dst + ptrdiff_t{dy} * dpitch + dx * bytes, dpitch,
              planesOf(src, srcPitch, srcHeight), sx, sy, w, h);
}

void blitMaskSlot(int32_t slot, YuvIsa isa, uint8_t* dst, int32_t dpitch, const uint8_t* map,
                  int32_t mapPitch, const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                  int32_t srcHeight) {
  if (slot <= 0 || slot >= kYuvKernelSlots || w <= 0 || h <= 0) return;
  const YuvRowFn row = kernelsFor(isa).row[slot];
  // A single area is narrower than an AVX2 pass; the SSE2 loops take it
  // without going through the AVX2 kernel first.
  const YuvRowFn narrowRow = kernelsFor(isa > YuvIsa::Sse2 ? YuvIsa::Sse2 : isa).row[slot];
  const ptrdiff_t bytes = bytesPerPixel(slot);
  const Planes f = planesOf(src, srcPitch, srcHeight);
  const int32_t bands = h / 16, groups = w / 16;
  for (int32_t band = 0; band < bands; ++band) {
    const uint8_t* m = map + ptrdiff_t{band} * mapPitch;
    uint8_t* d = dst + ptrdiff_t{band} * 16 * dpitch;
    // Neighbouring marked areas of a band are converted as one run.
    for (int32_t g = 0; g < groups;) {
      if (!m[g]) {
        ++g;
        continue;
      }
      const int32_t first = g;
      while (g < groups && m[g]) ++g;
      convertRect(g - first > 1 ? row : narrowRow, bytes, d + first * 16 * bytes, dpitch, f, first * 16, band * 16,
                  (g - first) * 16, 16);
    }
  }
  // The partial areas at the right and the bottom are converted in full,
  // whatever the map says, under the full blitter's rules.
  const int32_t right = groups * 16, bottom = bands * 16;
  blitSlot(slot, isa, dst, right, 0, dpitch, src, right, 0, w - right, h, srcPitch, srcHeight);
  blitSlot(slot, isa, dst, 0, bottom, dpitch, src, 0, bottom, w, h - bottom, srcPitch, srcHeight);
}

int32_t slot16() {
  const int32_t type = g_type16.load(std::memory_order_relaxed);
  return has16BitLayout(type) ? type : kYuvBlank16;
}

}  // namespace

YuvIsa yuvBestIsa() {
  static const YuvIsa best = detectIsa();
  return best;
}

YuvIsa yuvIsaForFlags(uint32_t flags) {
  return (flags & kYuvPlainLoops) ? YuvIsa::Plain : yuvBestIsa();
}

void yuvBlit(int32_t type, YuvIsa isa, uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch,
             const uint8_t* src, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
             int32_t srcHeight) {
  if (type == kYuvBlank16) return;
  blitSlot(type, isa, dst, dx, dy, dpitch, src, sx, sy, w, h, srcPitch, srcHeight);
}

void yuvBlitMask(int32_t type, YuvIsa isa, uint8_t* dst, int32_t dpitch, const uint8_t* map,
                 int32_t mapPitch, const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                 int32_t srcHeight) {
  if (type == kYuvBlank16) return;
  blitMaskSlot(type, isa, dst, dpitch, map, mapPitch, src, w, h, srcPitch, srcHeight);
}

void YUV_init(int32_t type) {
  yuvBestIsa();
  if (type != -1) g_type16.store(type, std::memory_order_relaxed);
}

#define TOL_YUV_FULL(name, slotExpr)                                                           \
  void name(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, const uint8_t* src,           \
            int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, \
            uint32_t flags) {                                                                  \
    blitSlot(slotExpr, yuvIsaForFlags(flags), dst, dx, dy, dpitch, src, sx, sy, w, h,          \
             srcPitch, srcHeight);                                                             \
  }
#define TOL_YUV_MASK(name, slotExpr)                                                           \
  void name(uint8_t* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch,                \
            const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight,     \
            uint32_t flags) {                                                                  \
    blitMaskSlot(slotExpr, yuvIsaForFlags(flags), dst, dpitch, map, mapPitch, src, w, h,       \
                 srcPitch, srcHeight);                                                         \
  }

TOL_YUV_FULL(YUV_blit_32bpp, kYuvRgb32)
TOL_YUV_FULL(YUV_blit_24bpp, kYuvRgb24)
TOL_YUV_FULL(YUV_blit_16bpp, slot16())
TOL_YUV_FULL(YUV_blit_YUY2, kYuvYUY2)
TOL_YUV_FULL(YUV_blit_UYVY, kYuvUYVY)
TOL_YUV_MASK(YUV_blit_32bpp_mask, kYuvRgb32)
TOL_YUV_MASK(YUV_blit_24bpp_mask, kYuvRgb24)
TOL_YUV_MASK(YUV_blit_16bpp_mask, slot16())
TOL_YUV_MASK(YUV_blit_YUY2_mask, kYuvYUY2)
TOL_YUV_MASK(YUV_blit_UYVY_mask, kYuvUYVY)

#undef TOL_YUV_FULL
#undef TOL_YUV_MASK

void YUV_blit_YV12(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, int32_t dheight,
                   const uint8_t* src, int32_t sx, int32_t sy, int32_t w, int32_t h,
                   int32_t srcPitch, int32_t srcHeight, uint32_t) {
  if ((dx | dy | sx | sy | w | h) & 1) return;
  if (w <= 0 || h <= 0) return;
  const Planes f = planesOf(src, srcPitch, srcHeight);
  for (ptrdiff_t i = 0; i < h; ++i)
    std::memcpy(dst + (dy + i) * dpitch + dx, f.y + (sy + i) * f.pitch + sx, size_t(w));
  // Destination chroma planes: Cb behind the Y plane, Cr behind Cb.
  const ptrdiff_t cpitch = dpitch / 2, spitch = f.pitch / 2;
  uint8_t* cbPlane = dst + ptrdiff_t{dpitch} * dheight;
  uint8_t* crPlane = cbPlane + cpitch * (dheight / 2);
  const ptrdiff_t to = dx / 2 + cpitch * (dy / 2), from = sx / 2 + spitch * (sy / 2);
  for (ptrdiff_t i = 0; i < h / 2; ++i) {
    std::memcpy(cbPlane + to + i * cpitch, f.cb + from + i * spitch, size_t(w / 2));
    std::memcpy(crPlane + to + i * cpitch, f.cr + from + i * spitch, size_t(w / 2));
  }
}

TOL_NS_END
