// Quad planes of a block, sixteen coefficients per step: magnitudes clamped
// to the coder's limits in raster order (the DC's limit taken as 0), bit
// lengths from the exponent of the float conversion (exact below 2^24), a
// byte shuffle into coefficient order, then per 4-byte quad the largest
// plane and the count of zeros.
#include <immintrin.h>

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

void quadPlanesSse41(const int32_t coef[64], QuadPlanes& p) {
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
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p.top), lowBytes(top[0], top[1], top[2], top[3]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p.zeros), lowBytes(zeros[0], zeros[1], zeros[2], zeros[3]));
}

TOL_NS_END
