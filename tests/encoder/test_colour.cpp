// Colour conversion into the encoder's planes: the fixed-point formulas,
// the middle-values chroma rule, edge padding and line mode.
#include <gtest/gtest.h>

#include <vector>

#include "encoder/colour_convert.h"

namespace {

using tol::PlaneGeometry;

struct Planes {
  PlaneGeometry g;
  std::vector<uint8_t> y, cr, cb;
};

Planes convert(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, uint32_t lineMode = 0,
               int32_t pitch = 0) {
  Planes p;
  p.g = tol::planeGeometry(width, height);
  p.y.assign(size_t{p.g.lumaWidth} * p.g.lumaHeight, 0);
  p.cr.assign(size_t{p.g.chromaWidth} * p.g.chromaHeight, 0);
  p.cb = p.cr;
  tol::convertFrame(pixels.data(), pitch ? pitch : static_cast<int32_t>(4 * width), width, height, lineMode, p.g,
                    p.y.data(), p.cr.data(), p.cb.data());
  return p;
}

std::vector<uint8_t> solid(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> px(size_t{width} * height * 4);
  for (size_t i = 0; i < px.size(); i += 4) px[i] = r, px[i + 1] = g, px[i + 2] = b, px[i + 3] = 0xEE;
  return px;
}

TEST(ColourConversion, WhiteAndBlack) {
  Planes white = convert(solid(2, 2, 255, 255, 255), 2, 2);
  EXPECT_EQ(white.y[0], 234);
  EXPECT_EQ(white.cr[0], 128);
  EXPECT_EQ(white.cb[0], 128);
  Planes black = convert(solid(2, 2, 0, 0, 0), 2, 2);
  EXPECT_EQ(black.y[0], 16);
  EXPECT_EQ(black.cr[0], 128);
  EXPECT_EQ(black.cb[0], 128);
}

TEST(ColourConversion, ByteZeroIsRedAndDivisionsRoundTowardZero) {
  Planes red = convert(solid(2, 2, 255, 0, 0), 2, 2);
  EXPECT_EQ(red.y[0], ((263 * 255) >> 10) + 16);
  EXPECT_EQ(red.cr[0], 450 * 255 / 1024 + 128);
  EXPECT_EQ(red.cb[0], 128 - 152 * 255 / 1024);  // -37.85 becomes -37
  Planes blue = convert(solid(2, 2, 0, 0, 255), 2, 2);
  EXPECT_EQ(blue.cr[0], 128 - 73 * 255 / 1024);
  EXPECT_EQ(blue.cb[0], 450 * 255 / 1024 + 128);
}

TEST(ColourConversion, ChromaIsTheMeanOfTheTwoMiddleValues) {
  EXPECT_EQ(tol::middleMean(10, 20, 200, 30), 25);
  // Pixels whose Cr values (from the formula) are 128 + {0, 20, 100, 50}.
  std::vector<uint8_t> px(16, 0);
  const int reds[4] = {0, 46, 228, 114};  // Cr = 450 R / 1024 + 128 with G = B = 0
  for (int i = 0; i < 4; ++i) px[4 * i] = static_cast<uint8_t>(reds[i]);
  Planes p = convert(px, 2, 2);
  int cr[4];
  for (int i = 0; i < 4; ++i) cr[i] = 450 * reds[i] / 1024 + 128;
  EXPECT_EQ(p.cr[0], tol::middleMean(cr[0], cr[1], cr[2], cr[3]));
  EXPECT_NE(p.cr[0], (cr[0] + cr[1] + cr[2] + cr[3]) / 4);
}

TEST(ColourConversion, OnePixelFillsWholePlanes) {
  Planes p = convert(solid(1, 1, 200, 100, 50), 1, 1);
  EXPECT_EQ(p.g.lumaWidth, 8u);
  EXPECT_EQ(p.g.chromaHeight, 8u);
  for (uint8_t v : p.y) EXPECT_EQ(v, p.y[0]);
  for (uint8_t v : p.cr) EXPECT_EQ(v, p.cr[0]);
  for (uint8_t v : p.cb) EXPECT_EQ(v, p.cb[0]);
}

TEST(ColourConversion, EdgesRepeatTheLastColumnAndRow) {
  // 20 x 3 picture with a different colour in every column.
  const uint32_t w = 20, h = 3;
  std::vector<uint8_t> px(w * h * 4);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) px[4 * (y * w + x)] = static_cast<uint8_t>(10 * x + 40 * y);
  Planes p = convert(px, w, h);
  ASSERT_EQ(p.g.lumaWidth, 24u);
  ASSERT_EQ(p.g.chromaWidth, 16u);
  for (uint32_t y = 0; y < p.g.lumaHeight; ++y)
    for (uint32_t x = 20; x < 24; ++x) EXPECT_EQ(p.y[y * 24 + x], p.y[y * 24 + 19]);
  for (uint32_t y = 3; y < p.g.lumaHeight; ++y) EXPECT_EQ(p.y[y * 24 + 5], p.y[2 * 24 + 5]);
  for (uint32_t y = 0; y < p.g.chromaHeight; ++y)
    for (uint32_t x = 10; x < 16; ++x) EXPECT_EQ(p.cr[y * 16 + x], p.cr[y * 16 + 9]);
  // The odd last row pairs with itself.
  std::vector<uint8_t> lastRow(px.begin() + 2 * w * 4, px.end());
  lastRow.insert(lastRow.end(), lastRow.begin(), lastRow.end());
  Planes twice = convert(lastRow, w, 2);
  EXPECT_EQ(std::vector<uint8_t>(p.cr.begin() + 16, p.cr.begin() + 26),
            std::vector<uint8_t>(twice.cr.begin(), twice.cr.begin() + 10));
}

TEST(ColourConversion, LineModeTakesEveryOtherRow) {
  const uint32_t w = 8, rows = 8;
  std::vector<uint8_t> px(w * rows * 4);
  for (uint32_t y = 0; y < rows; ++y)
    for (uint32_t x = 0; x < w; ++x) px[4 * (y * w + x) + 1] = static_cast<uint8_t>(20 * y);
  Planes halved = convert(px, w, rows / 2, 1);
  for (uint32_t y = 0; y < rows / 2; ++y) EXPECT_EQ(halved.y[y * 8], ((516 * 20 * 2 * y) >> 10) + 16) << y;
}

TEST(ColourConversion, NegativePitchReadsBottomUp) {
  const uint32_t w = 4, h = 4;
  std::vector<uint8_t> px(w * h * 4);
  for (uint32_t y = 0; y < h; ++y) px[4 * y * w] = static_cast<uint8_t>(50 * y);
  Planes down = convert(px, w, h);
  std::vector<uint8_t> flipped(px.size());
  for (uint32_t y = 0; y < h; ++y)
    std::copy(px.begin() + 4 * w * y, px.begin() + 4 * w * (y + 1), flipped.begin() + 4 * w * (h - 1 - y));
  Planes p;
  p.g = tol::planeGeometry(w, h);
  p.y.assign(64, 0), p.cr.assign(64, 0), p.cb.assign(64, 0);
  tol::convertFrame(flipped.data() + 4 * w * (h - 1), -static_cast<int32_t>(4 * w), w, h, 0, p.g, p.y.data(),
                    p.cr.data(), p.cb.data());
  EXPECT_EQ(p.y, down.y);
  EXPECT_EQ(p.cr, down.cr);
}

}  // namespace
