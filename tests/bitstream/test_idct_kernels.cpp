// The vector kernels of the inverse transform against the plain version,
// byte for byte: realistic blocks, blocks with only a DC, and extreme values
// whose products and sums wrap in 32 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "decode/core/dequant_tables.h"
#include "decode/core/idct.h"

using namespace tol;

namespace {

struct Kernel {
  const char* name;
  IdctSamplesFn fn;
};

// The kernels this processor runs (the plain one is the reference).
std::vector<Kernel> vectorKernels() {
  std::vector<Kernel> k;
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse4.1")) k.push_back({"sse41", idctSamplesSse41});
  if (__builtin_cpu_supports("avx2")) k.push_back({"avx2", idctSamplesAvx2});
#endif
  return k;
}

void expectSameAsPlain(const int32_t coef[64], const int32_t table[64], const std::string& what) {
  uint8_t want[64];
  idctSamplesPlain(coef, table, want);
  for (const Kernel& k : vectorKernels()) {
    uint8_t got[64];
    k.fn(coef, table, got);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(got[i], want[i]) << k.name << " " << what << " sample " << i;
  }
}

}  // namespace

TEST(IdctKernels, DispatchPicksOneOfTheKernels) {
  const IdctSamplesFn chosen = idctSamplesKernel();
  bool known = chosen == idctSamplesPlain;
  for (const Kernel& k : vectorKernels()) known = known || chosen == k.fn;
  EXPECT_TRUE(known);
}

TEST(IdctKernels, QuantisedBlocksWithTheFormatTables) {
  std::mt19937 rng(17);
  const DequantTables& t = dequantTables();
  for (int n = 0; n < 3000; ++n) {
    int32_t coef[64] = {};
    // Few, small levels (typical) up to many large ones (coarse quantisers).
    const int spread = 1 << (n % 12);
    const int count = 1 + static_cast<int>(rng() % 64);
    for (int i = 0; i < count; ++i)
      coef[rng() % 64] = static_cast<int32_t>(rng() % (2 * spread + 1)) - spread;
    const unsigned q = rng() % 16;
    expectSameAsPlain(coef, (n & 1) ? t.inter[q] : t.intra[q], "block " + std::to_string(n));
  }
}

TEST(IdctKernels, DcOnlyAndSingleColumnBlocks) {
  const DequantTables& t = dequantTables();
  for (int32_t dc : {0, 1, -1, 1024, -1024, 16383, -16384, 32767, -32768}) {
    int32_t coef[64] = {};
    coef[0] = dc;
    expectSameAsPlain(coef, t.intra[0], "dc " + std::to_string(dc));
    for (int c = 1; c < 8; ++c) coef[c] = dc / (c + 1);  // first row only: every column skips its AC
    expectSameAsPlain(coef, t.inter[15], "first row " + std::to_string(dc));
  }
}

TEST(IdctKernels, WrappingArithmetic) {
  std::mt19937 rng(5);
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
  const int32_t extremes[] = {kMin, kMax, kMin + 1, kMax - 1, -1, 0, 1, 1 << 30, -(1 << 30), 0x7fff, -0x8000};
  for (int n = 0; n < 2000; ++n) {
    int32_t coef[64], table[64];
    for (int i = 0; i < 64; ++i) {
      const uint32_t pick = rng();
      coef[i] = pick % 3 == 0 ? extremes[rng() % std::size(extremes)] : static_cast<int32_t>(rng());
      table[i] = pick % 5 == 0 ? extremes[rng() % std::size(extremes)] : static_cast<int32_t>(rng());
    }
    expectSameAsPlain(coef, table, "wrapping " + std::to_string(n));
  }
  int32_t coef[64], table[64];
  for (int32_t v : {kMin, kMax}) {
    for (int i = 0; i < 64; ++i) coef[i] = table[i] = v;
    expectSameAsPlain(coef, table, "all " + std::to_string(v));
  }
}
