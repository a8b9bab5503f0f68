// Inverse transform, four columns (then four rows) per vector: the column
// pass runs on two halves of the block, a 4x4 transpose turns rows into
// lanes for the row pass, and a byte shuffle puts the samples back in
// raster order. _mm_mullo_epi32 keeps the low 32 bits of the product, so the
// wrapping arithmetic is exactly that of the plain version.
#include <immintrin.h>

#include "decode/core/idct.h"
#include "decode/core/idct_butterfly.h"

TOL_NS_BEGIN
namespace {

struct Sse41Ops {
  static __m128i add(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
  static __m128i sub(__m128i a, __m128i b) { return _mm_sub_epi32(a, b); }
  static __m128i mul(__m128i x, int32_t k) { return _mm_srai_epi32(_mm_mullo_epi32(x, _mm_set1_epi32(k)), 11); }
};

inline __m128i load(const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

inline void transpose4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
  const __m128i t0 = _mm_unpacklo_epi32(a, b), t1 = _mm_unpackhi_epi32(a, b);
  const __m128i t2 = _mm_unpacklo_epi32(c, d), t3 = _mm_unpackhi_epi32(c, d);
  a = _mm_unpacklo_epi64(t0, t2);
  b = _mm_unpackhi_epi64(t0, t2);
  c = _mm_unpacklo_epi64(t1, t3);
  d = _mm_unpackhi_epi64(t1, t3);
}

}  // namespace

void idctSamplesSse41(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]) {
  // Column pass: col[h][r] = row r, columns 4h .. 4h + 3.
  __m128i col[2][8];
  for (int h = 0; h < 2; ++h) {
    __m128i in[8];
    for (int r = 0; r < 8; ++r)
      in[r] = _mm_srai_epi32(_mm_mullo_epi32(load(coef + 8 * r + 4 * h), load(table + 8 * r + 4 * h)), 11);
    idctButterfly<Sse41Ops>(in, col[h]);
  }
  // Transpose: row[g][k] = rows 4g .. 4g + 3, column k.
  __m128i row[2][8];
  for (int g = 0; g < 2; ++g)
    for (int h = 0; h < 2; ++h) {
      __m128i* q = row[g] + 4 * h;
      q[0] = col[h][4 * g];
      q[1] = col[h][4 * g + 1];
      q[2] = col[h][4 * g + 2];
      q[3] = col[h][4 * g + 3];
      transpose4(q[0], q[1], q[2], q[3]);
    }
  // Row pass; the low 8 bits of (out + 127) >> 8, as 16-bit lanes of rows 0..7.
  const __m128i round = _mm_set1_epi32(127), low8 = _mm_set1_epi32(255);
  __m128i out[2][8];
  for (int g = 0; g < 2; ++g) {
    idctButterfly<Sse41Ops>(row[g], out[g]);
    for (int k = 0; k < 8; ++k) out[g][k] = _mm_and_si128(_mm_srai_epi32(_mm_add_epi32(out[g][k], round), 8), low8);
  }
  __m128i byColumn[4];  // columns 2j and 2j + 1, rows 0..7 each
  for (int j = 0; j < 4; ++j)
    byColumn[j] = _mm_packus_epi16(_mm_packus_epi32(out[0][2 * j], out[1][2 * j]),
                                   _mm_packus_epi32(out[0][2 * j + 1], out[1][2 * j + 1]));
  // Byte transpose: pairs of columns per row, then quads, then whole rows.
  __m128i pairs[4];
  for (int j = 0; j < 4; ++j) pairs[j] = _mm_unpacklo_epi8(byColumn[j], _mm_srli_si128(byColumn[j], 8));
  const __m128i lo03 = _mm_unpacklo_epi16(pairs[0], pairs[1]), hi03 = _mm_unpackhi_epi16(pairs[0], pairs[1]);
  const __m128i lo47 = _mm_unpacklo_epi16(pairs[2], pairs[3]), hi47 = _mm_unpackhi_epi16(pairs[2], pairs[3]);
  __m128i* dst = reinterpret_cast<__m128i*>(samples);
  _mm_storeu_si128(dst, _mm_unpacklo_epi32(lo03, lo47));
  _mm_storeu_si128(dst + 1, _mm_unpackhi_epi32(lo03, lo47));
  _mm_storeu_si128(dst + 2, _mm_unpacklo_epi32(hi03, hi47));
  _mm_storeu_si128(dst + 3, _mm_unpackhi_epi32(hi03, hi47));
}

TOL_NS_END
