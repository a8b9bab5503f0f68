// Full YUV blitters: table values, pixel layouts, row and column phases,
// the even-coordinate refusals and YV12 plane placement.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "decode/yuv.h"
#include "decode/yuv_tables.h"
#include "yuv_reference.h"

using namespace tol;
using yuvtest::Frame;

namespace {

TEST(YuvTables, TellingValues) {
  const YuvTables& t = kYuvTables;
  EXPECT_EQ(t.red[0], -204);
  EXPECT_EQ(t.greenCr[0], 104);
  EXPECT_EQ(t.greenCb[0], 50);
  EXPECT_EQ(t.blue[0], -258);
  EXPECT_EQ(t.red[255], 202);
  EXPECT_EQ(t.blue[255], 256);
  EXPECT_EQ(t.luma[255], 278);
  EXPECT_EQ(t.luma[16], 0);
  EXPECT_EQ(t.luma[0], 0);
  EXPECT_EQ(t.luma[17], 1);
  // Centred on 128: neutral chroma adds nothing.
  EXPECT_EQ(t.red[128] | t.greenCr[128] | t.greenCb[128] | t.blue[128], 0);
}

TEST(YuvTables, ClampAndPackingCoverEverySum) {
  const YuvTables& t = kYuvTables;
  for (int s = -kYuvSumBias; s < kYuvSumRange - kYuvSumBias; ++s) {
    const int c = std::clamp(s, 0, 255);
    ASSERT_EQ(t.clamp[s + kYuvSumBias], c) << s;
    for (int type = 3; type <= 6; ++type) {
      const auto& p = t.pack[type - 3];
      const uint16_t v = p[0][s + kYuvSumBias] | p[1][s + kYuvSumBias] | p[2][s + kYuvSumBias];
      ASSERT_EQ(v, yuvtest::pack16(type, {c, c, c})) << type << " " << s;
    }
  }
}

// The first pixel of a 32-pixel row (long enough for the widest loops) with
// the given samples; returns its destination bytes (all 4 for 32-bit).
std::vector<uint8_t> convertOne(int type, int y, int cr, int cb, YuvIsa isa) {
  Frame f(32, 16);
  std::fill(f.bytes.begin(), f.bytes.end(), 0);
  f.y(0, 0) = uint8_t(y);
  f.cr(0, 0) = uint8_t(cr);
  f.cb(0, 0) = uint8_t(cb);
  std::vector<uint8_t> d(32 * 4, 0xEE);
  yuvBlit(type, isa, d.data(), 0, 0, 128, f.data(), 0, 0, 32, 1, 32, 16);
  d.resize(size_t(yuvtest::bytesPerPixel(type)));
  return d;
}

const YuvIsa kAllIsas[] = {YuvIsa::Plain, YuvIsa::Sse2, YuvIsa::Avx2};

TEST(YuvBlit, TellingPixels) {
  for (YuvIsa isa : kAllIsas) {
    SCOPED_TRACE(int(isa));
    EXPECT_EQ(convertOne(kYuvRgb32, 16, 128, 128, isa), (std::vector<uint8_t>{0, 0, 0, 0xEE}));
    EXPECT_EQ(convertOne(kYuvRgb32, 235, 128, 128, isa), (std::vector<uint8_t>{254, 254, 254, 0xEE}));
    EXPECT_EQ(convertOne(kYuvRgb32, 255, 128, 128, isa), (std::vector<uint8_t>{255, 255, 255, 0xEE}));
    // 130 + 202 clamped; 130 - 103; 130.
    EXPECT_EQ(convertOne(kYuvRgb24, 128, 255, 128, isa), (std::vector<uint8_t>{255, 27, 130}));
    // Blue from 0 + B[0] = -258 and from 278 + B[255] = 534 clamps.
    EXPECT_EQ(convertOne(kYuvRgb24, 0, 128, 0, isa)[2], 0);
    EXPECT_EQ(convertOne(kYuvRgb24, 255, 128, 255, isa)[2], 255);
  }
}

TEST(YuvBlit, SixteenBitLayouts) {
  // Red 255, green 27, blue 130 in each layout, as little-endian words.
  const uint16_t expected[4] = {
      31 | (27 >> 3) << 5 | (130 >> 3) << 10,  // 5-5-5: bit 15 stays 0
      31 | (27 >> 2) << 5 | (130 >> 3) << 11,  // 5-6-5
      63 | (27 >> 3) << 6 | (130 >> 3) << 11,  // 6-5-5
      63 | (27 >> 2) << 6 | (130 >> 4) << 12,  // 6-6-4: blue keeps 4 bits
  };
  for (YuvIsa isa : kAllIsas)
    for (int type = 3; type <= 6; ++type) {
      const std::vector<uint8_t> d = convertOne(type, 128, 255, 128, isa);
      EXPECT_EQ(d[0] | d[1] << 8, expected[type - 3]) << type;
    }
  // White fills every layout's bits except 5-5-5's bit 15.
  for (int type = 3; type <= 6; ++type) {
    const std::vector<uint8_t> d = convertOne(type, 255, 128, 128, YuvIsa::Plain);
    EXPECT_EQ(d[0] | d[1] << 8, type == 3 ? 0x7FFF : 0xFFFF) << type;
  }
}

TEST(YuvBlit, PackedSampleOrder) {
  Frame f(16, 16);
  f.randomize(1);
  f.y(0, 0) = 10, f.y(1, 0) = 11, f.cr(0, 0) = 20, f.cb(0, 0) = 30;
  std::vector<uint8_t> d(64);
  yuvBlit(kYuvYUY2, YuvIsa::Plain, d.data(), 0, 0, 64, f.data(), 0, 0, 2, 1, 16, 16);
  EXPECT_EQ(std::vector<uint8_t>(d.begin(), d.begin() + 4), (std::vector<uint8_t>{10, 20, 11, 30}));
  yuvBlit(kYuvUYVY, YuvIsa::Plain, d.data(), 0, 0, 64, f.data(), 0, 0, 2, 1, 16, 16);
  EXPECT_EQ(std::vector<uint8_t>(d.begin(), d.begin() + 4), (std::vector<uint8_t>{20, 10, 30, 11}));
}

// Blits a rectangle with every loop kind and compares the whole destination,
// including what lies outside the rectangle, with the reference.
void expectMatchesReference(int type, int dx, int dy, int sx, int sy, int w, int h, uint32_t seed) {
  Frame f(64, 48);
  f.randomize(seed);
  const int bpp = yuvtest::bytesPerPixel(type);
  const ptrdiff_t pitch = 80 * bpp + 4;
  const std::vector<uint8_t> start = yuvtest::randomBytes(size_t(pitch) * 60, seed + 1);
  std::vector<uint8_t> want = start;
  yuvtest::referenceBlit(type, want.data(), dx, dy, pitch, f, sx, sy, w, h);
  for (YuvIsa isa : kAllIsas) {
    std::vector<uint8_t> got = start;
    yuvBlit(type, isa, got.data(), dx, dy, int32_t(pitch), f.data(), sx, sy, w, h, 64, 48);
    ASSERT_EQ(got, want) << "type " << type << " isa " << int(isa) << " at " << sx << "," << sy << " " << w
                         << "x" << h;
  }
}

TEST(YuvBlit, OddSourceRowsAndColumns) {
  for (int type : {1, 2, 3, 4, 5, 6})
    for (int sx : {0, 1, 2, 3})
      for (int sy : {0, 1, 2, 3}) {
        expectMatchesReference(type, 5, 7, sx, sy, 37, 9, uint32_t(type * 100 + sx * 10 + sy));
        expectMatchesReference(type, 0, 0, sx, sy, 1, 1, uint32_t(type * 100 + sx * 10 + sy));
      }
}

TEST(YuvBlit, PackedRectangles) {
  for (int type : {8, 9})
    for (int sy : {0, 1}) expectMatchesReference(type, 6, 3, 2, sy, 50, 7, uint32_t(type + sy));
}

TEST(YuvBlit, PackedRefusesOddColumns) {
  Frame f(64, 48);
  f.randomize(3);
  const std::vector<uint8_t> start = yuvtest::randomBytes(160 * 40, 4);
  for (int type : {8, 9})
    for (auto [dx, sx, w] : {std::tuple{3, 0, 8}, {0, 1, 8}, {0, 0, 7}}) {
      std::vector<uint8_t> d = start;
      yuvBlit(type, YuvIsa::Plain, d.data(), dx, 0, 160, f.data(), sx, 0, w, 4, 64, 48);
      EXPECT_EQ(d, start) << type << " " << dx << " " << sx << " " << w;
    }
  std::vector<uint8_t> d = start;
  YUV_blit_YUY2(d.data(), 3, 0, 160, f.data(), 0, 0, 8, 4, 64, 48, 0);
  EXPECT_EQ(d, start);
}

TEST(YuvBlit, EmptyRectangleWritesNothing) {
  Frame f(32, 32);
  f.randomize(5);
  const std::vector<uint8_t> start = yuvtest::randomBytes(128 * 32, 6);
  for (int type : {1, 2, 3, 8})
    for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {-2, 4}, {4, -1}}) {
      std::vector<uint8_t> d = start;
      yuvBlit(type, YuvIsa::Sse2, d.data(), 0, 0, 128, f.data(), 0, 0, w, h, 32, 32);
      EXPECT_EQ(d, start);
    }
}

