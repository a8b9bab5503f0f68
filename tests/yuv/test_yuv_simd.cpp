// The SSE2 and AVX2 loops give exactly the pixels of the plain loops.
#include <gtest/gtest.h>

#include <vector>

#include "decode/yuv.h"
#include "yuv_reference.h"

using namespace tol;
using yuvtest::Frame;

namespace {

const YuvIsa kWideIsas[] = {YuvIsa::Sse2, YuvIsa::Avx2};

void skipUnlessSupported(YuvIsa isa) {
  if (yuvBestIsa() < isa) GTEST_SKIP() << "processor lacks these instructions";
}

class YuvSimd : public testing::TestWithParam<YuvIsa> {};

TEST_P(YuvSimd, RandomPlanesOfManySizes) {
  skipUnlessSupported(GetParam());
  std::mt19937 rng(uint32_t(GetParam()) * 7919);
  for (int round = 0; round < 60; ++round) {
    const int P = 16 * (1 + int(rng() % 12)), H = 16 * (1 + int(rng() % 4));
    Frame f(P, H);
    f.randomize(rng());
    const int sx = int(rng() % uint32_t(P)), sy = int(rng() % uint32_t(H));
    const int w = 1 + int(rng() % uint32_t(P - sx)), h = 1 + int(rng() % uint32_t(H - sy));
    const int dx = int(rng() % 5), dy = int(rng() % 3);
    for (int type : {1, 2, 3, 4, 5, 6, 8, 9}) {
      const int bpp = yuvtest::bytesPerPixel(type);
      const ptrdiff_t pitch = ptrdiff_t(P + 8) * bpp;
      const std::vector<uint8_t> start = yuvtest::randomBytes(size_t(pitch) * (H + 4), rng());
      std::vector<uint8_t> plain = start, wide = start;
      const int x0 = type >= 8 ? dx & ~1 : dx, s0 = type >= 8 ? sx & ~1 : sx;
      yuvBlit(type, YuvIsa::Plain, plain.data(), x0, dy, int32_t(pitch), f.data(), s0, sy, w, h, P, H);
      yuvBlit(type, GetParam(), wide.data(), x0, dy, int32_t(pitch), f.data(), s0, sy, w, h, P, H);
      ASSERT_EQ(wide, plain) << "type " << type << " " << w << "x" << h << " from " << s0 << "," << sy;
      if (round % 10 == 0) {
        std::vector<uint8_t> want = start;
        yuvtest::referenceBlit(type, want.data(), x0, dy, pitch, f, s0, sy, w, h);
        ASSERT_EQ(plain, want) << "type " << type;
      }
    }
  }
}

// Every (Cr, Cb) pair, each with four luma values per frame; over 64 frames
// every luma value meets every chroma pair.
TEST_P(YuvSimd, EveryColour) {
  skipUnlessSupported(GetParam());
  Frame f(512, 512);
  for (int j = 0; j < 256; ++j)
    for (int i = 0; i < 256; ++i) f.cr(i, j) = uint8_t(j), f.cb(i, j) = uint8_t(i);
  std::vector<uint8_t> plain(512 * 512 * 4), wide(plain.size());
  for (int frame = 0; frame < 64; ++frame) {
    for (int j = 0; j < 512; ++j)
      for (int i = 0; i < 512; ++i) f.y(i, j) = uint8_t(frame * 4 + (j & 1) * 2 + (i & 1) + i / 2 + j / 2);
    yuvBlit(kYuvRgb32, YuvIsa::Plain, plain.data(), 0, 0, 2048, f.data(), 0, 0, 512, 512, 512, 512);
    yuvBlit(kYuvRgb32, GetParam(), wide.data(), 0, 0, 2048, f.data(), 0, 0, 512, 512, 512, 512);
    ASSERT_EQ(wide, plain) << "frame " << frame;
  }
  // The plain loops are the formulas.
  for (int j = 0; j < 512; j += 3)
    for (int i = 0; i < 512; i += 5) {
      const yuvtest::Rgb c = yuvtest::referenceRgb(f.y(i, j), f.cr(i / 2, j / 2), f.cb(i / 2, j / 2));
      const uint8_t* p = &plain[size_t(j) * 2048 + size_t(i) * 4];
      ASSERT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{c.r, c.g, c.b}));
    }
}

INSTANTIATE_TEST_SUITE_P(Isa, YuvSimd, testing::ValuesIn(kWideIsas),
                         [](const testing::TestParamInfo<YuvIsa>& i) {
                           return i.param == YuvIsa::Avx2 ? "Avx2" : "Sse2";
                         });

TEST(YuvIsaChoice, OnlyThePlainFlagCounts) {
  EXPECT_EQ(yuvIsaForFlags(kYuvPlainLoops | 0x8000000u), YuvIsa::Plain);
  EXPECT_EQ(yuvIsaForFlags(0xFF7FFFFFu), yuvBestIsa());
}

}  // namespace
