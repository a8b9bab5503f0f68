// The encoder's transform kernels against their plain versions: the forward
// transform, quantisation
// (also with coefficients far outside the transform's range, where the level
// keeps only the low 32 bits of the shifted product), the quad planes of the
// coefficient cost and the doubled-picture SAD of the area options; and the
// cost against the coder's own bit count on blocks that the encoder's
// quantiser loop produces.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "decode/core/coefficient_coder.h"
#include "encoder/block_options.h"
#include "encoder/coefficient_cost.h"
#include "encoder/forward_transform.h"

using namespace tol;

namespace {

bool hasIsa(const char* name) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (std::strcmp(name, "avx2") == 0) return __builtin_cpu_supports("avx2");
  if (std::strcmp(name, "sse4.1") == 0) return __builtin_cpu_supports("sse4.1");
  if (std::strcmp(name, "sse2") == 0) return __builtin_cpu_supports("sse2");
#endif
  return false;
}

constexpr int32_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();

// Random coefficients: mostly 0, some small, some from the whole 32-bit range.
void randomCoefficients(std::mt19937& rng, int32_t coef[64], int spreadBits) {
  const int32_t extremes[] = {kMin, kMax, kMin + 1, -kMax, 16383, -16383, 16384, -16384, 32767, -32768, 32768};
  for (int i = 0; i < 64; ++i) {
    const uint32_t pick = rng() % 16;
    if (pick < 8)
      coef[i] = 0;
    else if (pick < 14)
      coef[i] = static_cast<int32_t>(rng() % (2u << spreadBits)) - (1 << spreadBits);
    else if (pick == 14)
      coef[i] = extremes[rng() % std::size(extremes)];
    else
      coef[i] = static_cast<int32_t>(rng());
  }
}

}  // namespace

TEST(ForwardTransformKernels, Avx2MatchesPlain) {
  if (!hasIsa("avx2")) GTEST_SKIP() << "no AVX2";
  std::mt19937 rng(13);
  auto expectSame = [](const int16_t in[64], const std::string& what) {
    int32_t want[64], got[64];
    forwardTransformPlain(in, want);
    forwardTransformAvx2(in, got);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(got[i], want[i]) << what << " position " << i;
  };
  int16_t in[64];
  // Flat and checkerboard blocks at the ends of the sample and residue ranges.
  for (int lo : {0, -128, -255})
    for (int hi : {255, 127, 0}) {
      for (int i = 0; i < 64; ++i) in[i] = static_cast<int16_t>(((i + i / 8) & 1) ? hi : lo);
      expectSame(in, "checkerboard " + std::to_string(lo) + "/" + std::to_string(hi));
      for (int i = 0; i < 64; ++i) in[i] = static_cast<int16_t>(i < 32 ? hi : lo);
      expectSame(in, "halves " + std::to_string(lo) + "/" + std::to_string(hi));
    }
  for (int n = 0; n < 3000; ++n) {
    // Samples, residues, and values well beyond both.
    const int range = n % 3 == 0 ? 256 : n % 3 == 1 ? 511 : 8192;
    const int base = n % 3 == 0 ? 0 : -(range / 2);
    for (auto& v : in) v = static_cast<int16_t>(base + static_cast<int>(rng() % range));
    expectSame(in, "block " + std::to_string(n));
  }
}

TEST(QuantiseKernels, Avx2MatchesPlain) {
  if (!hasIsa("avx2")) GTEST_SKIP() << "no AVX2";
  std::mt19937 rng(11);
  const QuantReciprocals& r = quantReciprocals();
  for (int n = 0; n < 4000; ++n) {
    int32_t coef[64];
    randomCoefficients(rng, coef, n % 27);
    const int64_t* recip = (n & 1) ? r.inter[n % 16] : r.intra[n % 16];
    int32_t want[64], got[64];
    const bool wantAny = quantiseBlockPlain(coef, recip, want);
    const bool gotAny = quantiseBlockAvx2(coef, recip, got);
    ASSERT_EQ(gotAny, wantAny) << "block " << n;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(got[i], want[i]) << "block " << n << " position " << i;
  }
}

TEST(QuantiseKernels, DcAloneIsNoAcLevel) {
  int32_t coef[64] = {}, level[64];
  coef[0] = 1 << 20;
  EXPECT_FALSE(quantiseBlock(coef, quantReciprocals().intra[0], level));
  EXPECT_NE(level[0], 0);
  coef[63] = 1 << 12;
  EXPECT_TRUE(quantiseBlock(coef, quantReciprocals().intra[0], level));
  coef[63] = 1;  // rounds to level 0
  EXPECT_FALSE(quantiseBlock(coef, quantReciprocals().intra[15], level));
}

