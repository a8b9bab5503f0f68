// The exported C family of tolutil: YUV_init's 16-bit layout choice and the
// plain-loop flag, called through the shared library.
#include <gtest/gtest.h>

#include <vector>

#include "tol/yuv.h"
#include "yuv_reference.h"

using yuvtest::Frame;

namespace {

std::vector<uint8_t> blit16(const Frame& f, uint32_t flags) {
  std::vector<uint8_t> d(64 * 2 * 8, 0xAB);
  YUV_blit_16bpp(d.data(), 0, 0, 128, f.data(), 1, 1, 61, 7, f.pitch, f.height, flags);
  return d;
}

std::vector<uint8_t> expected16(int type, Frame& f) {
  std::vector<uint8_t> d(64 * 2 * 8, 0xAB);
  yuvtest::referenceBlit(type, d.data(), 0, 0, 128, f, 1, 1, 61, 7);
  return d;
}

TEST(YuvExports, InitChoosesTheSixteenBitLayout) {
  Frame f(64, 16);
  f.randomize(1);
  YUV_init(3);
  EXPECT_EQ(blit16(f, 0), expected16(3, f));
  YUV_init(4);  // a new type takes effect at once
  EXPECT_EQ(blit16(f, 0), expected16(4, f));
  YUV_init(4);
  YUV_init(-1);  // -1 keeps the layout
  EXPECT_EQ(blit16(f, YUV_PLAIN_LOOPS), expected16(4, f));
  YUV_init(2);  // no 16-bit layout: zero pixels
  EXPECT_EQ(blit16(f, 0), expected16(7, f));
  YUV_init(6);
  EXPECT_EQ(blit16(f, 0), expected16(6, f));
}

TEST(YuvExports, PlainFlagGivesTheSamePixels) {
  Frame f(128, 32);
  f.randomize(2);
  std::vector<uint8_t> a(128 * 4 * 32, 0), b(a.size(), 0), c(a.size(), 0);
  YUV_blit_32bpp(a.data(), 0, 0, 512, f.data(), 0, 1, 127, 31, 128, 32, 0);
  YUV_blit_32bpp(b.data(), 0, 0, 512, f.data(), 0, 1, 127, 31, 128, 32, YUV_PLAIN_LOOPS);
  yuvtest::referenceBlit(2, c.data(), 0, 0, 512, f, 0, 1, 127, 31);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, c);
}

TEST(YuvExports, MaskAndPackedEntryPoints) {
  Frame f(64, 32);
  f.randomize(3);
  const std::vector<uint8_t> map = {0, 1, 0, 0, 1, 0, 0, 1};  // 4 areas per row
  for (int type : {1, 2, 8, 9}) {
    const int bpp = yuvtest::bytesPerPixel(type);
    const std::vector<uint8_t> start = yuvtest::randomBytes(size_t(64) * bpp * 32, uint32_t(type));
    std::vector<uint8_t> got = start, want = start;
    using Mask = void (*)(void*, int32_t, const uint8_t*, int32_t, const void*, int32_t, int32_t, int32_t, int32_t,
                          uint32_t);
    const Mask mask = type == 1 ? YUV_blit_24bpp_mask : type == 2 ? YUV_blit_32bpp_mask
                      : type == 8 ? YUV_blit_YUY2_mask : YUV_blit_UYVY_mask;
    mask(got.data(), 64 * bpp, map.data(), 4, f.data(), 60, 30, 64, 32, 0);
    yuvtest::referenceMask(type, want.data(), 64 * bpp, map.data(), 4, f, 60, 30);
    EXPECT_EQ(got, want) << type;
  }
  std::vector<uint8_t> got(64 * 2 * 32, 0), want(got.size(), 0);
  YUV_blit_UYVY(got.data(), 2, 1, 128, f.data(), 4, 3, 40, 20, 64, 32, 0);
  yuvtest::referenceBlit(9, want.data(), 2, 1, 128, f, 4, 3, 40, 20);
  EXPECT_EQ(got, want);
}

}  // namespace
