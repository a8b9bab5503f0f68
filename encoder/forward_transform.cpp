#include "encoder/forward_transform.h"

#include <algorithm>
#include <cstdlib>

#include "decode/core/coefficient_coder.h"
#include "decode/core/dequant_tables.h"

TOL_NS_BEGIN
namespace {

constexpr int64_t kC4 = 1448;   // 0.707106781 (cos 4 pi / 16)
constexpr int64_t kC6 = 784;    // 0.382683433
constexpr int64_t kC2mC6 = 1108;  // 0.541196100
constexpr int64_t kC2pC6 = 2676;  // 1.306562965

inline int32_t mul(int64_t x, int64_t k) { return static_cast<int32_t>((x * k) >> 11); }

// One 8-point pass over d[0], d[step], .. d[7 step].
inline void pass(int32_t* d, int step) {
  const int32_t t0 = d[0] + d[7 * step], t7 = d[0] - d[7 * step];
  const int32_t t1 = d[step] + d[6 * step], t6 = d[step] - d[6 * step];
  const int32_t t2 = d[2 * step] + d[5 * step], t5 = d[2 * step] - d[5 * step];
  const int32_t t3 = d[3 * step] + d[4 * step], t4 = d[3 * step] - d[4 * step];

  // Even part.
  const int32_t t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
  d[0] = t10 + t11;
  d[4 * step] = t10 - t11;
  const int32_t z1 = mul(t12 + t13, kC4);
  d[2 * step] = t13 + z1;
  d[6 * step] = t13 - z1;

  // Odd part.
  const int32_t s10 = t4 + t5, s11 = t5 + t6, s12 = t6 + t7;
  const int32_t z5 = mul(s10 - s12, kC6);
  const int32_t z2 = mul(s10, kC2mC6) + z5;
  const int32_t z4 = mul(s12, kC2pC6) + z5;
  const int32_t z3 = mul(s11, kC4);
  const int32_t z11 = t7 + z3, z13 = t7 - z3;
  d[5 * step] = z13 + z2;
  d[3 * step] = z13 - z2;
  d[step] = z11 + z4;
  d[7 * step] = z11 - z4;
}

QuantReciprocals buildReciprocals() {
  const DequantTables& t = dequantTables();
  QuantReciprocals r{};
  const int64_t one = int64_t{1} << 35;
  for (int q = 0; q < 16; ++q)
    for (int p = 0; p < 64; ++p) {
      r.intra[q][p] = (one + t.intra[q][p] / 2) / t.intra[q][p];
      r.inter[q][p] = (one + t.inter[q][p] / 2) / t.inter[q][p];
    }
  return r;
}

using QuantiseFn = bool (*)(const int32_t coef[64], const int64_t reciprocal[64], int32_t level[64]);

// The vector kernel multiplies 32 by 32 bits: every reciprocal must be below 2^31.
QuantiseFn chooseQuantise() {
  const QuantReciprocals& r = quantReciprocals();
  bool narrow = true;
  for (int q = 0; q < 16; ++q)
    for (int p = 0; p < 64; ++p) narrow = narrow && r.intra[q][p] < (int64_t{1} << 31) && r.inter[q][p] < (int64_t{1} << 31);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (narrow && __builtin_cpu_supports("avx2")) return quantiseBlockAvx2;
#endif
  return quantiseBlockPlain;
}

}  // namespace

void forwardTransform(const int16_t in[64], int32_t out[64]) {
  for (int i = 0; i < 64; ++i) out[i] = in[i] * 256;
  for (int r = 0; r < 8; ++r) pass(out + 8 * r, 1);
  for (int c = 0; c < 8; ++c) pass(out + c, 8);
}

const QuantReciprocals& quantReciprocals() {
  static const QuantReciprocals r = buildReciprocals();
  return r;
}

bool quantiseBlockPlain(const int32_t coef[64], const int64_t reciprocal[64], int32_t level[64]) {
  constexpr int64_t kHalf = (int64_t{1} << 29) - 1;
  int32_t any = 0;
  uint32_t largest = 0;
  for (int i = 0; i < 64; ++i) {
    level[i] = static_cast<int32_t>((int64_t{coef[i]} * reciprocal[i] + kHalf) >> 30);
    if (i) {
      any |= level[i];
      largest = std::max(largest, static_cast<uint32_t>(std::abs(level[i])));
    }
  }
  if (largest > kSmallestCoefficientLimit) clampCoefficients(level);
  return any != 0;
}

bool quantiseBlock(const int32_t coef[64], const int64_t reciprocal[64], int32_t level[64]) {
  static const QuantiseFn quantise = chooseQuantise();
  return quantise(coef, reciprocal, level);
}

TOL_NS_END
