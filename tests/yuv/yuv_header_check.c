/* The public header is plain C. */
#include "tol/yuv.h"

void (*const yuvHeaderCheck[])(void) = {
    (void (*)(void))YUV_init,           (void (*)(void))YUV_blit_32bpp,      (void (*)(void))YUV_blit_24bpp,
    (void (*)(void))YUV_blit_16bpp,     (void (*)(void))YUV_blit_YUY2,       (void (*)(void))YUV_blit_UYVY,
    (void (*)(void))YUV_blit_YV12,      (void (*)(void))YUV_blit_32bpp_mask, (void (*)(void))YUV_blit_24bpp_mask,
    (void (*)(void))YUV_blit_16bpp_mask, (void (*)(void))YUV_blit_YUY2_mask, (void (*)(void))YUV_blit_UYVY_mask,
};
