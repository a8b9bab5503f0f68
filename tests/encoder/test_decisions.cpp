// Block coding decisions: option lists of 8x8 blocks and 16x16 areas, the
// motion search order, the forward transform against the decoder's inverse,
// and the pruning and thinning of lists.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decode/core/coefficient_coder.h"
#include "decode/core/dequant_tables.h"
#include "decode/core/scan_orders.h"
#include "decode/core/idct.h"
#include "encoder/block_options.h"
#include "encoder/coefficient_cost.h"
#include "encoder/forward_transform.h"
#include "encoder/motion_search.h"
#include "encoder/option_pruning.h"
#include "encoder/pixel_kernels.h"

namespace {

using namespace tol;

const uint32_t kEst[8] = {300, 200, 1200, 10000, 1500, 2000, 1500, 600};

std::vector<uint8_t> types(const BlockChoices& r) {
  return std::vector<uint8_t>(r.optionType, r.optionType + r.optionCount);
}

BlockSamples keyBlock(const uint8_t* src) {
  BlockSamples b{};
  std::memcpy(b.src, src, 64);
  b.delta = false;
  return b;
}

std::vector<uint8_t> noise(uint32_t seed, int n, int lo = 20, int hi = 230) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> d(lo, hi);
  std::vector<uint8_t> v(n);
  for (auto& x : v) x = static_cast<uint8_t>(d(rng));
  return v;
}

void expectMonotone(const BlockChoices& r) {
  for (int i = 1; i < r.optionCount; ++i) {
    EXPECT_GT(r.optionSize[i], r.optionSize[i - 1]);
    EXPECT_LT(r.optionError[i], r.optionError[i - 1]);
  }
}

TEST(BlockOptions, UnchangedBlockOfADeltaFrameIsOnlySkipped) {
  auto src = noise(1, 64);
  BlockSamples b = keyBlock(src.data());
  b.delta = true;
  std::memcpy(b.ref, b.src, 64);
  std::memcpy(b.mc, b.src, 64);
  BlockChoices r{};
  buildBlockOptions(b, kEst, r);
  EXPECT_EQ(types(r), std::vector<uint8_t>{kSkipBlock});
  EXPECT_EQ(r.optionSize[0], int32_t(kEst[0]));  // the block type symbol
}

TEST(BlockOptions, FlatBlockOfAKeyframeIsOnlyFilled) {
  uint8_t flat[64];
  std::memset(flat, 77, 64);
  BlockChoices r{};
  buildBlockOptions(keyBlock(flat), kEst, r);
  EXPECT_EQ(types(r), std::vector<uint8_t>{kFillBlock});
  EXPECT_EQ(r.optionParam[0], 77);
  EXPECT_EQ(r.optionError[0], 0u);
}

TEST(BlockOptions, TwoValuesEndInAnExactPattern) {
  uint8_t two[64];
  for (int i = 0; i < 64; ++i) two[i] = (i * 7) % 3 ? 40 : 200;
  BlockChoices r{};
  buildBlockOptions(keyBlock(two), kEst, r);
  ASSERT_GE(r.optionCount, 2);
  EXPECT_EQ(r.optionType[r.optionCount - 1], kPatternBlock);
  EXPECT_EQ(r.optionError[r.optionCount - 1], 0u);
  EXPECT_EQ(r.optionParam[r.optionCount - 1], 40 + 256 * 200);
  expectMonotone(r);
}

TEST(BlockOptions, KeyframeListsHoldNoPredictedTypes) {
  for (uint32_t seed = 0; seed < 20; ++seed) {
    auto src = noise(seed, 64, 40 + seed, 60 + 8 * seed);
    BlockChoices r{};
    buildBlockOptions(keyBlock(src.data()), kEst, r);
    ASSERT_GE(r.optionCount, 1);
    EXPECT_LE(r.optionCount, kMaxBlockOptions);
    EXPECT_EQ(r.optionError[r.optionCount - 1], 0u);  // the list reaches the exact coding
    for (uint8_t t : types(r)) EXPECT_TRUE(t == kFillBlock || t == kPatternBlock || t == kRunBlock || t == kIntraBlock || t == kRawBlock) << int(t);
    expectMonotone(r);
  }
}

