// Fixed tables and arithmetic of the format: dequantisation entries, prefix
// codes, colour bytes, the inverse transform, plane geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "decode/core/dequant_tables.h"
#include "decode/core/element_streams.h"
#include "decode/core/idct.h"
#include "decode/core/prefix_codes.h"
#include "decode/core/scan_orders.h"
#include "decode/zurn_frame.h"

using namespace tol;

namespace {

TEST(Dequantisation, TellingEntries) {
  const DequantTables& t = dequantTables();
  EXPECT_EQ(t.intra[0][0], 65536);
  EXPECT_EQ(t.inter[0][0], 65536);
  EXPECT_EQ(t.intra[0][1], 90901);
  EXPECT_EQ(t.inter[15][0], 2883584);
  EXPECT_EQ(t.intra[15][63], 1138655);
  EXPECT_EQ(t.inter[15][63], 452718);
  // The DC factor is the quantiser scale in both tables.
  const double scales[16] = {1, 4.0 / 3, 5.0 / 3, 2, 8.0 / 3, 3.5, 4, 5, 6, 8, 12, 17, 22, 28, 34, 44};
  for (int q = 0; q < 16; ++q) {
    EXPECT_EQ(t.intra[q][0], static_cast<int32_t>(std::floor(65536 * scales[q] + 0.5)));
    EXPECT_EQ(t.inter[q][0], t.intra[q][0]);
  }
}

// Every entry is the rule's value, except the 84 listed ones which are one
// greater; the rule is recomputed here from its own terms.
TEST(Dequantisation, RuleAndAllExceptions) {
  static const int kIntraExceptions[][2] = {
      {5, 33}, {6, 48}, {6, 53}, {7, 10}, {7, 21}, {7, 42}, {9, 8}, {9, 24}, {9, 35}, {10, 25}, {10, 48}, {11, 2},
      {11, 6}, {11, 20}, {11, 24}, {11, 28}, {11, 33}, {11, 35}, {12, 37}, {12, 40}, {12, 51}, {12, 59}, {13, 2},
      {13, 11}, {13, 12}, {13, 20}, {13, 29}, {13, 31}, {13, 48}, {13, 60}, {14, 1}, {14, 10}, {14, 11}, {14, 17},
      {14, 18}, {14, 19}, {14, 21}, {14, 25}, {14, 26}, {14, 29}, {14, 42}, {15, 21}, {15, 42}, {15, 44}, {15, 46},
      {15, 48}};
  static const int kInterExceptions[][2] = {
      {0, 18}, {1, 27}, {3, 33}, {4, 34}, {7, 18}, {8, 33}, {9, 34}, {9, 61}, {10, 3}, {10, 37}, {10, 40}, {11, 13},
      {11, 16}, {11, 18}, {11, 20}, {11, 25}, {11, 43}, {12, 14}, {12, 19}, {12, 26}, {12, 30}, {12, 33}, {13, 43},
      {13, 48}, {13, 49}, {14, 10}, {14, 19}, {14, 22}, {14, 26}, {14, 33}, {14, 54}, {15, 12}, {15, 17}, {15, 22},
      {15, 25}, {15, 27}, {15, 41}, {15, 55}};
  const double scales[16] = {1, 4.0 / 3, 5.0 / 3, 2, 8.0 / 3, 3.5, 4, 5, 6, 8, 12, 17, 22, 28, 34, 44};
  const double pi = std::acos(-1.0);
  auto a = [&](int k) { return k ? std::sqrt(2.0) * std::cos(k * pi / 16) : 1.0; };
  auto check = [&](const int32_t (&table)[16][64], const uint8_t* base, const int (*exc)[2], int n) {
    std::set<int> listed;
    for (int i = 0; i < n; ++i) listed.insert(exc[i][0] * 64 + exc[i][1]);
    ASSERT_EQ(static_cast<int>(listed.size()), n);
    for (int q = 0; q < 16; ++q)
      for (int pos = 0; pos < 64; ++pos) {
        const double v = base[pos] * a(pos / 8) * a(pos % 8) * 4096 * scales[q];
        const int32_t rule = static_cast<int32_t>(std::floor(v + 0.5));
        EXPECT_EQ(table[q][pos] - rule, listed.count(q * 64 + pos) ? 1 : 0) << "q " << q << " pos " << pos;
      }
  };
  const uint8_t intraM[64] = {16, 16, 16, 19, 16, 19, 22, 22, 22, 22, 26, 24, 26, 22, 22, 27, 27, 27, 26, 26, 26, 29,
                              29, 29, 27, 27, 27, 26, 34, 34, 34, 29, 29, 29, 27, 27, 37, 34, 34, 32, 32, 29, 29, 38,
                              37, 35, 35, 34, 35, 40, 40, 40, 38, 38, 48, 48, 46, 46, 58, 56, 56, 69, 69, 83};
  const uint8_t interM[64] = {16, 17, 17, 18, 18, 18, 19, 19, 19, 19, 20, 20, 20, 20, 20, 21, 21, 21, 21, 21, 21, 22,
                              22, 22, 22, 22, 22, 22, 23, 23, 23, 23, 23, 23, 23, 23, 24, 24, 24, 25, 24, 24, 24, 25,
                              26, 26, 26, 26, 25, 27, 27, 27, 27, 27, 28, 28, 28, 28, 30, 30, 30, 31, 31, 33};
  check(dequantTables().intra, intraM, kIntraExceptions, 46);
  check(dequantTables().inter, interM, kInterExceptions, 38);
}

TEST(PrefixCodes, LookupDecodesEveryCodeWordAndLengthsAreComplete) {
  const uint8_t longest[16] = {4, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 7, 7, 7};
  for (int t = 0; t < 16; ++t) {
    const PrefixCode& c = kPrefixCodes[t];
    EXPECT_EQ(c.longest, longest[t]);
    double kraft = 0;
    for (int p = 0; p < 16; ++p) {
      kraft += std::ldexp(1.0, -c.length[p]);
      // Any bits after the code word select the same entry.
      for (int tail = 0; tail < (1 << (c.longest - c.length[p])); ++tail) {
        const uint8_t e = c.lookup[c.bits[p] | tail << c.length[p]];
        EXPECT_EQ(e >> 4, c.length[p]);
        EXPECT_EQ(e & 15, p);
      }
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0) << "table " << t;
  }
  // Table 0 is the plain 4-bit value read least significant bit first:
  // position 1 is written "1000" (first bit read 1).
  EXPECT_EQ(kPrefixCodes[0].bits[1], 1);
  EXPECT_EQ(kPrefixCodes[0].bits[8], 8);
  // Table 7 position 6 is "110110": bits 1,1,0,1,1,0 in reading order.
  EXPECT_EQ(kPrefixCodes[7].bits[6], 0b011011);
}

TEST(Colours, ByteMapping) {
  EXPECT_EQ(colourFromCode(0), 128);
  EXPECT_EQ(colourFromCode(127), 255);
  EXPECT_EQ(colourFromCode(128), 128);
  EXPECT_EQ(colourFromCode(129), 127);
  EXPECT_EQ(colourFromCode(255), 1);
  for (int c = 1; c < 256; ++c) EXPECT_EQ(colourFromCode(colourCode(static_cast<uint8_t>(c))), c);
  EXPECT_EQ(colourFromCode(colourCode(0)), 1);  // 0 has no code
}

TEST(Scan, OrdersArePermutations) {
  std::set<int> scan(kCoefficientScan, kCoefficientScan + 64);
  EXPECT_EQ(scan.size(), 64u);
  EXPECT_EQ(kCoefficientScan[0], 0);
  EXPECT_EQ(kCoefficientScan[16], 20);
  for (const auto& order : kRunOrders) EXPECT_EQ(std::set<int>(order, order + 64).size(), 64u);
  EXPECT_EQ(kRunOrders[1][0], 59);
  EXPECT_EQ(kRunOrders[15][63], 7);
}

TEST(InverseTransform, DcOnlyBlockIsFlat) {
  int32_t coef[64] = {};
  coef[0] = 1024;  // 8 x 128 at quantiser 0
  uint8_t s[64];
  idctSamples(coef, dequantTables().intra[0], s);
  for (uint8_t v : s) EXPECT_EQ(v, 128);
  // (dc x 32 + 127) >> 8 with the DC factor of quantiser 3 (x 2): 100 x 64 = 6400.
  coef[0] = 100;
  idctSamples(coef, dequantTables().inter[3], s);
  for (uint8_t v : s) EXPECT_EQ(v, (6400 + 127) >> 8);
  // Negative samples keep their low 8 bits (no clamping).
  coef[0] = -8;
  idctSamples(coef, dequantTables().intra[0], s);
  for (uint8_t v : s) EXPECT_EQ(v, static_cast<uint8_t>((-256 + 127) >> 8));
}

// One AC coefficient against the butterfly worked by hand.
TEST(InverseTransform, SingleAcCoefficient) {
  int32_t coef[64] = {};
  coef[1] = 64;  // row 0, column 1; factor 90901 at quantiser 0
  uint8_t s[64];
  idctSamples(coef, dequantTables().intra[0], s);
  // Column 1 is s0 = (64 x 90901) >> 11 = 2840 in every row; each row then
  // has only input 1: a6 = a7 = 2840, b0 = 2840, b1 = (2840 x 3784) >> 11.
  const int32_t x = (64 * 90901) >> 11;
  const int32_t b0 = x, b1 = (x * 3784) >> 11;
  const int32_t b2 = -b0 + b1;
  const int32_t b3 = ((x * 2896) >> 11) - b2;
  const int32_t b4 = ((x * 2217) >> 11) + b3 - b1;
  const int32_t out[8] = {b0, b2, b3, -b4, b4, -b3, -b2, -b0};
  for (int r = 0; r < 8; ++r)
    for (int k = 0; k < 8; ++k) EXPECT_EQ(s[8 * r + k], static_cast<uint8_t>((out[k] + 127) >> 8)) << r << "," << k;
}

TEST(InverseTransform, PutScaledAndAddForms) {
  int32_t coef[64] = {};
  coef[0] = 800;
  coef[9] = -30;
  uint8_t s[64], big[16 * 16], pred[64], sum[64];
  idctSamples(coef, dequantTables().intra[2], s);
  idctPutScaled(big, 16, coef, dequantTables().intra[2]);
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) EXPECT_EQ(big[16 * r + c], s[8 * (r / 2) + c / 2]);
  for (int i = 0; i < 64; ++i) pred[i] = static_cast<uint8_t>(i * 5);
  idctAdd(sum, 8, pred, 8, coef, dequantTables().intra[2]);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(sum[i], static_cast<uint8_t>(pred[i] + s[i]));
}

