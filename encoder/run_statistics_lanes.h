// Run statistics for many starts at once, one start per byte lane, written
// once for any vector width: `V` supplies the vector type and its byte
// operations (see the SSE4.1 and AVX2 kernel files). A vector of kLanes
// bytes is handled as kLanes / 16 independent 16-byte halves wherever lanes
// are moved (interleaves work within each 16-byte half).
//
// Only include this from ISA-specific kernel files (SSE4.1 or wider), with
// any wider policy in an unnamed namespace there, so every instantiation
// stays private to the file compiled for its instruction set.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "encoder/pixel_kernels.h"

TOL_NS_BEGIN
namespace run_lanes {

// 16-byte vectors (SSE4.1): 16 starts at a time. In an unnamed namespace so
// that each kernel file including this gets its own copy, compiled for its
// own instruction set.
namespace {
struct Lanes128 {
  using Vec = __m128i;
  static constexpr int kLanes = 16;
  static Vec zero() { return _mm_setzero_si128(); }
  static Vec splat(uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
  static Vec laneIndex() { return _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }
  static Vec load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static Vec min(Vec a, Vec b) { return _mm_min_epu8(a, b); }
  static Vec max(Vec a, Vec b) { return _mm_max_epu8(a, b); }
  static Vec sub(Vec a, Vec b) { return _mm_sub_epi8(a, b); }
  static Vec subSaturate(Vec a, Vec b) { return _mm_subs_epu8(a, b); }
  static Vec equal(Vec a, Vec b) { return _mm_cmpeq_epi8(a, b); }
  static Vec select(Vec mask, Vec a, Vec b) { return _mm_blendv_epi8(b, a, mask); }
  // Mean of two bytes rounded down.
  static Vec meanDown(Vec a, Vec b) {
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), splat(1)));
  }
  static Vec interleaveLow8(Vec a, Vec b) { return _mm_unpacklo_epi8(a, b); }
  static Vec interleaveHigh8(Vec a, Vec b) { return _mm_unpackhi_epi8(a, b); }
  static Vec interleaveLow16(Vec a, Vec b) { return _mm_unpacklo_epi16(a, b); }
  static Vec interleaveHigh16(Vec a, Vec b) { return _mm_unpackhi_epi16(a, b); }
  static Vec interleaveLow32(Vec a, Vec b) { return _mm_unpacklo_epi32(a, b); }
  static Vec interleaveHigh32(Vec a, Vec b) { return _mm_unpackhi_epi32(a, b); }
  static Vec interleaveLow64(Vec a, Vec b) { return _mm_unpacklo_epi64(a, b); }
  static Vec interleaveHigh64(Vec a, Vec b) { return _mm_unpackhi_epi64(a, b); }
  static void storeHalf(uint8_t* out, Vec v, int) { _mm_store_si128(reinterpret_cast<__m128i*>(out), v); }
};
}  // namespace


