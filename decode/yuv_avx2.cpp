// AVX2 row kernels of the YUV blitters: 32 pixels of a row pair per pass,
// with the arithmetic of the SSE2 kernels (see yuv_sse2.cpp) on 16 lanes.
// Samples are widened with order-preserving loads; where an instruction
// works within 128-bit halves, a cross-half permute restores pixel order.
#include <immintrin.h>

#include "decode/yuv_kernels.h"
#include "decode/yuv_tables.h"

TOL_NS_BEGIN
namespace {

constexpr int32_t kStep = 32;

struct Terms {  // chroma terms of 16 pixels
  __m256i r, g, b;
};

struct Sums {  // unclamped channel sums of 16 pixels
  __m256i r, g, b;
};

__m128i load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

__m256i withSign(__m256i x, __m256i sign) { return _mm256_sub_epi16(_mm256_xor_si256(x, sign), sign); }

__m256i scaled(__m256i twiceAbs, int k) {
  return _mm256_mulhi_epu16(twiceAbs, _mm256_set1_epi16(static_cast<int16_t>(k)));
}

// Lanes [a0..a7 | a8..a15] to pixel order when each lane serves two pixels:
// first = pixels of a0..a7, second = pixels of a8..a15.
void duplicate(__m256i a, __m256i& first, __m256i& second) {
  const __m256i lo = _mm256_unpacklo_epi16(a, a), hi = _mm256_unpackhi_epi16(a, a);
  first = _mm256_permute2x128_si256(lo, hi, 0x20);
  second = _mm256_permute2x128_si256(lo, hi, 0x31);
}

// Terms of 16 chroma samples, for pixels 0-15 and 16-31.
void chromaTerms(__m128i cr, __m128i cb, Terms& lo, Terms& hi) {
  const __m256i c128 = _mm256_set1_epi16(128);
  const __m256i dr = _mm256_sub_epi16(_mm256_cvtepu8_epi16(cr), c128);
  const __m256i db = _mm256_sub_epi16(_mm256_cvtepu8_epi16(cb), c128);
  const __m256i sr = _mm256_srai_epi16(dr, 15), sb = _mm256_srai_epi16(db, 15);
  const __m256i ar = _mm256_slli_epi16(withSign(dr, sr), 1), ab = _mm256_slli_epi16(withSign(db, sb), 1);
  const __m256i r = withSign(scaled(ar, 52299), sr);
  const __m256i b = withSign(_mm256_add_epi16(scaled(ab, 66101 - 65536), ab), sb);
  const __m256i g = _mm256_sub_epi16(_mm256_setzero_si256(), _mm256_add_epi16(withSign(scaled(ar, 26639), sr),
                                                                             withSign(scaled(ab, 12837), sb)));
  duplicate(r, lo.r, hi.r);
  duplicate(g, lo.g, hi.g);
  duplicate(b, lo.b, hi.b);
}

Sums sums(const uint8_t* y, const Terms& t) {
  const __m256i v = _mm256_subs_epu16(_mm256_cvtepu8_epi16(load16(y)), _mm256_set1_epi16(16));
  const __m256i l = _mm256_mulhi_epi16(_mm256_slli_epi16(v, 2), _mm256_set1_epi16(19077));
  return {_mm256_add_epi16(l, t.r), _mm256_add_epi16(l, t.g), _mm256_add_epi16(l, t.b)};
}

__m256i clamp(__m256i v) {
  return _mm256_min_epi16(_mm256_max_epi16(v, _mm256_setzero_si256()), _mm256_set1_epi16(255));
}

// 16 pixels as two registers of 0x00BBGGRR words, in pixel order.
void pixels32(const Sums& s, __m256i& first, __m256i& second) {
  const __m256i rg = _mm256_or_si256(clamp(s.r), _mm256_slli_epi16(clamp(s.g), 8));
  const __m256i b = clamp(s.b);
  const __m256i lo = _mm256_unpacklo_epi16(rg, b), hi = _mm256_unpackhi_epi16(rg, b);
  first = _mm256_permute2x128_si256(lo, hi, 0x20);
  second = _mm256_permute2x128_si256(lo, hi, 0x31);
}

struct Rgb32 {
  static constexpr int kSlot = 2, kBytes = 4;
  static void put(uint8_t* d, const Sums& s, bool) {
    __m256i p[2];
    pixels32(s, p[0], p[1]);
    const __m256i keep = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    for (int k = 0; k < 2; ++k) {
      __m256i* q = reinterpret_cast<__m256i*>(d) + k;
      _mm256_storeu_si256(q, _mm256_or_si256(_mm256_and_si256(_mm256_loadu_si256(q), keep), p[k]));
    }
  }
};

struct Rgb24 {
  static constexpr int kSlot = 1, kBytes = 3;
  // last: these are the pass's final 16 pixels, so the final 12 bytes must
  // not be written as 16 (the 4 extra bytes would lie past the pass).
  static void put(uint8_t* d, const Sums& s, bool last) {
    __m256i p[2];
    pixels32(s, p[0], p[1]);
    // Each 128-bit half: 4 pixels to 12 bytes at its start.
    const __m256i squeeze = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                             0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    __m128i part[4];
    for (int k = 0; k < 2; ++k) {
      const __m256i q = _mm256_shuffle_epi8(p[k], squeeze);
      part[2 * k] = _mm256_castsi256_si128(q);
      part[2 * k + 1] = _mm256_extracti128_si256(q, 1);
    }
    // Overlapping 16-byte stores; each one's 4 spare bytes are overwritten
    // by the next.
    for (int k = 0; k < 3; ++k) _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 12 * k), part[k]);
    if (!last) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 36), part[3]);
    } else {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 36), part[3]);
      _mm_storeu_si32(d + 44, _mm_srli_si128(part[3], 8));
    }
  }
};