TEST(YuvBlit, BottomUpPitch) {
  // A negative pitch walks the destination upwards from the given row.
  Frame f(32, 16);
  f.randomize(7);
  const int pitch = 32 * 4, rows = 10;
  std::vector<uint8_t> up(size_t(pitch) * rows, 0), down(size_t(pitch) * rows, 0);
  yuvBlit(kYuvRgb32, YuvIsa::Sse2, up.data() + (rows - 1) * pitch, 0, 0, -pitch, f.data(), 0, 0, 32, rows, 32, 16);
  yuvBlit(kYuvRgb32, YuvIsa::Plain, down.data(), 0, 0, pitch, f.data(), 0, 0, 32, rows, 32, 16);
  for (int r = 0; r < rows; ++r)
    EXPECT_EQ(0, std::memcmp(&up[size_t(rows - 1 - r) * pitch], &down[size_t(r) * pitch], size_t(pitch))) << r;
}

TEST(YuvBlit, Yv12Planes) {
  Frame f(64, 32);
  f.randomize(8);
  const int dpitch = 40, dheight = 24;
  const size_t size = size_t(dpitch) * dheight * 3 / 2;
  const std::vector<uint8_t> start = yuvtest::randomBytes(size, 9);
  std::vector<uint8_t> d = start;
  YUV_blit_YV12(d.data(), 4, 6, dpitch, dheight, f.data(), 2, 8, 10, 12, 64, 32, 0);
  std::vector<uint8_t> want = start;
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 10; ++i) want[size_t(6 + j) * dpitch + 4 + i] = f.y(2 + i, 8 + j);
  uint8_t* cbPlane = want.data() + dpitch * dheight;
  uint8_t* crPlane = cbPlane + (dpitch / 2) * (dheight / 2);
  for (int j = 0; j < 6; ++j)
    for (int i = 0; i < 5; ++i) {
      cbPlane[(3 + j) * (dpitch / 2) + 2 + i] = f.cb(1 + i, 4 + j);
      crPlane[(3 + j) * (dpitch / 2) + 2 + i] = f.cr(1 + i, 4 + j);
    }
  EXPECT_EQ(d, want);
}

TEST(YuvBlit, Yv12RefusesOddValues) {
  Frame f(64, 32);
  f.randomize(10);
  const std::vector<uint8_t> start = yuvtest::randomBytes(40 * 24 * 3 / 2, 11);
  const int ok[6] = {4, 6, 2, 8, 10, 12};  // dx, dy, sx, sy, w, h
  for (int odd = 0; odd < 6; ++odd) {
    int a[6];
    std::copy(ok, ok + 6, a);
    a[odd] += 1;
    std::vector<uint8_t> d = start;
    YUV_blit_YV12(d.data(), a[0], a[1], 40, 24, f.data(), a[2], a[3], a[4], a[5], 64, 32, 0);
    EXPECT_EQ(d, start) << "odd argument " << odd;
  }
}

}  // namespace
