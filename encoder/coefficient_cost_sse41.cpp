// Quad planes of a block, sixteen coefficients per step: magnitudes clamped
// to the coder's limits in raster order (the DC's limit taken as 0), bit
// lengths from the exponent of the float conversion (exact below 2^24), a
// byte shuffle into coefficient order, then per 4-byte quad the largest
// plane and the count of zeros. The cost from them works on the three
// openings side by side.
#include <immintrin.h>

#include <algorithm>

#include "decode/core/scan_orders.h"
#include "encoder/coefficient_cost.h"

TOL_NS_BEGIN
namespace {

struct ScanTables {
  alignas(16) int32_t limit[64];         // by raster position
  alignas(16) uint8_t shuffle[4][4][16];  // [coefficient 16s][raster 16s]: byte picks, 0x80 = none
};

const ScanTables& scanTables() {
  static const ScanTables t = [] {
    ScanTables s{};
    for (unsigned k = 0; k < 64; ++k) s.limit[kCoefficientScan[k]] = k ? static_cast<int32_t>(coefficientLimit(k)) : 0;
    for (unsigned k = 0; k < 64; ++k)
      for (unsigned src = 0; src < 4; ++src) {
        const unsigned pos = kCoefficientScan[k];
        s.shuffle[k / 16][src][k % 16] = pos / 16 == src ? static_cast<uint8_t>(pos % 16) : 0x80;
      }
    return s;
  }();
  return t;
}

// Bit lengths of sixteen coefficients from p (raster order) as bytes.
inline __m128i planes16(const int32_t* coef, const int32_t* limit) {
  __m128i e[4];
  for (int i = 0; i < 4; ++i) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 4 * i));
    const __m128i lim = _mm_load_si128(reinterpret_cast<const __m128i*>(limit + 4 * i));
    // abs(INT32_MIN) stays 2^31 as unsigned, which the limit clamps.
    const __m128i m = _mm_min_epu32(_mm_abs_epi32(c), lim);
    e[i] = _mm_srli_epi32(_mm_castps_si128(_mm_cvtepi32_ps(m)), 23);  // 127 + floor(log2 m), 0 for 0
  }
  const __m128i biased = _mm_packus_epi16(_mm_packus_epi32(e[0], e[1]), _mm_packus_epi32(e[2], e[3]));
  return _mm_subs_epu8(biased, _mm_set1_epi8(126));
}

// The low byte of each 32-bit lane of a, b, c, d (each below 256) as 16 bytes.
inline __m128i lowBytes(__m128i a, __m128i b, __m128i c, __m128i d) {
  return _mm_packus_epi16(_mm_packus_epi32(a, b), _mm_packus_epi32(c, d));
}

}  // namespace

namespace {

// The quads' top planes and zero counts as 16 bytes each.
inline void quadPlanes(const int32_t coef[64], __m128i& tops, __m128i& zeroCounts) {
  const ScanTables& t = scanTables();
  __m128i raster[4];
  for (int i = 0; i < 4; ++i) raster[i] = planes16(coef + 16 * i, t.limit + 16 * i);
  const __m128i byte0 = _mm_set1_epi32(0xff), one = _mm_set1_epi8(1);
  __m128i top[4], zeros[4];
  for (int d = 0; d < 4; ++d) {
    __m128i sig = _mm_setzero_si128();
    for (int s = 0; s < 4; ++s)
      sig = _mm_or_si128(sig, _mm_shuffle_epi8(raster[s], _mm_load_si128(reinterpret_cast<const __m128i*>(t.shuffle[d][s]))));
    __m128i m = _mm_max_epu8(sig, _mm_srli_epi32(sig, 8));
    m = _mm_max_epu8(m, _mm_srli_epi32(m, 16));
    top[d] = _mm_and_si128(m, byte0);
    __m128i z = _mm_and_si128(_mm_cmpeq_epi8(sig, _mm_setzero_si128()), one);
    z = _mm_add_epi8(z, _mm_srli_epi32(z, 8));
    z = _mm_add_epi8(z, _mm_srli_epi32(z, 16));
    zeros[d] = _mm_and_si128(z, byte0);
  }
  tops = lowBytes(top[0], top[1], top[2], top[3]);
  zeroCounts = lowBytes(zeros[0], zeros[1], zeros[2], zeros[3]);
}

}  // namespace

