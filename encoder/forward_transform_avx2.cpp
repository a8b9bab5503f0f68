// Quantisation, eight coefficients per step: 32 x 32 -> 64-bit products
// with the reciprocals (each below 2^31, so their low halves are the whole
// value), and of each (c R + 2^29 - 1) >> 30 the low 32 bits, as the plain
// version keeps.
#include <immintrin.h>

#include "decode/core/coefficient_coder.h"
#include "encoder/forward_transform.h"

TOL_NS_BEGIN
namespace {

// Four coefficients against four reciprocals: (c R + half) >> 30 in 64-bit
// lanes, whose low halves are the levels (a logical shift leaves the same
// low 32 bits as the arithmetic one).
inline __m256i scaled(__m128i c, const int64_t* r, __m256i half) {
  const __m256i product = _mm256_mul_epi32(_mm256_cvtepi32_epi64(c), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r)));
  return _mm256_srli_epi64(_mm256_add_epi64(product, half), 30);
}

}  // namespace

bool quantiseBlockAvx2(const int32_t coef[64], const int64_t reciprocal[64], int32_t level[64]) {
  const __m256i half = _mm256_set1_epi64x((int64_t{1} << 29) - 1);
  __m256i any = _mm256_setzero_si256(), largest = _mm256_setzero_si256();
  for (int i = 0; i < 64; i += 8) {
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(coef + i));
    const __m256i lo = scaled(_mm256_castsi256_si128(c), reciprocal + i, half);
    const __m256i hi = scaled(_mm256_extracti128_si256(c, 1), reciprocal + i + 4, half);
    // Low halves of lo (coefficients 0..3) and hi (4..7), back in order.
    const __m256i mixed = _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(lo), _mm256_castsi256_ps(hi), _MM_SHUFFLE(2, 0, 2, 0)));
    __m256i l = _mm256_permute4x64_epi64(mixed, _MM_SHUFFLE(3, 1, 2, 0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(level + i), l);
    if (i == 0) l = _mm256_blend_epi32(l, _mm256_setzero_si256(), 1);  // the DC does not count
    any = _mm256_or_si256(any, l);
    largest = _mm256_max_epu32(largest, _mm256_abs_epi32(l));
  }
  __m128i m = _mm_max_epu32(_mm256_castsi256_si128(largest), _mm256_extracti128_si256(largest, 1));
  m = _mm_max_epu32(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(1, 0, 3, 2)));
  m = _mm_max_epu32(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(2, 3, 0, 1)));
  if (static_cast<uint32_t>(_mm_cvtsi128_si32(m)) > kSmallestCoefficientLimit) clampCoefficients(level);
  return !_mm256_testz_si256(any, any);
}

TOL_NS_END
