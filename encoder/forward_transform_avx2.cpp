// Forward transform with one row (or column) of eight per vector, and
// quantisation, eight coefficients per step: 32 x 32 -> 64-bit products
// with the reciprocals (each below 2^31, so their low halves are the whole
// value), and of each (c R + 2^29 - 1) >> 30 the low 32 bits, as the plain
// version keeps.
#include <immintrin.h>

#include "decode/core/coefficient_coder.h"
#include "decode/core/transpose_avx2.h"
#include "encoder/forward_transform.h"
#include "encoder/forward_transform_pass.h"

TOL_NS_BEGIN
namespace {

// (x k) >> 11 of the 64-bit product, low 32 bits, without 64-bit lanes:
// x = 2048 hi + lo (0 <= lo < 2048) gives hi k + (lo k) >> 11 exactly.
struct Avx2Ops {
  static __m256i add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
  static __m256i sub(__m256i a, __m256i b) { return _mm256_sub_epi32(a, b); }
  static __m256i mul(__m256i x, int k) {
    const __m256i kk = _mm256_set1_epi32(k);
    const __m256i hi = _mm256_mullo_epi32(_mm256_srai_epi32(x, 11), kk);
    const __m256i lo = _mm256_mullo_epi32(_mm256_and_si256(x, _mm256_set1_epi32(2047)), kk);
    return _mm256_add_epi32(hi, _mm256_srli_epi32(lo, 11));
  }
};

// Four coefficients against four reciprocals: (c R + half) >> 30 in 64-bit
// lanes, whose low halves are the levels (a logical shift leaves the same
// low 32 bits as the arithmetic one).
inline __m256i scaled(__m128i c, const int64_t* r, __m256i half) {
  const __m256i product = _mm256_mul_epi32(_mm256_cvtepi32_epi64(c), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r)));
  return _mm256_srli_epi64(_mm256_add_epi64(product, half), 30);
}

}  // namespace

void forwardTransformAvx2(const int16_t in[64], int32_t out[64]) {
  // The rows' samples turned into columns (16-bit transpose), then scaled by 256.
  __m128i r[8], a[8], b[8];
  for (int i = 0; i < 8; ++i) r[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8 * i));
  for (int i = 0; i < 8; i += 2) {
    a[i] = _mm_unpacklo_epi16(r[i], r[i + 1]);
    a[i + 1] = _mm_unpackhi_epi16(r[i], r[i + 1]);
  }
  for (int i = 0; i < 8; i += 4) {
    b[i] = _mm_unpacklo_epi32(a[i], a[i + 2]);
    b[i + 1] = _mm_unpackhi_epi32(a[i], a[i + 2]);
    b[i + 2] = _mm_unpacklo_epi32(a[i + 1], a[i + 3]);
    b[i + 3] = _mm_unpackhi_epi32(a[i + 1], a[i + 3]);
  }
  __m256i column[8], row[8];
  for (int i = 0; i < 4; ++i) {
    column[2 * i] = _mm256_slli_epi32(_mm256_cvtepi16_epi32(_mm_unpacklo_epi64(b[i], b[i + 4])), 8);
    column[2 * i + 1] = _mm256_slli_epi32(_mm256_cvtepi16_epi32(_mm_unpackhi_epi64(b[i], b[i + 4])), 8);
  }
  forwardPass<Avx2Ops>(column);  // the row pass, every row at once
  transpose8x8Epi32(column, row);
  forwardPass<Avx2Ops>(row);  // the column pass
  for (int i = 0; i < 8; ++i) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * i), row[i]);
}

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