TEST(BlockOptions, NoTransformWhenTheFinestQuantiserRemovesEveryAc) {
  uint8_t nearlyFlat[64];
  std::memset(nearlyFlat, 100, 64);
  nearlyFlat[27] = 101;
  int16_t in[64];
  for (int i = 0; i < 64; ++i) in[i] = nearlyFlat[i];
  int32_t coef[64], level[64];
  forwardTransform(in, coef);
  ASSERT_FALSE(quantiseBlock(coef, quantReciprocals().intra[0], level));
  BlockChoices r{};
  buildBlockOptions(keyBlock(nearlyFlat), kEst, r);
  for (uint8_t t : types(r)) EXPECT_NE(t, kIntraBlock);
}

TEST(BlockOptions, DeltaBlocksOfferPredictedCodings) {
  auto ref = noise(3, 64);
  BlockSamples b{};
  b.delta = true;
  std::memcpy(b.ref, ref.data(), 64);
  std::memcpy(b.mc, ref.data(), 64);
  for (int i = 0; i < 64; ++i) b.src[i] = static_cast<uint8_t>(ref[i] + (i % 5 == 0 ? 9 : 0));
  BlockChoices r{};
  buildBlockOptions(b, kEst, r);
  EXPECT_EQ(r.optionType[0], kSkipBlock);
  bool predicted = false;
  for (uint8_t t : types(r)) predicted |= t == kResidueBlock || t == kInterBlock;
  EXPECT_TRUE(predicted);
  expectMonotone(r);
}

TEST(AreaOptions, UnchangedCoarseAreaHasNoOptions) {
  uint8_t src[256], ref[256];
  for (int i = 0; i < 256; ++i) src[i] = ref[i] = static_cast<uint8_t>(30 + (i / 32) * 10 + (i % 16) / 2 * 3);
  BlockChoices r{};
  buildAreaOptions(src, ref, kEst, r);
  EXPECT_EQ(r.optionCount, 0);
  buildAreaOptions(src, nullptr, kEst, r);  // a keyframe always has options
  EXPECT_GT(r.optionCount, 0);
}

TEST(AreaOptions, FlatAreaIsOneFill) {
  uint8_t src[256];
  std::memset(src, 150, 256);
  BlockChoices r{};
  buildAreaOptions(src, nullptr, kEst, r);
  EXPECT_EQ(types(r), std::vector<uint8_t>{kFillBlock});
  EXPECT_EQ(r.optionSize[0], int32_t(kEst[2] + 2 * kEst[0] + kEst[1]));
}

TEST(AreaOptions, ListsAreMonotoneAndShort) {
  for (uint32_t seed = 0; seed < 10; ++seed) {
    auto src = noise(seed, 256);
    BlockChoices r{};
    buildAreaOptions(src.data(), nullptr, kEst, r);
    EXPECT_LE(r.optionCount, kMaxAreaOptions);
    for (int i = 1; i < r.optionCount; ++i) {
      EXPECT_GT(r.optionSize[i], r.optionSize[i - 1]);
      EXPECT_LT(r.optionError[i], r.optionError[i - 1]);
    }
  }
}

TEST(AreaOptions, CoarsePictureUsesTheMiddleValuesRule) {
  uint8_t src[256] = {};
  src[0] = 10, src[1] = 20, src[16] = 200, src[17] = 30;
  uint8_t coarse[64];
  coarsePicture(src, coarse);
  EXPECT_EQ(coarse[0], 25);
  EXPECT_EQ(sadDoubled(coarse, src), 15u + 5 + 175 + 5);
}

// Reference with the block's content at a known displacement.
struct MotionScene {
  static constexpr uint32_t kW = 64, kH = 48;
  std::vector<uint8_t> src = std::vector<uint8_t>(kW * kH, 0), ref = std::vector<uint8_t>(kW * kH, 0);
  MotionScene() {
    auto n = noise(9, kW * kH);
    ref = n;
    src = n;
  }
  void placeBlock(uint32_t bx, uint32_t by, int dx, int dy, uint32_t seed) {
    auto b = noise(seed, 64);
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 8; ++c) {
        src[(by + r) * kW + bx + c] = b[8 * r + c];
        ref[(by + dy + r) * kW + bx + dx + c] = b[8 * r + c];
      }
  }
};

TEST(MotionSearch, FindsTheDisplacementAndClipsAtEdges) {
  MotionScene s;
  s.placeBlock(24, 16, -5, 7, 42);
  MotionVector mv = searchMotion(s.src.data(), s.ref.data(), s.kW, s.kH, 24, 16);
  EXPECT_EQ(mv.x, -5);
  EXPECT_EQ(mv.y, 7);
  EXPECT_EQ(mv.sad, 0u);
  // At the top-left corner the block cannot look up or left.
  MotionScene c;
  c.placeBlock(0, 0, 3, 2, 43);
  mv = searchMotion(c.src.data(), c.ref.data(), c.kW, c.kH, 0, 0);
  EXPECT_EQ(mv.x, 3);
  EXPECT_EQ(mv.y, 2);
}

