#include "encoder/forward_transform.h"

#include <algorithm>
#include <cstdlib>

#include "decode/core/coefficient_coder.h"
#include "decode/core/dequant_tables.h"
#include "encoder/forward_transform_pass.h"

TOL_NS_BEGIN
namespace {

// The plain arithmetic: 32-bit sums, 64-bit products.
struct ScalarOps {
  static int32_t add(int32_t a, int32_t b) { return a + b; }
  static int32_t sub(int32_t a, int32_t b) { return a - b; }
  static int32_t mul(int32_t x, int k) { return static_cast<int32_t>((int64_t{x} * k) >> 11); }
};

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

using ForwardFn = void (*)(const int16_t in[64], int32_t out[64]);

ForwardFn chooseForward() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return forwardTransformAvx2;
#endif
  return forwardTransformPlain;
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

void forwardTransformPlain(const int16_t in[64], int32_t out[64]) {
  for (int i = 0; i < 64; ++i) out[i] = in[i] * 256;
  for (int r = 0; r < 8; ++r) forwardPass<ScalarOps>(out + 8 * r);
  for (int c = 0; c < 8; ++c) {
    int32_t column[8];
    for (int r = 0; r < 8; ++r) column[r] = out[8 * r + c];
    forwardPass<ScalarOps>(column);
    for (int r = 0; r < 8; ++r) out[8 * r + c] = column[r];
  }
}

void forwardTransform(const int16_t in[64], int32_t out[64]) {
  static const ForwardFn forward = chooseForward();
  forward(in, out);
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