template <int kType>
struct Rgb16 {
  static constexpr int kSlot = kType, kBytes = 2;
  static constexpr YuvLayout16 kLayout = kYuvLayouts16[kType - 3];
  static void put(uint8_t* d, const Sums& s, bool) {
    const __m256i r = _mm256_srli_epi16(clamp(s.r), 8 - kLayout.redBits);
    const __m256i g = _mm256_slli_epi16(_mm256_srli_epi16(clamp(s.g), 8 - kLayout.greenBits), kLayout.redBits);
    const __m256i b = _mm256_slli_epi16(_mm256_srli_epi16(clamp(s.b), 8 - kLayout.blueBits), kLayout.blueShift);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_or_si256(_mm256_or_si256(r, g), b));
  }
};

// One pass over pixels i to i + 31 of the rows.
template <class Px>
void pass(const YuvRows& r, int32_t i, const uint8_t* cr, const uint8_t* cb) {
  Terms t[2];
  chromaTerms(load16(cr), load16(cb), t[0], t[1]);
  for (int row = 0; row < (r.dst1 ? 2 : 1); ++row) {
    uint8_t* d = (row ? r.dst1 : r.dst0) + i * Px::kBytes;
    const uint8_t* y = (row ? r.y1 : r.y0) + i;
    Px::put(d, sums(y, t[0]), false);
    Px::put(d + 16 * Px::kBytes, sums(y + 16, t[1]), true);
  }
}

// The part of a row shorter than a pass (such as a 16-pixel area of the
// mask walk) goes to the SSE2 loops.
template <class Px>
void rowRgb(const YuvRows& r) {
  // An odd start converts its first pixel alone; the passes then begin on a
  // chroma pair.
  int32_t i = r.oddStart && r.count > 0 ? 1 : 0;
  yuvRowPart(kYuvPlainKernels, Px::kSlot, r, 0, i);
  for (; i + kStep <= r.count; i += kStep) pass<Px>(r, i, r.cr + (i + r.oddStart) / 2, r.cb + (i + r.oddStart) / 2);
  yuvRowPart(kYuvSse2Kernels, Px::kSlot, r, i, r.count);
}

template <bool kUyvy>
void rowPacked(const YuvRows& r) {
  constexpr int kSlot = kUyvy ? 9 : 8;
  int32_t i = 0;
  for (; i + kStep <= r.count; i += kStep) {
    const __m128i cr = load16(r.cr + i / 2), cb = load16(r.cb + i / 2);
    // Chroma pairs of pixels 0-15 in the low half, of pixels 16-31 in the high half.
    const __m256i c = _mm256_set_m128i(_mm_unpackhi_epi8(cr, cb), _mm_unpacklo_epi8(cr, cb));
    for (int k = 0; k < (r.dst1 ? 2 : 1); ++k) {
      const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>((k ? r.y1 : r.y0) + i));
      const __m256i lo = kUyvy ? _mm256_unpacklo_epi8(c, y) : _mm256_unpacklo_epi8(y, c);
      const __m256i hi = kUyvy ? _mm256_unpackhi_epi8(c, y) : _mm256_unpackhi_epi8(y, c);
      __m256i* d = reinterpret_cast<__m256i*>((k ? r.dst1 : r.dst0) + 2 * i);
      _mm256_storeu_si256(d, _mm256_permute2x128_si256(lo, hi, 0x20));
      _mm256_storeu_si256(d + 1, _mm256_permute2x128_si256(lo, hi, 0x31));
    }
  }
  yuvRowPart(kYuvSse2Kernels, kSlot, r, i, r.count);
}

}  // namespace

const YuvKernelSet kYuvAvx2Kernels = {{
    nullptr,
    rowRgb<Rgb24>,
    rowRgb<Rgb32>,
    rowRgb<Rgb16<3>>,
    rowRgb<Rgb16<4>>,
    rowRgb<Rgb16<5>>,
    rowRgb<Rgb16<6>>,
    yuvPlainBlank16,
    rowPacked<false>,
    rowPacked<true>,
}};

TOL_NS_END
