// Inverse transform with one row of eight columns per vector: the column
// pass works on whole rows, an 8x8 transpose turns rows into lanes for the
// row pass, and a byte shuffle puts the samples back in raster order.
// _mm256_mullo_epi32 keeps the low 32 bits of the product, so the wrapping
// arithmetic is exactly that of the plain version.
#include <immintrin.h>

#include "decode/core/idct.h"
#include "decode/core/idct_butterfly.h"
#include "decode/core/transpose_avx2.h"

TOL_NS_BEGIN
namespace {

struct Avx2Ops {
  static __m256i add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
  static __m256i sub(__m256i a, __m256i b) { return _mm256_sub_epi32(a, b); }
  static __m256i mul(__m256i x, int32_t k) {
    return _mm256_srai_epi32(_mm256_mullo_epi32(x, _mm256_set1_epi32(k)), 11);
  }
};

inline __m256i load(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

}  // namespace

void idctSamplesAvx2(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]) {
  __m256i in[8], col[8], row[8], out[8];
  for (int r = 0; r < 8; ++r) in[r] = _mm256_srai_epi32(_mm256_mullo_epi32(load(coef + 8 * r), load(table + 8 * r)), 11);
  idctButterfly<Avx2Ops>(in, col);
  transpose8x8Epi32(col, row);  // row[k]: column k of rows 0..7
  idctButterfly<Avx2Ops>(row, out);
  // The low 8 bits of (out + 127) >> 8; out[k] holds column k of rows 0..7.
  const __m256i round = _mm256_set1_epi32(127), low8 = _mm256_set1_epi32(255);
  for (int k = 0; k < 8; ++k) out[k] = _mm256_and_si256(_mm256_srai_epi32(_mm256_add_epi32(out[k], round), 8), low8);
  // Per 128-bit lane (rows 0..3, rows 4..7): bytes of columns 0..3 (or 4..7)
  // column by column, shuffled to row by row, then rows joined.
  const __m256i c01 = _mm256_packus_epi32(out[0], out[1]), c23 = _mm256_packus_epi32(out[2], out[3]);
  const __m256i c45 = _mm256_packus_epi32(out[4], out[5]), c67 = _mm256_packus_epi32(out[6], out[7]);
  const __m256i byRow = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                         0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  const __m256i left = _mm256_shuffle_epi8(_mm256_packus_epi16(c01, c23), byRow);
  const __m256i right = _mm256_shuffle_epi8(_mm256_packus_epi16(c45, c67), byRow);
  const __m256i rows0145 = _mm256_unpacklo_epi32(left, right), rows2367 = _mm256_unpackhi_epi32(left, right);
  __m256i* dst = reinterpret_cast<__m256i*>(samples);
  _mm256_storeu_si256(dst, _mm256_permute2x128_si256(rows0145, rows2367, 0x20));
  _mm256_storeu_si256(dst + 1, _mm256_permute2x128_si256(rows0145, rows2367, 0x31));
}

TOL_NS_END