TEST(MotionSearch, FirstCandidateInSearchOrderWinsTies) {
  // A flat scene: every displacement matches equally, so the zero vector
  // (visited first) stands.
  std::vector<uint8_t> flat(64 * 48, 90), ref(64 * 48, 91);
  MotionVector mv = searchMotion(flat.data(), ref.data(), 64, 48, 24, 16);
  EXPECT_EQ(mv.x, 0);
  EXPECT_EQ(mv.y, 0);
  EXPECT_EQ(mv.sad, 64u);
  // Two exact copies: at y = +2 and at y = -2 (rows 0.. come before the
  // negative rows), and at x = +3 against x = -3 within a row.
  MotionScene s;
  s.placeBlock(24, 16, 0, -2, 50);
  s.placeBlock(24, 16, 0, 2, 50);
  EXPECT_EQ(searchMotion(s.src.data(), s.ref.data(), s.kW, s.kH, 24, 16).y, 2);
  MotionScene t;
  t.placeBlock(24, 16, -3, 1, 51);
  t.placeBlock(24, 16, 3, 1, 51);
  EXPECT_EQ(searchMotion(t.src.data(), t.ref.data(), t.kW, t.kH, 24, 16).x, 3);
}

TEST(PixelKernels, WideVersionsMatchThePlainOnes) {
  auto a = noise(1, 64 * 48, 0, 255), b = noise(2, 64 * 48, 0, 255);
  const PixelKernels& k = pixelKernels();
  EXPECT_EQ(k.sad64(a.data(), b.data()), sad64Plain(a.data(), b.data()));
  for (int count : {1, 5, 8, 13, 31}) {
    uint32_t x[32], y[32];
    k.sadOffsets(a.data() + 3, 64, b.data() + 70, 64, count, x);
    sadOffsetsPlain(a.data() + 3, 64, b.data() + 70, 64, count, y);
    EXPECT_EQ(std::vector<uint32_t>(x, x + count), std::vector<uint32_t>(y, y + count));
  }
  for (uint32_t seed = 0; seed < 20; ++seed) {
    auto run = noise(seed, 64, seed % 2 ? 0 : 100, seed % 2 ? 255 : 110);  // wide and narrow spreads
    if (seed == 3) run.assign(64, 255);
    uint8_t length[2][64][10], colour[2][64][10], deviation[2][64][10];
    k.runStatistics(run.data(), length[0], colour[0], deviation[0]);
    runStatisticsPlain(run.data(), length[1], colour[1], deviation[1]);
    EXPECT_EQ(std::memcmp(length[0], length[1], 640), 0);
    EXPECT_EQ(std::memcmp(colour[0], colour[1], 640), 0);
    EXPECT_EQ(std::memcmp(deviation[0], deviation[1], 640), 0);
  }
}

TEST(PixelKernels, RunStatisticsOfAKnownRun) {
  uint8_t run[64];
  for (int i = 0; i < 64; ++i) run[i] = static_cast<uint8_t>(i % 4 == 3 ? 90 : 10 * (i % 4));
  uint8_t length[64][10], colour[64][10], deviation[64][10];
  runStatisticsPlain(run, length, colour, deviation);
  // From 0: lengths 1, 2, 3, 4 hold {0}, {0,10}, {0,10,20}, {0,10,20,90}.
  EXPECT_EQ(colour[0][0], 0);
  EXPECT_EQ(colour[0][1], 5);
  EXPECT_EQ(colour[0][2], 10);
  EXPECT_EQ(colour[0][3], 15);
  EXPECT_EQ(deviation[0][3], 75);
  // At 60 only four values are left: every longer length is cut to 4.
  EXPECT_EQ(length[60][9], 4);
  EXPECT_EQ(colour[60][9], colour[60][3]);
}

TEST(ForwardTransform, DecoderInverseReproducesTheBlock) {
  const DequantTables& t = dequantTables();
  // Samples as the colour conversion makes them (16..240); the inverse
  // transform does not clamp, so the comparison is modulo 256.
  for (uint32_t seed = 0; seed < 50; ++seed) {
    auto src = noise(seed, 64, 16, 240);
    int16_t in[64];
    for (int i = 0; i < 64; ++i) in[i] = src[i];
    int32_t coef[64], level[64];
    forwardTransform(in, coef);
    quantiseBlock(coef, quantReciprocals().intra[0], level);
    uint8_t out[64];
    idctSamples(level, t.intra[0], out);
    int worst = 0;
    for (int i = 0; i < 64; ++i) worst = std::max(worst, std::abs(static_cast<int8_t>(out[i] - src[i])));
    EXPECT_LE(worst, 3) << "seed " << seed;
  }
}

