// SSE2 row kernels of the YUV blitters: 16 pixels of a row pair per pass.
//
// The arithmetic reproduces the tables exactly. Luma: L[Y] is
// ((Y - 16, saturated at 0) * 4 * 19077) >> 16. Chroma: with d = v - 128
// each table is trunc(d * k / 32768), computed as sign(d) times the high
// half of the unsigned product 2|d| * k; blue's k = 66101 exceeds 16 bits
// and is split into 2|d| + (2|d| * 565) >> 16. Sums stay within 16 bits and
// are clamped by saturation or min/max, as the clamp tables do.
#include <emmintrin.h>

#include "decode/yuv_kernels.h"
#include "decode/yuv_tables.h"

TOL_NS_BEGIN
namespace {

constexpr int32_t kStep = 16;

struct Terms {  // chroma terms of 8 pixels, 16 bits each
  __m128i r, g, b;
};

struct Sums {  // unclamped channel sums of 16 pixels, in two halves
  __m128i r[2], g[2], b[2];
};

__m128i withSign(__m128i x, __m128i sign) { return _mm_sub_epi16(_mm_xor_si128(x, sign), sign); }

// floor(|d| * k / 32768) from twiceAbs = 2|d|.
__m128i scaled(__m128i twiceAbs, int k) {
  return _mm_mulhi_epu16(twiceAbs, _mm_set1_epi16(static_cast<int16_t>(k)));
}

// 8 bytes widened to 16-bit lanes.
__m128i widen8(const uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}

// Terms of the 8 chroma samples at cr and cb.
void chromaTerms(const uint8_t* cr, const uint8_t* cb, Terms& lo, Terms& hi) {
  const __m128i zero = _mm_setzero_si128(), c128 = _mm_set1_epi16(128);
  const __m128i dr = _mm_sub_epi16(widen8(cr), c128), db = _mm_sub_epi16(widen8(cb), c128);
  const __m128i sr = _mm_srai_epi16(dr, 15), sb = _mm_srai_epi16(db, 15);
  const __m128i ar = _mm_slli_epi16(withSign(dr, sr), 1), ab = _mm_slli_epi16(withSign(db, sb), 1);
  const __m128i r = withSign(scaled(ar, 52299), sr);
  const __m128i b = withSign(_mm_add_epi16(scaled(ab, 66101 - 65536), ab), sb);
  const __m128i g = _mm_sub_epi16(zero, _mm_add_epi16(withSign(scaled(ar, 26639), sr),
                                                       withSign(scaled(ab, 12837), sb)));
  // Each sample serves two neighbouring pixels.
  lo = {_mm_unpacklo_epi16(r, r), _mm_unpacklo_epi16(g, g), _mm_unpacklo_epi16(b, b)};
  hi = {_mm_unpackhi_epi16(r, r), _mm_unpackhi_epi16(g, g), _mm_unpackhi_epi16(b, b)};
}

Sums sums(const uint8_t* y, const Terms& lo, const Terms& hi) {
  const __m128i zero = _mm_setzero_si128(), k = _mm_set1_epi16(19077);
  const __m128i v = _mm_subs_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y)), _mm_set1_epi8(16));
  const __m128i l0 = _mm_mulhi_epi16(_mm_slli_epi16(_mm_unpacklo_epi8(v, zero), 2), k);
  const __m128i l1 = _mm_mulhi_epi16(_mm_slli_epi16(_mm_unpackhi_epi8(v, zero), 2), k);
  return {{_mm_add_epi16(l0, lo.r), _mm_add_epi16(l1, hi.r)},
          {_mm_add_epi16(l0, lo.g), _mm_add_epi16(l1, hi.g)},
          {_mm_add_epi16(l0, lo.b), _mm_add_epi16(l1, hi.b)}};
}

// 16 pixels as four registers of 0x00BBGGRR words (red in byte 0).
void pixels32(const Sums& s, __m128i p[4]) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i r = _mm_packus_epi16(s.r[0], s.r[1]);
  const __m128i g = _mm_packus_epi16(s.g[0], s.g[1]);
  const __m128i b = _mm_packus_epi16(s.b[0], s.b[1]);
  const __m128i rg0 = _mm_unpacklo_epi8(r, g), rg1 = _mm_unpackhi_epi8(r, g);
  const __m128i b0 = _mm_unpacklo_epi8(b, zero), b1 = _mm_unpackhi_epi8(b, zero);
  p[0] = _mm_unpacklo_epi16(rg0, b0);
  p[1] = _mm_unpackhi_epi16(rg0, b0);
  p[2] = _mm_unpacklo_epi16(rg1, b1);
  p[3] = _mm_unpackhi_epi16(rg1, b1);
}