TEST(Geometry, HundredBySixty) {
  const FrameGeometry g = frameGeometry(100, 60);
  EXPECT_EQ(g.lumaWidth, 104u);
  EXPECT_EQ(g.lumaHeight, 64u);
  EXPECT_EQ(g.chromaWidth, 56u);
  EXPECT_EQ(g.chromaHeight, 32u);
  EXPECT_EQ(g.lumaPitch, 112u);
  EXPECT_EQ(g.lumaBufferHeight, 64u);
  EXPECT_EQ(g.frameBytes, 112u * 64 + 2 * 56 * 32);
  EXPECT_EQ(g.mapPitch, 7u);
  EXPECT_EQ(g.mapBytes, 28u);
  const FrameGeometry s = frameGeometry(20, 8);
  EXPECT_EQ(s.lumaPitch, 32u);
  EXPECT_EQ(s.lumaBufferHeight, 16u);
  EXPECT_EQ(s.chromaWidth, 16u);
  EXPECT_EQ(s.chromaHeight, 8u);
}

TEST(ElementStreams, CountWidthsAndCapacities) {
  // 511 + 1 x 13 = 524 -> 10 bits; colours 511 + 64 x 13 = 1343 -> 11 bits;
  // sub-block types use half the width: 511 + 6 = 517 -> 10 bits.
  EXPECT_EQ(streamCountBits(kBlockTypes, 104), 10u);
  EXPECT_EQ(streamCountBits(kColours, 104), 11u);
  EXPECT_EQ(streamCountLimit(kSubBlockTypes, 104), 517u);
  EXPECT_EQ(streamCountBits(kRunLengths, 1024), 13u);  // 511 + 48 x 128 = 6655
  EXPECT_EQ(streamCapacity(kColours, 112), 512u + 64 * 14);
  EXPECT_EQ(streamBufferBytes(kIntraDC, 112), (2u * (512 + 14) + 3) & ~3u);
  EXPECT_EQ(streamBufferBytes(kBlockTypes, 112), 528u);  // 526 rounded up to 4
}

}  // namespace
