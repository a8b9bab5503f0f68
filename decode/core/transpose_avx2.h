// 8x8 transpose of 32-bit values held as eight AVX2 rows; for files built
// with AVX2 only.
#pragma once

#include <immintrin.h>

#include "platform/libns.h"

TOL_NS_BEGIN

// t[i] lane j = r[j] lane i.
inline void transpose8x8Epi32(const __m256i r[8], __m256i t[8]) {
  __m256i a[8], b[8];
  for (int i = 0; i < 8; i += 2) {
    a[i] = _mm256_unpacklo_epi32(r[i], r[i + 1]);
    a[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
  }
  for (int i = 0; i < 8; i += 4) {
    b[i] = _mm256_unpacklo_epi64(a[i], a[i + 2]);
    b[i + 1] = _mm256_unpackhi_epi64(a[i], a[i + 2]);
    b[i + 2] = _mm256_unpacklo_epi64(a[i + 1], a[i + 3]);
    b[i + 3] = _mm256_unpackhi_epi64(a[i + 1], a[i + 3]);
  }
  for (int i = 0; i < 4; ++i) {
    t[i] = _mm256_permute2x128_si256(b[i], b[i + 4], 0x20);
    t[i + 4] = _mm256_permute2x128_si256(b[i], b[i + 4], 0x31);
  }
}

TOL_NS_END