struct Rgb32 {
  static constexpr int kSlot = 2, kBytes = 4;
  static void put(uint8_t* d, const Sums& s) {
    __m128i p[4];
    pixels32(s, p);
    const __m128i keep = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    for (int k = 0; k < 4; ++k) {
      __m128i* q = reinterpret_cast<__m128i*>(d) + k;
      _mm_storeu_si128(q, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(q), keep), p[k]));
    }
  }
};

// Four 0x00BBGGRR pixels to 12 bytes at the start of the register.
__m128i pack12(__m128i p) {
  // In each 64-bit half, the second pixel moves down next to the first...
  const __m128i first = _mm_and_si128(p, _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF));
  const __m128i second = _mm_and_si128(_mm_srli_epi64(p, 8),
                                       _mm_set_epi32(0xFFFF, int32_t(0xFF000000u), 0xFFFF, int32_t(0xFF000000u)));
  const __m128i q = _mm_or_si128(first, second);
  // ...then the upper half's 6 bytes move down next to the lower half's.
  return _mm_or_si128(_mm_and_si128(q, _mm_set_epi32(0, 0, 0xFFFF, -1)),
                      _mm_and_si128(_mm_srli_si128(q, 2), _mm_set_epi32(0, -1, int32_t(0xFFFF0000u), 0)));
}

struct Rgb24 {
  static constexpr int kSlot = 1, kBytes = 3;
  static void put(uint8_t* d, const Sums& s) {
    __m128i p[4];
    pixels32(s, p);
    const __m128i a = pack12(p[0]), b = pack12(p[1]), c = pack12(p[2]), e = pack12(p[3]);
    __m128i* q = reinterpret_cast<__m128i*>(d);
    _mm_storeu_si128(q, _mm_or_si128(a, _mm_slli_si128(b, 12)));
    _mm_storeu_si128(q + 1, _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
    _mm_storeu_si128(q + 2, _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(e, 4)));
  }
};

template <int kType>
struct Rgb16 {
  static constexpr int kSlot = kType, kBytes = 2;
  static constexpr YuvLayout16 kLayout = kYuvLayouts16[kType - 3];
  static __m128i clamp(__m128i v) {
    return _mm_min_epi16(_mm_max_epi16(v, _mm_setzero_si128()), _mm_set1_epi16(255));
  }
  static void put(uint8_t* d, const Sums& s) {
    for (int k = 0; k < 2; ++k) {
      const __m128i r = _mm_srli_epi16(clamp(s.r[k]), 8 - kLayout.redBits);
      const __m128i g = _mm_slli_epi16(_mm_srli_epi16(clamp(s.g[k]), 8 - kLayout.greenBits), kLayout.redBits);
      const __m128i b = _mm_slli_epi16(_mm_srli_epi16(clamp(s.b[k]), 8 - kLayout.blueBits), kLayout.blueShift);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d) + k, _mm_or_si128(_mm_or_si128(r, g), b));
    }
  }
};

template <class Px>
void rowRgb(const YuvRows& r) {
  // An odd start converts its first pixel alone; the passes then begin on a
  // chroma pair.
  int32_t i = r.oddStart && r.count > 0 ? 1 : 0;
  yuvRowPart(kYuvPlainKernels, Px::kSlot, r, 0, i);
  const uint8_t* cr = r.cr + i;
  const uint8_t* cb = r.cb + i;
  for (; i + kStep <= r.count; i += kStep, cr += kStep / 2, cb += kStep / 2) {
    Terms lo, hi;
    chromaTerms(cr, cb, lo, hi);
    Px::put(r.dst0 + i * Px::kBytes, sums(r.y0 + i, lo, hi));
    if (r.dst1) Px::put(r.dst1 + i * Px::kBytes, sums(r.y1 + i, lo, hi));
  }
  yuvRowPart(kYuvPlainKernels, Px::kSlot, r, i, r.count);
}

template <bool kUyvy>
void rowPacked(const YuvRows& r) {
  constexpr int kSlot = kUyvy ? 9 : 8;
  int32_t i = 0;
  for (; i + kStep <= r.count; i += kStep) {
    const __m128i c = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r.cr + i / 2)),
                                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(r.cb + i / 2)));
    for (int k = 0; k < (r.dst1 ? 2 : 1); ++k) {
      const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>((k ? r.y1 : r.y0) + i));
      __m128i* d = reinterpret_cast<__m128i*>((k ? r.dst1 : r.dst0) + 2 * i);
      _mm_storeu_si128(d, kUyvy ? _mm_unpacklo_epi8(c, y) : _mm_unpacklo_epi8(y, c));
      _mm_storeu_si128(d + 1, kUyvy ? _mm_unpackhi_epi8(c, y) : _mm_unpackhi_epi8(y, c));
    }
  }
  yuvRowPart(kYuvPlainKernels, kSlot, r, i, r.count);
}

}  // namespace

const YuvKernelSet kYuvSse2Kernels = {{
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
