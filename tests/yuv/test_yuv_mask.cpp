// Mask blitters: the walk over the block-change map and the right and bottom
// remainders.
#include <gtest/gtest.h>

#include <vector>

#include "decode/yuv.h"
#include "yuv_reference.h"

using namespace tol;
using yuvtest::Frame;

namespace {

constexpr int kP = 96, kH = 64, kMapPitch = kP / 16;
const YuvIsa kAllIsas[] = {YuvIsa::Plain, YuvIsa::Sse2, YuvIsa::Avx2};

struct Target {
  int bpp;
  ptrdiff_t pitch;
  std::vector<uint8_t> bytes;
  explicit Target(int type, uint32_t seed)
      : bpp(yuvtest::bytesPerPixel(type)), pitch(ptrdiff_t(kP) * bpp + 8),
        bytes(yuvtest::randomBytes(size_t(pitch) * kH, seed)) {}
};

// Mask blit of w x h with every loop kind against the reference.
void expectMask(int type, const std::vector<uint8_t>& map, int w, int h, uint32_t seed) {
  Frame f(kP, kH);
  f.randomize(seed);
  const Target start(type, seed + 1);
  std::vector<uint8_t> want = start.bytes;
  yuvtest::referenceMask(type, want.data(), start.pitch, map.data(), kMapPitch, f, w, h);
  for (YuvIsa isa : kAllIsas) {
    std::vector<uint8_t> got = start.bytes;
    yuvBlitMask(type, isa, got.data(), int32_t(start.pitch), map.data(), kMapPitch, f.data(), w, h, kP, kH);
    ASSERT_EQ(got, want) << "type " << type << " isa " << int(isa) << " " << w << "x" << h;
  }
}

TEST(YuvMask, AllZeroMapOverWholeAreasWritesNothing) {
  Frame f(kP, kH);
  f.randomize(1);
  const std::vector<uint8_t> map(kMapPitch * (kH / 16), 0);
  for (int type : {1, 2, 3, 8, 9}) {
    const Target start(type, 2);
    std::vector<uint8_t> d = start.bytes;
    yuvBlitMask(type, YuvIsa::Sse2, d.data(), int32_t(start.pitch), map.data(), kMapPitch, f.data(), 64, 48, kP, kH);
    EXPECT_EQ(d, start.bytes) << type;
  }
}

TEST(YuvMask, SecondByteOfPairConvertsRightHalfOnly) {
  Frame f(kP, kH);
  f.randomize(3);
  std::vector<uint8_t> map(kMapPitch * (kH / 16), 0);
  map[kMapPitch * 1 + 1] = 1;  // band 1, second area of the first pair
  const Target start(kYuvRgb32, 4);
  std::vector<uint8_t> d = start.bytes;
  YUV_blit_32bpp_mask(d.data(), int32_t(start.pitch), map.data(), kMapPitch, f.data(), 64, 48, kP, kH, 0);
  std::vector<uint8_t> want = start.bytes;
  yuvtest::referenceBlit(kYuvRgb32, want.data(), 16, 16, start.pitch, f, 16, 16, 16, 16);
  EXPECT_EQ(d, want);
  expectMask(kYuvRgb32, map, 64, 48, 5);
}

TEST(YuvMask, RemaindersAreConvertedWhateverTheMap) {
  // 40 x 40: the right 8 columns and the bottom 8 rows in full.
  const std::vector<uint8_t> zeros(kMapPitch * (kH / 16), 0);
  Frame f(kP, kH);
  f.randomize(6);
  const Target start(kYuvRgb24, 7);
  std::vector<uint8_t> d = start.bytes;
  YUV_blit_24bpp_mask(d.data(), int32_t(start.pitch), zeros.data(), kMapPitch, f.data(), 40, 40, kP, kH, 0);
  std::vector<uint8_t> want = start.bytes;
  yuvtest::referenceBlit(kYuvRgb24, want.data(), 32, 0, start.pitch, f, 32, 0, 8, 40);
  yuvtest::referenceBlit(kYuvRgb24, want.data(), 0, 32, start.pitch, f, 0, 32, 40, 8);
  EXPECT_EQ(d, want);
  for (int type : {1, 2, 3, 4, 5, 6, 8, 9}) expectMask(type, zeros, 40, 40, uint32_t(10 + type));
}

TEST(YuvMask, OddWidthPackedKeepsOnlyTheAreas) {
  // The remainders follow the full blitter, which refuses an odd width.
  std::vector<uint8_t> map(kMapPitch * (kH / 16), 1);
  for (int type : {8, 9}) expectMask(type, map, 41, 40, uint32_t(20 + type));
}

TEST(YuvMask, RandomMaps) {
  std::mt19937 rng(30);
  for (int round = 0; round < 12; ++round) {
    std::vector<uint8_t> map(kMapPitch * (kH / 16));
    for (auto& b : map) b = rng() % 3 ? 0 : uint8_t(rng() | 1);
    const int w = 1 + int(rng() % kP), h = 1 + int(rng() % kH);
    for (int type : {1, 2, 3, 4, 5, 6, 8, 9}) expectMask(type, map, w & (type >= 8 ? ~1 : ~0), h, rng());
  }
}

TEST(YuvMask, SixteenBitFollowsInit) {
  // YUV_blit_16bpp_mask writes the layout of the latest YUV_init.
  const std::vector<uint8_t> ones(kMapPitch * (kH / 16), 1);
  Frame f(kP, kH);
  f.randomize(40);
  const Target start(kYuvRgb565, 41);
  for (int type : {kYuvRgb555, kYuvRgb664}) {
    YUV_init(type);
    std::vector<uint8_t> d = start.bytes, want = start.bytes;
    YUV_blit_16bpp_mask(d.data(), int32_t(start.pitch), ones.data(), kMapPitch, f.data(), 48, 32, kP, kH, 0);
    yuvtest::referenceMask(type, want.data(), start.pitch, ones.data(), kMapPitch, f, 48, 32);
    EXPECT_EQ(d, want) << type;
  }
}

}  // namespace
