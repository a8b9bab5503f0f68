// Pixel kernels of the frame conversion and the 24-bit working copy.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "media/frame_pixels.h"
#include "media/gfile.h"
#include "platform/alloc.h"

namespace {

struct KernelCase {
  const char* what;
  int32_t bits;
  std::vector<uint8_t> row;  // one source row
  std::vector<uint32_t> expected;
};

class TrueColour : public ::testing::TestWithParam<KernelCase> {};

TEST_P(TrueColour, ConvertsEachDepth) {
  const KernelCase& c = GetParam();
  std::vector<uint8_t> palette(768);
  for (int i = 0; i < 256; ++i) palette[i * 3] = uint8_t(i), palette[i * 3 + 1] = 1, palette[i * 3 + 2] = 2;
  std::vector<uint32_t> out(c.expected.size(), 0xDEAD);
  tol::PixelRows src{c.row.data(), 0, c.bits, 0};
  tol::trueColourRows(src, palette.data(), reinterpret_cast<uint8_t*>(out.data()), 0, int32_t(out.size()), 1);
  EXPECT_EQ(out, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Depths, TrueColour,
    ::testing::Values(KernelCase{"16 bits: 0x7FFF is 0xF8F8F8, bit 15 ignored",
                                 16,
                                 {0xFF, 0x7F, 0x00, 0x7C, 0x1F, 0x80},
                                 {0xF8F8F8, 0xF80000, 0x0000F8}},
                      KernelCase{"24 bits: blue, green, red", 24, {1, 2, 3, 4, 5, 6}, {0x030201, 0x060504}},
                      KernelCase{"32 bits: the top byte cleared", 32, {1, 2, 3, 0xFF}, {0x030201}},
                      KernelCase{"8 bits through the palette", 8, {7, 200}, {0x070102, 0xC80102}},
                      KernelCase{"4 bits: the left pixel in the high nibble", 4, {0x3A}, {0x030102, 0x0A0102}},
                      KernelCase{"1 bit: the left pixel in the high bit", 1, {0x80}, {0x010102, 0x000102}}));

// The working copy of a 12 x 12 picture of one kind of content.
struct ShadingCase {
  const char* what;
  std::function<uint8_t(int32_t x, int32_t y)> grey;
  bool evened;  // inner pixels requantised to steps of 16
};

class WorkingCopy : public ::testing::TestWithParam<ShadingCase> {};

TEST_P(WorkingCopy, EvensOutOnlySoftShading) {
  const ShadingCase& c = GetParam();
  constexpr int32_t n = 12;
  std::vector<uint8_t> src(n * n * 3);
  for (int32_t y = 0; y < n; ++y)
    for (int32_t x = 0; x < n; ++x)
      for (int k = 0; k < 3; ++k) src[size_t((y * n + x) * 3 + k)] = c.grey(x, y);
  tol::GFileState g;
  g.place.copyWidth = g.place.copyHeight = n;
  g.frame.pixels = src.data();
  g.frame.pitch = n * 3;
  g.frame.bits = 24;
  tol::makeWorkingCopy(g);
  ASSERT_NE(g.working, nullptr);
  EXPECT_EQ(g.workingPitch, n * 3);
  int32_t changed = 0;
  for (int32_t y = 0; y < n; ++y)
    for (int32_t x = 0; x < n; ++x)
      for (int k = 0; k < 3; ++k) {
        const uint8_t before = src[size_t((y * n + x) * 3 + k)], after = g.working[(y * n + x) * 3 + k];
        const bool border = x == 0 || y == 0 || x == n - 1 || y == n - 1;
        if (border || !c.evened) {
          ASSERT_EQ(after, before) << c.what << " at " << x << "," << y;
          continue;
        }
        EXPECT_EQ(after % 16, 0) << c.what;
        EXPECT_LE(std::abs(int(after) - int(before)), 16) << c.what;
        changed += after != before;
      }
  if (c.evened) {
    EXPECT_GT(changed, 0);
  }
  tol::tolfree(g.working);
  tol::tolfree(g.workingPlain);
  g.working = g.workingPlain = nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    Content, WorkingCopy,
    ::testing::Values(ShadingCase{"flat area", [](int32_t, int32_t) -> uint8_t { return 100; }, false},
                      ShadingCase{"sharp edge", [](int32_t x, int32_t) -> uint8_t { return x < 6 ? 20 : 200; }, false},
                      ShadingCase{"soft shading", [](int32_t x, int32_t y) -> uint8_t { return uint8_t(101 + (x + y) % 3); },
                                  true},
                      ShadingCase{"dark soft shading", [](int32_t x, int32_t y) -> uint8_t { return uint8_t(10 + (x + y) % 3); },
                                  false}));

}  // namespace