TEST(CoefficientCostKernels, QuadPlanesSse41MatchesPlain) {
  if (!hasIsa("sse4.1")) GTEST_SKIP() << "no SSE4.1";
  std::mt19937 rng(23);
  for (int n = 0; n < 4000; ++n) {
    int32_t coef[64];
    randomCoefficients(rng, coef, n % 20);
    QuadPlanes want, got;
    quadPlanesPlain(coef, want);
    quadPlanesSse41(coef, got);
    for (int j = 0; j < 16; ++j) {
      ASSERT_EQ(got.top[j], want.top[j]) << "block " << n << " quad " << j;
      ASSERT_EQ(got.zeros[j], want.zeros[j]) << "block " << n << " quad " << j;
    }
  }
}

TEST(CoefficientCostKernels, Sse41CostEqualsTheCodersBitCount) {
  if (!hasIsa("sse4.1")) GTEST_SKIP() << "no SSE4.1";
  std::mt19937 rng(37);
  for (int n = 0; n < 4000; ++n) {
    int32_t coef[64] = {};
    // From empty blocks (cost 4) to dense ones, and one lone coefficient at every index.
    if (n < 64) {
      coef[n] = n & 1 ? -(1 << (n % 16)) : 1 << (n % 16);
    } else {
      const int filled = n % 65;
      for (int i = 0; i < filled; ++i) coef[rng() % 64] = static_cast<int32_t>(rng() % (2u << (n % 17))) - (1 << (n % 17));
      if (n % 5 == 0) randomCoefficients(rng, coef, n % 20);
    }
    const uint32_t want = coefficientBits(coef);
    ASSERT_EQ(coefficientCostPlain(coef), want) << "block " << n;
    ASSERT_EQ(coefficientCostSse41(coef), want) << "block " << n;
  }
}

TEST(CoefficientCostKernels, CostOfQuantisedBlocksEqualsTheCodersBitCount) {
  std::mt19937 rng(31);
  for (int n = 0; n < 600; ++n) {
    int16_t in[64];
    const int amplitude = 1 + static_cast<int>(rng() % 128);
    for (auto& v : in) v = static_cast<int16_t>(static_cast<int>(rng() % (2 * amplitude)) - amplitude);
    int32_t coef[64], level[64];
    forwardTransform(in, coef);
    for (unsigned q = 0; q < 16; ++q) {
      quantiseBlock(coef, quantReciprocals().inter[q], level);
      ASSERT_EQ(coefficientCost(level), coefficientBits(level)) << "block " << n << " quantiser " << q;
    }
  }
}

TEST(CoefficientCostKernels, ExtremeValuesAreClampedLikeTheCoder) {
  std::mt19937 rng(41);
  for (int n = 0; n < 2000; ++n) {
    int32_t coef[64];
    randomCoefficients(rng, coef, n % 20);
    ASSERT_EQ(coefficientCost(coef), coefficientBits(coef)) << "block " << n;
  }
}

TEST(SadDoubledKernels, Sse2MatchesPlain) {
  if (!hasIsa("sse2")) GTEST_SKIP() << "no SSE2";
  std::mt19937 rng(3);
  uint8_t coarse[64], src[256];
  for (int n = 0; n < 500; ++n) {
    for (auto& c : coarse) c = static_cast<uint8_t>(n % 3 == 0 ? (rng() & 1) * 255 : rng());
    for (auto& s : src) s = static_cast<uint8_t>(n % 3 == 0 ? (rng() & 1) * 255 : rng());
    ASSERT_EQ(sadDoubledSse2(coarse, src), sadDoubledPlain(coarse, src)) << "block " << n;
  }
  // The largest sum and a picture that matches exactly.
  std::memset(coarse, 0, 64);
  std::memset(src, 255, 256);
  EXPECT_EQ(sadDoubledSse2(coarse, src), 255u * 256);
  for (int i = 0; i < 256; ++i) src[i] = coarse[8 * (i / 32) + (i % 16) / 2] = static_cast<uint8_t>(i / 32 * 8 + i % 16 / 2);
  EXPECT_EQ(sadDoubled(coarse, src), 0u);
}
