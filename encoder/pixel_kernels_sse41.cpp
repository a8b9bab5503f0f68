#include <immintrin.h>

#include <cstring>

#include "encoder/pixel_kernels.h"

TOL_NS_BEGIN

uint32_t sad64Sse41(const uint8_t* a, const uint8_t* b) {
  __m128i sum = _mm_setzero_si128();
  for (int i = 0; i < 64; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    sum = _mm_add_epi64(sum, _mm_sad_epu8(x, y));
  }
  return static_cast<uint32_t>(_mm_cvtsi128_si32(sum) + _mm_extract_epi32(sum, 2));
}

// Eight offsets at a time: mpsadbw gives the SADs of a 4-byte group of the
// source row against the eight 4-byte windows of the reference row.
void sadOffsetsSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out) {
  for (int k0 = 0; k0 < count; k0 += 8) {
    const int bytes = count + 7 - k0 < 16 ? count + 7 - k0 : 16;  // readable bytes of this group's rows
    __m128i acc = _mm_setzero_si128();
    for (int r = 0; r < 8; ++r) {
      __m128i row;
      const uint8_t* p = ref + r * refPitch + k0;
      if (bytes == 16) {
        row = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      } else {
        alignas(16) uint8_t tmp[16] = {};
        std::memcpy(tmp, p, static_cast<size_t>(bytes));
        row = _mm_load_si128(reinterpret_cast<const __m128i*>(tmp));
      }
      uint64_t s8;
      std::memcpy(&s8, src + r * srcPitch, 8);
      const __m128i s = _mm_cvtsi64_si128(static_cast<long long>(s8));
      acc = _mm_add_epi16(acc, _mm_mpsadbw_epu8(row, s, 0));
      acc = _mm_add_epi16(acc, _mm_mpsadbw_epu8(row, s, 5));
    }
    alignas(16) uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    const int n = count - k0 < 8 ? count - k0 : 8;
    for (int i = 0; i < n; ++i) out[k0 + i] = lanes[i];
  }
}

// The sorted samples of the growing run live in one register (empty lanes
// hold 255): inserting v moves every lane above v up by one lane and puts v
// into the gap, in a handful of instructions.
void runStatisticsSse41(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                        uint8_t (*deviation)[10]) {
  for (int p = 0; p < 64; ++p) {
    __m128i sorted = _mm_set1_epi8(static_cast<char>(0xFF));
    int n = 0;
    for (int li = 0; li < 10; ++li) {
      const int want = kRunLengthSteps[li] < 64 - p ? kRunLengthSteps[li] : 64 - p;
      while (n < want) {
        const __m128i v = _mm_set1_epi8(static_cast<char>(scanned[p + n++]));
        const __m128i above = _mm_cmpeq_epi8(_mm_max_epu8(sorted, v), sorted);  // sorted >= v
        const __m128i notEqual = _mm_xor_si128(_mm_cmpeq_epi8(sorted, v), _mm_set1_epi8(-1));
        const __m128i gt = _mm_and_si128(above, notEqual);
        const __m128i moved = _mm_max_epu8(_mm_slli_si128(sorted, 1), v);
        sorted = _mm_blendv_epi8(sorted, moved, gt);
      }
      alignas(16) uint8_t lanes[16];
      _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sorted);
      const int c = n & 1 ? lanes[n / 2] : (lanes[n / 2 - 1] + lanes[n / 2]) >> 1;
      length[p][li] = static_cast<uint8_t>(n);
      colour[p][li] = static_cast<uint8_t>(c);
      deviation[p][li] = static_cast<uint8_t>(c - lanes[0] > lanes[n - 1] - c ? c - lanes[0] : lanes[n - 1] - c);
    }
  }
}

TOL_NS_END