void quadPlanesSse41(const int32_t coef[64], QuadPlanes& p) {
  __m128i tops, zeroCounts;
  quadPlanes(coef, tops, zeroCounts);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p.top), tops);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p.zeros), zeroCounts);
}

// costFromQuadPlanes() with the three openings in 32-bit lanes 0..2 (lane 3
// works on nothing and gives 0).
uint32_t coefficientCostSse41(const int32_t coef[64]) {
  __m128i top, zeros;
  quadPlanes(coef, top, zeros);
  const __m128i zero = _mm_setzero_si128(), one32 = _mm_set1_epi32(1);
  // Bits of each quad entry beyond its first visit: 3 top + 5 - zeros, 0 for an all-zero quad.
  const __m128i quadBits = _mm_add_epi8(_mm_sub_epi8(_mm_add_epi8(_mm_add_epi8(top, top), _mm_add_epi8(top, _mm_set1_epi8(5))), zeros),
                                        _mm_cmpeq_epi8(top, zero));
  // Lane g: the group's four quads (bytes), and the opening's quad.
  const __m128i groups = _mm_setr_epi8(2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 14, 15, -1, -1, -1, -1);
  const __m128i openings = _mm_setr_epi8(1, -1, -1, -1, 6, -1, -1, -1, 11, -1, -1, -1, -1, -1, -1, -1);
  __m128i groupTop = _mm_shuffle_epi8(top, groups);
  groupTop = _mm_max_epu8(groupTop, _mm_srli_epi32(groupTop, 8));
  groupTop = _mm_and_si128(_mm_max_epu8(groupTop, _mm_srli_epi32(groupTop, 16)), _mm_set1_epi32(0xff));
  const __m128i groupBits =
      _mm_madd_epi16(_mm_maddubs_epi16(_mm_shuffle_epi8(quadBits, groups), _mm_set1_epi8(1)), _mm_set1_epi16(1));
  const __m128i quadTop = _mm_shuffle_epi8(top, openings), quadZeros = _mm_shuffle_epi8(zeros, openings);
  const __m128i noGroup = _mm_cmpeq_epi32(groupTop, zero);
  const __m128i fire = _mm_blendv_epi8(_mm_max_epi32(quadTop, _mm_add_epi32(groupTop, one32)), quadTop, noGroup);
  const __m128i groupEntry =
      _mm_blendv_epi8(_mm_add_epi32(_mm_add_epi32(fire, groupBits), _mm_mullo_epi32(groupTop, _mm_set1_epi32(3))),
                      _mm_sub_epi32(fire, one32), noGroup);
  __m128i bits = _mm_add_epi32(_mm_sub_epi32(_mm_add_epi32(_mm_mullo_epi32(fire, _mm_set1_epi32(3)), _mm_set1_epi32(5)), quadZeros),
                               groupEntry);
  bits = _mm_and_si128(bits, _mm_cmpgt_epi32(fire, zero));
  // Horizontal: the highest fire plane and the sum of the bits.
  __m128i n = _mm_max_epi32(fire, _mm_shuffle_epi32(fire, _MM_SHUFFLE(1, 0, 3, 2)));
  n = _mm_max_epi32(n, _mm_shuffle_epi32(n, _MM_SHUFFLE(2, 3, 0, 1)));
  bits = _mm_add_epi32(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(1, 0, 3, 2)));
  bits = _mm_add_epi32(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(2, 3, 0, 1)));
  const uint32_t planes = std::max<uint32_t>(static_cast<uint32_t>(_mm_cvtsi128_si32(n)),
                                             static_cast<uint32_t>(_mm_extract_epi8(top, 0)));
  if (planes == 0) return 4;
  return 4 + 6 * planes + (4u - static_cast<uint32_t>(_mm_extract_epi8(zeros, 0))) +
         static_cast<uint32_t>(_mm_cvtsi128_si32(bits));
}

TOL_NS_END