// A 16x16 byte transpose (four rounds of interleaving, each doubling the
// width of the elements kept together) leaves column j in register
// kBitReversed[j].
constexpr int kBitReversed[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

template <typename V>
void transpose16(typename V::Vec (&r)[16]) {
  typename V::Vec t[16];
  for (int i = 0; i < 8; ++i) {
    t[i] = V::interleaveLow8(r[2 * i], r[2 * i + 1]);
    t[i + 8] = V::interleaveHigh8(r[2 * i], r[2 * i + 1]);
  }
  for (int i = 0; i < 8; ++i) {
    r[i] = V::interleaveLow16(t[2 * i], t[2 * i + 1]);
    r[i + 8] = V::interleaveHigh16(t[2 * i], t[2 * i + 1]);
  }
  for (int i = 0; i < 8; ++i) {
    t[i] = V::interleaveLow32(r[2 * i], r[2 * i + 1]);
    t[i + 8] = V::interleaveHigh32(r[2 * i], r[2 * i + 1]);
  }
  for (int i = 0; i < 8; ++i) {
    r[i] = V::interleaveLow64(t[2 * i], t[2 * i + 1]);
    r[i + 8] = V::interleaveHigh64(t[2 * i], t[2 * i + 1]);
  }
}

// Rows li = 0..9 of `lanes` (lane l = start p0 + l) into out[p0 + l][li].
// Rows are written in increasing order, each with one 16-byte store that
// spills into the next row (rewritten right after); the very last row of
// the table gets exactly its 10 bytes.
template <typename V>
void storeRows(typename V::Vec (&lanes)[16], int p0, uint8_t (*out)[10]) {
  transpose16<V>(lanes);
  for (int half = 0; half < V::kLanes / 16; ++half)
    for (int l = 0; l < 16; ++l) {
      const int p = p0 + 16 * half + l;
      alignas(16) uint8_t row[16];
      V::storeHalf(row, lanes[kBitReversed[l]], half);
      std::memcpy(out[p], row, p < 63 ? 16 : 10);
    }
}

// kLanes starts p0 .. p0 + kLanes - 1 at once, one per lane. sorted[k]
// holds the k-th smallest member of each lane's run as it grows by one
// sample a step (a min/max pass inserts the new sample). With `cut`, lane
// l's runs end at 64 - p0 - l samples, and a length cut short takes the
// statistics of the step where its run ended. `padded` holds the 64 run
// values and is readable up to index p0 + kLanes + 14.
template <typename V, bool cut>
void statisticsGroup(const uint8_t* padded, int p0, uint8_t (*colour)[10], uint8_t (*deviation)[10]) {
  using Vec = typename V::Vec;
  Vec sorted[16];
  Vec c[16], d[16];
  for (int li = 0; li < 16; ++li) c[li] = d[li] = V::zero();
  Vec want[10];
  if constexpr (cut) {
    const Vec left = V::sub(V::splat(static_cast<uint8_t>(64 - p0)), V::laneIndex());
    for (int li = 0; li < 10; ++li) want[li] = V::min(V::splat(kRunLengthSteps[li]), left);
  }
#pragma GCC unroll 16
  for (int n = 0; n < 16; ++n) {
    Vec carry = V::load(padded + p0 + n);
#pragma GCC unroll 16
    for (int k = 0; k < n; ++k) {
      const Vec low = V::min(sorted[k], carry);
      carry = V::max(sorted[k], carry);
      sorted[k] = low;
    }
    sorted[n] = carry;
    const int m = n + 1;
    if (!cut && m > 9 && m < 16) continue;
    const Vec median = m & 1 ? sorted[m / 2] : V::meanDown(sorted[m / 2 - 1], sorted[m / 2]);
    const Vec spread = V::max(V::subSaturate(median, sorted[0]), V::subSaturate(sorted[n], median));
    if constexpr (cut) {
      const Vec here = V::splat(static_cast<uint8_t>(m));
      for (int li = 0; li < 10; ++li) {
        const Vec take = V::equal(want[li], here);
        c[li] = V::select(take, median, c[li]);
        d[li] = V::select(take, spread, d[li]);
      }
    } else {
      const int li = m <= 9 ? m - 1 : 9;
      c[li] = median;
      d[li] = spread;
    }
  }
  storeRows<V>(c, p0, colour);
  storeRows<V>(d, p0, deviation);
}

// Starts in groups of Wide::kLanes while a whole group has 16 samples
// ahead, then in groups of 16, the last one cut.
template <typename Wide>
void runStatistics(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10], uint8_t (*deviation)[10]) {
  alignas(32) uint8_t padded[64 + 32] = {};
  std::memcpy(padded, scanned, 64);
  std::memcpy(length, kRunLengthTable.length, sizeof kRunLengthTable.length);
  int p0 = 0;
  for (; p0 + Wide::kLanes <= 48; p0 += Wide::kLanes) statisticsGroup<Wide, false>(padded, p0, colour, deviation);
  for (; p0 < 48; p0 += 16) statisticsGroup<Lanes128, false>(padded, p0, colour, deviation);
  statisticsGroup<Lanes128, true>(padded, 48, colour, deviation);
}

}  // namespace run_lanes
TOL_NS_END
