#include <immintrin.h>

#include <cstring>

#include "encoder/pixel_kernels.h"
#include "encoder/run_statistics_lanes.h"

TOL_NS_BEGIN
namespace {

// Shuffle controls that move the last `bytes` of a 16-byte load to the front.
alignas(16) constexpr uint8_t kShiftDown[32] = {0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,
                                                11,   12,   13,   14,   15,   0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
                                                0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};

// The first `bytes` (8..16) bytes at p into lanes 0..bytes-1, reading only
// [p + bytes - 16, p + bytes); the caller guarantees p - 8 is readable when
// bytes < 16.
__m128i loadTail(const uint8_t* p, int bytes) {
  if (bytes >= 16) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + bytes - 16));
  return _mm_shuffle_epi8(tail, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kShiftDown + 16 - bytes)));
}

// 32-byte vectors for the run statistics: 32 starts at a time (the first
// 32, which all have 16 samples ahead), each 16-byte half transposed on its
// own.
struct Avx2Lanes {
  using Vec = __m256i;
  static constexpr int kLanes = 32;
  static Vec zero() { return _mm256_setzero_si256(); }
  static Vec splat(uint8_t v) { return _mm256_set1_epi8(static_cast<char>(v)); }
  static Vec laneIndex() {
    return _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                            25, 26, 27, 28, 29, 30, 31);
  }
  static Vec load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static Vec min(Vec a, Vec b) { return _mm256_min_epu8(a, b); }
  static Vec max(Vec a, Vec b) { return _mm256_max_epu8(a, b); }
  static Vec sub(Vec a, Vec b) { return _mm256_sub_epi8(a, b); }
  static Vec subSaturate(Vec a, Vec b) { return _mm256_subs_epu8(a, b); }
  static Vec equal(Vec a, Vec b) { return _mm256_cmpeq_epi8(a, b); }
  static Vec select(Vec mask, Vec a, Vec b) { return _mm256_blendv_epi8(b, a, mask); }
  // Mean of two bytes rounded down.
  static Vec meanDown(Vec a, Vec b) {
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(_mm256_xor_si256(a, b), splat(1)));
  }
  static Vec interleaveLow8(Vec a, Vec b) { return _mm256_unpacklo_epi8(a, b); }
  static Vec interleaveHigh8(Vec a, Vec b) { return _mm256_unpackhi_epi8(a, b); }
  static Vec interleaveLow16(Vec a, Vec b) { return _mm256_unpacklo_epi16(a, b); }
  static Vec interleaveHigh16(Vec a, Vec b) { return _mm256_unpackhi_epi16(a, b); }
  static Vec interleaveLow32(Vec a, Vec b) { return _mm256_unpacklo_epi32(a, b); }
  static Vec interleaveHigh32(Vec a, Vec b) { return _mm256_unpackhi_epi32(a, b); }
  static Vec interleaveLow64(Vec a, Vec b) { return _mm256_unpacklo_epi64(a, b); }
  static Vec interleaveHigh64(Vec a, Vec b) { return _mm256_unpackhi_epi64(a, b); }
  static void storeHalf(uint8_t* out, Vec v, int half) {
    _mm_store_si128(reinterpret_cast<__m128i*>(out),
                    half ? _mm256_extracti128_si256(v, 1) : _mm256_castsi256_si128(v));
  }
};

}  // namespace

void runStatisticsAvx2(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                       uint8_t (*deviation)[10]) {
  run_lanes::runStatistics<Avx2Lanes>(scanned, length, colour, deviation);
}

// Sixteen offsets at a time: the low lane holds the reference row from k0,
// the high lane from k0 + 8, and each lane's mpsadbw gives eight SADs. The
// last group may have fewer than sixteen offsets; fewer than nine go to the
// SSE4.1 version. Every two rows, a group whose partial sums all reached
// the cap is given up.
uint32_t sadOffsetsCappedAvx2(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                              int count, uint32_t cap, uint32_t* out) {
  uint32_t least = cap;
  const bool mayGiveUp = cap <= 0xFFFF;  // partial sums are 16-bit
  __m256i rows[8];
  for (int r = 0; r < 8; ++r) {
    int64_t s8;
    std::memcpy(&s8, src + r * srcPitch, 8);
    rows[r] = _mm256_set1_epi64x(s8);
  }
  int k0 = 0;
  for (; count - k0 >= 9; k0 += 16) {
    const int n = count - k0 < 16 ? count - k0 : 16;
    const int highBytes = count - k0 - 1;  // readable bytes from k0 + 8
    __m256i acc = _mm256_setzero_si256();
    bool givenUp = false;
    for (int r = 0; r < 8; ++r) {
      const uint8_t* p = ref + r * refPitch + k0;
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m256i row = _mm256_inserti128_si256(_mm256_castsi128_si256(low), loadTail(p + 8, highBytes), 1);
      acc = _mm256_add_epi16(acc, _mm256_mpsadbw_epu8(row, rows[r], 0));
      acc = _mm256_add_epi16(acc, _mm256_mpsadbw_epu8(row, rows[r], 5 | 5 << 3));
      // Lanes past the last offset only make giving up rarer.
      if (mayGiveUp && (r & 1) && r < 7) {
        const __m128i least = _mm_min_epu16(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
        if (static_cast<uint32_t>(_mm_extract_epi16(_mm_minpos_epu16(least), 0)) >= cap) {
          givenUp = true;
          break;
        }
      }
    }
    if (givenUp) {
      for (int i = 0; i < n; ++i) out[k0 + i] = cap;
      continue;
    }
    const __m256i limit = _mm256_set1_epi32(static_cast<int>(cap));
    const __m256i first = _mm256_min_epu32(_mm256_cvtepu16_epi32(_mm256_castsi256_si128(acc)), limit);
    const __m256i second = _mm256_min_epu32(_mm256_cvtepu16_epi32(_mm256_extracti128_si256(acc, 1)), limit);
    if (n == 16) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k0), first);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k0 + 8), second);
      // The 16-bit sums are below the cap exactly where they matter.
      const __m128i sums = _mm_min_epu16(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
      const uint32_t m = static_cast<uint32_t>(_mm_extract_epi16(_mm_minpos_epu16(sums), 0));
      least = m < least ? m : least;
    } else {
      alignas(32) uint32_t lanes[16];
      _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), first);
      _mm256_store_si256(reinterpret_cast<__m256i*>(lanes + 8), second);
      std::memcpy(out + k0, lanes, sizeof(uint32_t) * static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) least = lanes[i] < least ? lanes[i] : least;
    }
  }
  if (k0 < count) {
    const uint32_t m = sadOffsetsCappedSse41(src, srcPitch, ref + k0, refPitch, count - k0, cap, out + k0);
    least = m < least ? m : least;
  }
  return least;
}

void sadOffsetsAvx2(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                    uint32_t* out) {
  sadOffsetsCappedAvx2(src, srcPitch, ref, refPitch, count, UINT32_MAX, out);
}

TOL_NS_END
