// tolutil's exported YUV blitters: thin wrappers over the internal family.
#include "decode/yuv.h"
#include "tol/yuv.h"

namespace {
uint8_t* bytes(void* p) { return static_cast<uint8_t*>(p); }
const uint8_t* bytes(const void* p) { return static_cast<const uint8_t*>(p); }
}  // namespace

TOLAPI(void) YUV_init(int32_t type) { tol::YUV_init(type); }

#define TOL_EXPORT_FULL(name)                                                                          \
  TOLAPI(void) name(void* dst, int32_t dx, int32_t dy, int32_t dpitch, const void* src, int32_t sx,    \
                    int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight,             \
                    uint32_t flags) {                                                                  \
    tol::name(bytes(dst), dx, dy, dpitch, bytes(src), sx, sy, w, h, srcPitch, srcHeight, flags);       \
  }
#define TOL_EXPORT_MASK(name)                                                                          \
  TOLAPI(void) name(void* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch, const void* src,  \
                    int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags) {       \
    tol::name(bytes(dst), dpitch, map, mapPitch, bytes(src), w, h, srcPitch, srcHeight, flags);        \
  }

TOL_EXPORT_FULL(YUV_blit_32bpp)
TOL_EXPORT_FULL(YUV_blit_24bpp)
TOL_EXPORT_FULL(YUV_blit_16bpp)
TOL_EXPORT_FULL(YUV_blit_YUY2)
TOL_EXPORT_FULL(YUV_blit_UYVY)
TOL_EXPORT_MASK(YUV_blit_32bpp_mask)
TOL_EXPORT_MASK(YUV_blit_24bpp_mask)
TOL_EXPORT_MASK(YUV_blit_16bpp_mask)
TOL_EXPORT_MASK(YUV_blit_YUY2_mask)
TOL_EXPORT_MASK(YUV_blit_UYVY_mask)

TOLAPI(void) YUV_blit_YV12(void* dst, int32_t dx, int32_t dy, int32_t dpitch, int32_t dheight, const void* src,
                           int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight,
                           uint32_t flags) {
  tol::YUV_blit_YV12(bytes(dst), dx, dy, dpitch, dheight, bytes(src), sx, sy, w, h, srcPitch, srcHeight, flags);
}
