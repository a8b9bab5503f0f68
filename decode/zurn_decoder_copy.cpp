// Copying the current decoded frame into a caller's surface through the YUV
// blitters: the whole frame, or only the 16x16 areas the last decode changed.
#include <cstring>

#include "decode/yuv.h"
#include "decode/zurn_decoder.h"

TOL_NS_BEGIN

namespace {

// Bytes per pixel of the surfaces that the blitters convert to (0: none).
int32_t bytesPerPixel(int32_t type) {
  switch (type) {
    case kYuvRgb24: return 3;
    case kYuvRgb32: return 4;
    case kYuvRgb555:
    case kYuvRgb565:
    case kYuvRgb655:
    case kYuvRgb664:
    case kYuvYUY2:
    case kYuvUYVY: return 2;
    case kYuvYV12: return 1;
    default: return 0;
  }
}

}  // namespace

int32_t ZurnDecoderCopyToSurface(ZurnDecoder* d, void* dest, int32_t pitch, int32_t destHeight, int32_t x,
                                 int32_t y, uint32_t flags) {
  if (!d || !dest) return 0;
  const int32_t type = static_cast<int32_t>(flags & ZURNDEC_COPY_TYPE_MASK);
  const int32_t bpp = bytesPerPixel(type);
  const bool bottomUp = flags & ZURNDEC_COPY_BOTTOM_UP;
  const bool doubled = (d->flags & ZURNDEC_LINE_DOUBLING) || (flags & ZURNDEC_COPY_LINE_DOUBLING);
  // A planar surface has its chroma planes behind the luma rows; turning it
  // upside down or spreading its rows would put them outside the surface.
  if (bpp == 0 || (type == kYuvYV12 && (bottomUp || doubled))) return 0;

  YUV_init(type);
  zurnLetReadAheadCatchUp(d);
  uint8_t* dst = static_cast<uint8_t*>(dest);
  int64_t rowStep = pitch;
  if (bottomUp) {
    dst += (int64_t{destHeight} - y - 1) * rowStep;
    y = 0;
    rowStep = -rowStep;
  }
  if (doubled) rowStep *= 2;
  const int32_t blitPitch = static_cast<int32_t>(rowStep);

  const uint8_t* src = d->frameBuffers[d->currentBuffer];
  const int32_t w = d->width;
  const int32_t h = static_cast<int32_t>(d->decodedHeight);
  const int32_t srcPitch = static_cast<int32_t>(d->lumaPitch);
  const int32_t srcHeight = static_cast<int32_t>(d->lumaHeight);
  if (type == kYuvYV12) {
    YUV_blit_YV12(dst, x, y, blitPitch, destHeight, src, 0, 0, w, h, srcPitch, srcHeight, flags);
    return 1;
  }
  const YuvIsa isa = yuvIsaForFlags(flags);
  // The map ends with a zero byte: no zero before it means every area changed.
  const bool everyAreaChanged = std::memchr(d->changeMap, 0, d->mapSize) == nullptr;
  if ((flags & ZURNDEC_COPY_FULL) || everyAreaChanged) {
    yuvBlit(type, isa, dst, x, y, blitPitch, src, 0, 0, w, h, srcPitch, srcHeight);
  } else {
    yuvBlitMask(type, isa, dst + int64_t{y} * rowStep + int64_t{x} * bpp, blitPitch, d->changeMap,
                static_cast<int32_t>(d->mapPitch), src, w, h, srcPitch, srcHeight);
  }
  return 1;
}

TOL_NS_END
