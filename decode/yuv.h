// YUV blitters: convert a decoded frame buffer (Y plane of pitch P and buffer
// height H, then the Cr and Cb planes of pitch P / 2 and H / 2 rows) into a
// caller's RGB, packed YUV or planar YUV surface. Each chroma sample serves
// a 2x2 group of pixels, without interpolation.
//
// The conversion tables are built at compile time and the working state of
// a blit lives on its own stack, so blits may run on several threads at once.
// The one process-wide setting is the 16-bit layout chosen by the latest
// YUV_init, which YUV_blit_16bpp and YUV_blit_16bpp_mask follow; yuvBlit and
// yuvBlitMask take the surface type explicitly instead.
//
// The wide loops use SSE2, or AVX2 where the processor and the operating
// system support it (in place of the 64-bit SIMD loops of older builds);
// flag kYuvPlainLoops forces the plain loops. All loops give identical pixels.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Surface types: the low 4 bits of the copy flags and the argument of YUV_init.
enum YuvSurfaceType : int32_t {
  kYuvRgb24 = 1,   // red, green, blue bytes
  kYuvRgb32 = 2,   // red, green, blue bytes; the fourth byte is left alone
  kYuvRgb555 = 3,  // 16-bit words: red bits 0-4, green 5-9, blue 10-14
  kYuvRgb565 = 4,  // red 0-4, green 5-10, blue 11-15
  kYuvRgb655 = 5,  // red 0-5, green 6-10, blue 11-15
  kYuvRgb664 = 6,  // red 0-5, green 6-11, blue 12-15
  kYuvYUY2 = 8,    // per pixel pair: Y0, Cr, Y1, Cb
  kYuvUYVY = 9,    // per pixel pair: Cr, Y0, Cb, Y1
  kYuvYV12 = 10,   // planar: Y, then Cb, then Cr at half size
};

// Blit flag: use the plain loops even where SIMD loops are available.
constexpr uint32_t kYuvPlainLoops = 0x800000;

enum class YuvIsa : int32_t { Plain, Sse2, Avx2 };

// The widest loops this processor runs; thread-safe, detected once.
YuvIsa yuvBestIsa();
// The loops a blit with these flags uses.
YuvIsa yuvIsaForFlags(uint32_t flags);

// Full conversion of the w x h rectangle at (sx, sy) of the frame buffer src
// to the destination at (dx, dy). type: 1 to 6, 8 or 9 (other types write
// nothing; YV12 has its own call). The loops used are isa or, if the
// processor lacks it, the widest it has. YUY2 and UYVY write nothing when
// dx, sx or w is odd.
void yuvBlit(int32_t type, YuvIsa isa, uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch,
             const uint8_t* src, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
             int32_t srcHeight);

// Converts, from the frame's top-left corner, the 16x16 areas whose byte in
// the block-change map is set, then the w % 16 columns at the right and the
// h % 16 rows at the bottom in full. dst is at the rectangle's top-left pixel.
void yuvBlitMask(int32_t type, YuvIsa isa, uint8_t* dst, int32_t dpitch, const uint8_t* map,
                 int32_t mapPitch, const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                 int32_t srcHeight);

// The exported family, same names and argument order. Pitches may be
// negative (bottom-up surfaces). Width or height of 0 or less writes nothing.
//
// YUV_init: sets the 16-bit layout for YUV_blit_16bpp(_mask) unless type is
// -1; a type outside 3 to 6 makes them write 0 pixels. The tables need no
// building and the processor is examined once per process.
void YUV_init(int32_t type);

void YUV_blit_32bpp(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, const uint8_t* src,
                    int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
                    int32_t srcHeight, uint32_t flags);
void YUV_blit_24bpp(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, const uint8_t* src,
                    int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
                    int32_t srcHeight, uint32_t flags);
void YUV_blit_16bpp(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, const uint8_t* src,
                    int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
                    int32_t srcHeight, uint32_t flags);
void YUV_blit_YUY2(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, const uint8_t* src,
                   int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
                   int32_t srcHeight, uint32_t flags);
void YUV_blit_UYVY(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, const uint8_t* src,
                   int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch,
                   int32_t srcHeight, uint32_t flags);

// Writes nothing when dx, dy, sx, sy, w or h is odd. The destination holds
// the Y plane (pitch dpitch, dheight rows), then the Cb plane and then the
// Cr plane (pitch dpitch / 2, dheight / 2 rows each).
void YUV_blit_YV12(uint8_t* dst, int32_t dx, int32_t dy, int32_t dpitch, int32_t dheight,
                   const uint8_t* src, int32_t sx, int32_t sy, int32_t w, int32_t h,
                   int32_t srcPitch, int32_t srcHeight, uint32_t flags);

void YUV_blit_32bpp_mask(uint8_t* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch,
                         const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                         int32_t srcHeight, uint32_t flags);
void YUV_blit_24bpp_mask(uint8_t* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch,
                         const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                         int32_t srcHeight, uint32_t flags);
void YUV_blit_16bpp_mask(uint8_t* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch,
                         const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                         int32_t srcHeight, uint32_t flags);
void YUV_blit_YUY2_mask(uint8_t* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch,
                        const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                        int32_t srcHeight, uint32_t flags);
void YUV_blit_UYVY_mask(uint8_t* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch,
                        const uint8_t* src, int32_t w, int32_t h, int32_t srcPitch,
                        int32_t srcHeight, uint32_t flags);

TOL_NS_END