TEST(ForwardTransform, DcOfAFlatBlockAndQuantiserSteps) {
  int16_t in[64];
  for (auto& v : in) v = 255;
  int32_t coef[64], level[64];
  forwardTransform(in, coef);
  EXPECT_EQ(coef[0], 255 * 64 * 256);
  for (int i = 1; i < 64; ++i) EXPECT_EQ(coef[i], 0);
  quantiseBlock(coef, quantReciprocals().intra[0], level);
  EXPECT_EQ(level[0], 2040);
  quantiseBlock(coef, quantReciprocals().intra[3], level);  // DC step 2
  EXPECT_EQ(level[0], 1020);
  EXPECT_EQ(quantReciprocals().intra[0][0], int64_t{1} << 19);
}

TEST(CoefficientCost, EqualsTheCodersBitCount) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 4000; ++trial) {
    int32_t coef[64] = {};
    // From empty blocks to dense ones, from tiny levels to the coder's limits.
    const int filled = trial % 65;
    const int range = 1 << (trial % 17);
    std::uniform_int_distribution<int> pos(1, 63), value(-range, range);
    for (int i = 0; i < filled; ++i) coef[pos(rng)] = value(rng);
    if (trial % 7 == 0) coef[kCoefficientScan[1 + trial % 63]] = (trial & 1 ? 1 : -1) * 40000;
    ASSERT_EQ(coefficientCost(coef), coefficientBits(coef)) << "trial " << trial;
  }
}

std::vector<Candidate> list(std::initializer_list<std::pair<int32_t, uint32_t>> v) {
  std::vector<Candidate> out;
  uint16_t i = 0;
  for (auto [size, error] : v) out.push_back(Candidate{size, error, i++, kRawBlock});
  return out;
}
std::vector<uint16_t> params(const std::vector<Candidate>& c, int n) {
  std::vector<uint16_t> p;
  for (int i = 0; i < n; ++i) p.push_back(c[i].param);
  return p;
}

TEST(Pruning, ConvexHullKeepsTheSteepestPath) {
  // 0: (10, 100), 1: (20, 50), 2: (30, 45) under the hull, 3: (40, 0),
  // 4: (15, 100) not better, 5: (50, 0) not better than 3.
  auto c = list({{10, 100}, {20, 50}, {30, 45}, {40, 0}, {15, 100}, {50, 0}});
  int n = static_cast<int>(c.size());
  EXPECT_TRUE(pruneToConvexHull(c.data(), n));
  EXPECT_EQ(params(c, n), (std::vector<uint16_t>{0, 1, 3}));
}

TEST(Pruning, ConvexHullStartsAtTheCheapestWithTheSmallerError) {
  auto c = list({{30, 10}, {5, 90}, {5, 80}, {100, 0}});
  int n = static_cast<int>(c.size());
  pruneToConvexHull(c.data(), n);
  EXPECT_EQ(params(c, n), (std::vector<uint16_t>{2, 0, 3}));
  auto single = list({{30, 0}, {5, 0}});
  n = 2;
  pruneToConvexHull(single.data(), n);
  EXPECT_EQ(params(single, n), (std::vector<uint16_t>{1}));
}

TEST(Pruning, ParetoKeepsEveryImprovement) {
  auto c = list({{10, 100}, {20, 50}, {30, 45}, {25, 60}, {40, 0}, {35, 46}});
  int n = static_cast<int>(c.size());
  pruneToPareto(c.data(), n);
  EXPECT_EQ(params(c, n), (std::vector<uint16_t>{0, 1, 2, 4}));
}

TEST(Pruning, ThinningKeepsTheEnds) {
  std::vector<Candidate> c(40);
  for (int i = 0; i < 40; ++i) c[i] = Candidate{i, uint32_t(100 - i), uint16_t(i), kRawBlock};
  int n = 40;
  thinOptions(c.data(), n, 32);
  ASSERT_EQ(n, 32);
  for (int k = 0; k < 32; ++k) EXPECT_EQ(c[k].param, k * 39 / 31) << k;
  int short5 = 5;
  thinOptions(c.data(), short5, 32);
  EXPECT_EQ(short5, 5);
}

}  // namespace
