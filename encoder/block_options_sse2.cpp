// SAD of a coarse picture doubled in both directions: each coarse row,
// its bytes doubled by an unpack with itself, against its two source rows.
#include <emmintrin.h>

#include "encoder/block_options.h"

TOL_NS_BEGIN

uint32_t sadDoubledSse2(const uint8_t coarse[64], const uint8_t src[256]) {
  __m128i sum = _mm_setzero_si128();
  for (int r = 0; r < 8; ++r) {
    const __m128i c = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(coarse + 8 * r));
    const __m128i doubled = _mm_unpacklo_epi8(c, c);
    const __m128i* s = reinterpret_cast<const __m128i*>(src + 32 * r);
    sum = _mm_add_epi64(sum, _mm_sad_epu8(doubled, _mm_loadu_si128(s)));
    sum = _mm_add_epi64(sum, _mm_sad_epu8(doubled, _mm_loadu_si128(s + 1)));
  }
  return static_cast<uint32_t>(_mm_cvtsi128_si32(sum) + _mm_cvtsi128_si32(_mm_srli_si128(sum, 8)));
}

TOL_NS_END
