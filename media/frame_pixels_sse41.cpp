// SSE4.1 form of the 24-bit to 32-bit row conversion (byte shuffles).
#include <immintrin.h>

#include <cstring>

#include "media/frame_pixels.h"

TOL_NS_BEGIN

int32_t wordsFromBgrSse41(const uint8_t* p, uint32_t* o, int32_t n) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int32_t x = 0;
  // Each load takes 16 bytes for 4 pixels (12 bytes): stop while a load
  // could reach past the row.
  for (; x + 6 <= n; x += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x * 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + x), _mm_shuffle_epi8(v, spread));
  }
  return x;
}

TOL_NS_END
