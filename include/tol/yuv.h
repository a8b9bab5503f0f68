/* YUV blitters, exported by tolutil: convert a decoded Zurn frame buffer
 * into an RGB, packed YUV or planar YUV surface.
 *
 * Source: the frame buffer starts with the Y plane (pitch srcPitch,
 * srcHeight rows), followed by the Cr plane and the Cb plane (pitch
 * srcPitch / 2, srcHeight / 2 rows each). Pixel (x, y) takes luma from
 * (x, y) and chroma from (x / 2, y / 2).
 *
 * Surface types (argument of YUV_init):
 *   1 24-bit: red, green, blue bytes    2 32-bit: red, green, blue; byte 3 untouched
 *   3 16-bit 5-5-5  (red bits 0-4, green 5-9, blue 10-14, bit 15 zero)
 *   4 16-bit 5-6-5  (red 0-4, green 5-10, blue 11-15)
 *   5 16-bit 6-5-5  (red 0-5, green 6-10, blue 11-15)
 *   6 16-bit 6-6-4  (red 0-5, green 6-11, blue 12-15)
 *   8 YUY2 (Y0 Cr Y1 Cb)   9 UYVY (Cr Y0 Cb Y1)   10 YV12 (Y, then Cb, then Cr)
 * 16-bit pixels are little-endian words.
 *
 * flags: YUV_PLAIN_LOOPS selects the plain loops instead of the SIMD loops
 * (both give the same pixels); other bits are ignored. The SIMD loops are
 * SSE2, or AVX2 where the processor and system support it, chosen at run
 * time (in place of the 64-bit MMX loops of earlier builds).
 *
 * YUV_init(type) chooses the 16-bit layout that YUV_blit_16bpp and
 * YUV_blit_16bpp_mask write (-1 keeps the current one; a type other than
 * 3 to 6 makes them write 0 pixels). The other blitters need no YUV_init.
 *
 * Blits may run on several threads at once; only a YUV_init that changes
 * the 16-bit layout must not overlap a 16-bit blit.
 *
 * Full blitters convert the w x h rectangle at (sx, sy) to the destination
 * at (dx, dy). YUY2 and UYVY write nothing if dx, sx or w is odd; YV12
 * writes nothing if dx, dy, sx, sy, w or h is odd. Nothing is written for
 * w or h of 0 or less. Pitches may be negative (bottom-up surfaces).
 *
 * Mask blitters take dst already at the rectangle's top-left pixel and
 * convert, from the source's top-left corner, the 16x16 areas whose byte in
 * the block-change map (mapPitch bytes per row of areas) is non-zero, then
 * the w % 16 columns at the right and the h % 16 rows at the bottom in full. */
#ifndef TOL_YUV_H
#define TOL_YUV_H

#include "tol/api.h"

#define YUV_PLAIN_LOOPS 0x800000u

TOLAPI(void) YUV_init(int32_t type);

TOLAPI(void) YUV_blit_32bpp(void* dst, int32_t dx, int32_t dy, int32_t dpitch, const void* src, int32_t sx,
                            int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_24bpp(void* dst, int32_t dx, int32_t dy, int32_t dpitch, const void* src, int32_t sx,
                            int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_16bpp(void* dst, int32_t dx, int32_t dy, int32_t dpitch, const void* src, int32_t sx,
                            int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_YUY2(void* dst, int32_t dx, int32_t dy, int32_t dpitch, const void* src, int32_t sx,
                           int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_UYVY(void* dst, int32_t dx, int32_t dy, int32_t dpitch, const void* src, int32_t sx,
                           int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_YV12(void* dst, int32_t dx, int32_t dy, int32_t dpitch, int32_t dheight, const void* src,
                           int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight,
                           uint32_t flags);

TOLAPI(void) YUV_blit_32bpp_mask(void* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch, const void* src,
                                 int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_24bpp_mask(void* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch, const void* src,
                                 int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_16bpp_mask(void* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch, const void* src,
                                 int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_YUY2_mask(void* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch, const void* src,
                                int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);
TOLAPI(void) YUV_blit_UYVY_mask(void* dst, int32_t dpitch, const uint8_t* map, int32_t mapPitch, const void* src,
                                int32_t w, int32_t h, int32_t srcPitch, int32_t srcHeight, uint32_t flags);

#endif
