#include <immintrin.h>

#include <cstring>

#include "decode/core/scan_orders.h"
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
// source row against the eight 4-byte windows of the reference row. Every
// two rows, a group whose partial sums all reached the cap is given up.
void sadOffsetsCappedSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                           int count, uint32_t cap, uint32_t* out) {
  const bool mayGiveUp = cap <= 0xFFFF;  // partial sums are 16-bit
  for (int k0 = 0; k0 < count; k0 += 8) {
    const int bytes = count + 7 - k0 < 16 ? count + 7 - k0 : 16;  // readable bytes of this group's rows
    const int n = count - k0 < 8 ? count - k0 : 8;
    __m128i acc = _mm_setzero_si128();
    bool givenUp = false;
    for (int r = 0; r < 8; ++r) {
      __m128i row;
      const uint8_t* p = ref + r * refPitch + k0;
      if (bytes == 16) {
        row = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      } else if (bytes == 8) {  // one offset
        row = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
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
      // Lanes past the last offset only make giving up rarer.
      if (mayGiveUp && (r & 1) && r < 7 &&
          static_cast<uint32_t>(_mm_extract_epi16(_mm_minpos_epu16(acc), 0)) >= cap) {
        givenUp = true;
        break;
      }
    }
    if (givenUp) {
      for (int i = 0; i < n; ++i) out[k0 + i] = cap;
      continue;
    }
    alignas(16) uint16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    for (int i = 0; i < n; ++i) out[k0 + i] = lanes[i] < cap ? lanes[i] : cap;
  }
}

void sadOffsetsSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out) {
  sadOffsetsCappedSse41(src, srcPitch, ref, refPitch, count, UINT32_MAX, out);
}

namespace {

// Mean of two bytes rounded down, lane by lane.
__m128i meanDown(__m128i a, __m128i b) {
  return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

// 16x16 byte transpose: four rounds of interleaving, each doubling the
// width of the elements kept together. Column j ends up in register
// kBitReversed[j].
constexpr int kBitReversed[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

void transpose16(__m128i (&r)[16]) {
  __m128i t[16];
  for (int i = 0; i < 8; ++i) {
    t[i] = _mm_unpacklo_epi8(r[2 * i], r[2 * i + 1]);
    t[i + 8] = _mm_unpackhi_epi8(r[2 * i], r[2 * i + 1]);
  }
  for (int i = 0; i < 8; ++i) {
    r[i] = _mm_unpacklo_epi16(t[2 * i], t[2 * i + 1]);
    r[i + 8] = _mm_unpackhi_epi16(t[2 * i], t[2 * i + 1]);
  }
  for (int i = 0; i < 8; ++i) {
    t[i] = _mm_unpacklo_epi32(r[2 * i], r[2 * i + 1]);
    t[i + 8] = _mm_unpackhi_epi32(r[2 * i], r[2 * i + 1]);
  }
  for (int i = 0; i < 8; ++i) {
    r[i] = _mm_unpacklo_epi64(t[2 * i], t[2 * i + 1]);
    r[i + 8] = _mm_unpackhi_epi64(t[2 * i], t[2 * i + 1]);
  }
}

// Rows li = 0..9 of `lanes` (lane l = start p0 + l) into out[p0 + l][li].
void storeRows(__m128i (&lanes)[16], int p0, uint8_t (*out)[10]) {
  transpose16(lanes);
  for (int l = 0; l < 16; ++l) {
    const __m128i row = lanes[kBitReversed[l]];
    if (p0 + l < 63) {
      // Spills into the next start's row, which is written after this one.
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out[p0 + l]), row);
    } else {
      alignas(16) uint8_t last[16];
      _mm_store_si128(reinterpret_cast<__m128i*>(last), row);
      std::memcpy(out[p0 + l], last, 10);
    }
  }
}

// Sixteen starts p0 .. p0 + 15 at once, one per lane. sorted[k] holds the
// k-th smallest member of each lane's run as it grows by one sample a step
// (a min/max pass inserts the new sample). With `cut`, lane l's runs end at
// 64 - p0 - l samples, and a length cut short takes the statistics of the
// step where its run ended.
template <bool cut>
void runStatisticsGroup(const uint8_t* padded, int p0, uint8_t (*colour)[10], uint8_t (*deviation)[10]) {
  __m128i sorted[16];
  __m128i c[16], d[16];
  for (int li = 0; li < 16; ++li) c[li] = d[li] = _mm_setzero_si128();
  __m128i want[10];
  if constexpr (cut) {
    const __m128i left = _mm_sub_epi8(_mm_set1_epi8(static_cast<char>(64 - p0)),
                                      _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    for (int li = 0; li < 10; ++li) want[li] = _mm_min_epu8(_mm_set1_epi8(static_cast<char>(kRunLengthSteps[li])), left);
  }
#pragma GCC unroll 16
  for (int n = 0; n < 16; ++n) {
    __m128i carry = _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded + p0 + n));
#pragma GCC unroll 16
    for (int k = 0; k < n; ++k) {
      const __m128i low = _mm_min_epu8(sorted[k], carry);
      carry = _mm_max_epu8(sorted[k], carry);
      sorted[k] = low;
    }
    sorted[n] = carry;
    const int m = n + 1;
    if (!cut && m > 9 && m < 16) continue;
    const __m128i median = m & 1 ? sorted[m / 2] : meanDown(sorted[m / 2 - 1], sorted[m / 2]);
    const __m128i spread = _mm_max_epu8(_mm_subs_epu8(median, sorted[0]), _mm_subs_epu8(sorted[n], median));
    if constexpr (cut) {
      const __m128i step = _mm_set1_epi8(static_cast<char>(m));
      for (int li = 0; li < 10; ++li) {
        const __m128i here = _mm_cmpeq_epi8(want[li], step);
        c[li] = _mm_blendv_epi8(c[li], median, here);
        d[li] = _mm_blendv_epi8(d[li], spread, here);
      }
    } else {
      const int li = m <= 9 ? m - 1 : 9;
      c[li] = median;
      d[li] = spread;
    }
  }
  storeRows(c, p0, colour);
  storeRows(d, p0, deviation);
}

// Shuffle controls that gather each run order from the picture's four
// 16-byte groups: control [o][j][s] picks the samples of output group j that
// lie in input group s (lanes from other groups are zeroed). `scan` gathers
// along the order, `unscan` back into raster order.
struct RunOrderGather {
  __m128i scan[16][4][4];
  __m128i unscan[16][4][4];
};

void setControls(const uint8_t (&from)[64], __m128i (&control)[4][4]) {
  for (int j = 0; j < 4; ++j)
    for (int s = 0; s < 4; ++s) {
      alignas(16) uint8_t lanes[16];
      for (int i = 0; i < 16; ++i) {
        const uint8_t at = from[16 * j + i];
        lanes[i] = at / 16 == s ? static_cast<uint8_t>(at % 16) : 0x80;
      }
      control[j][s] = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    }
}

const RunOrderGather& runOrderGather() {
  static const RunOrderGather gather = [] {
    RunOrderGather g;
    for (int o = 0; o < 16; ++o) {
      uint8_t inverse[64];
      for (int i = 0; i < 64; ++i) inverse[kRunOrders[o][i]] = static_cast<uint8_t>(i);
      setControls(kRunOrders[o], g.scan[o]);
      setControls(inverse, g.unscan[o]);
    }
    return g;
  }();
  return gather;
}

void loadGroups(const uint8_t* in, __m128i (&groups)[4]) {
  for (int s = 0; s < 4; ++s) groups[s] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * s));
}

__m128i gatherGroup(const __m128i (&groups)[4], const __m128i (&c)[4]) {
  return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(groups[0], c[0]), _mm_shuffle_epi8(groups[1], c[1])),
                      _mm_or_si128(_mm_shuffle_epi8(groups[2], c[2]), _mm_shuffle_epi8(groups[3], c[3])));
}

void permute(const uint8_t* in, const __m128i (&control)[4][4], uint8_t* out) {
  __m128i groups[4];
  loadGroups(in, groups);
  for (int j = 0; j < 4; ++j)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * j), gatherGroup(groups, control[j]));
}

}  // namespace

// Each order's samples are gathered with byte shuffles; the differences of
// neighbours come from the gathered groups shifted by one lane (the last
// sample is paired with itself, which adds nothing).
unsigned chooseRunOrderSse41(const uint8_t* pic) {
  const RunOrderGather& g = runOrderGather();
  __m128i rows[4];
  loadGroups(pic, rows);
  const __m128i lastLane = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1);
  unsigned best = 0;
  uint32_t bestCost = UINT32_MAX;
  for (unsigned o = 0; o < 16; ++o) {
    __m128i scan[4];
    for (int j = 0; j < 4; ++j) scan[j] = gatherGroup(rows, g.scan[o][j]);
    // Per lane |difference| and (difference != 0), summed by psadbw.
    __m128i sums = _mm_setzero_si128();
    for (int j = 0; j < 4; ++j) {
      const __m128i next = j < 3 ? _mm_alignr_epi8(scan[j + 1], scan[j], 1)
                                 : _mm_or_si128(_mm_srli_si128(scan[3], 1), _mm_and_si128(scan[3], lastLane));
      const __m128i distance = _mm_or_si128(_mm_subs_epu8(scan[j], next), _mm_subs_epu8(next, scan[j]));
      const __m128i changed = _mm_min_epu8(distance, _mm_set1_epi8(1));
      sums = _mm_add_epi64(sums, _mm_sad_epu8(distance, _mm_setzero_si128()));
      sums = _mm_add_epi64(sums, _mm_sad_epu8(changed, _mm_setzero_si128()));
    }
    const uint32_t cost = 1 + static_cast<uint32_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi32(sums, 2));
    if (cost < bestCost) {
      bestCost = cost;
      best = o;
    }
  }
  return best;
}

void scanRunOrderSse41(const uint8_t* pic, unsigned order, uint8_t* scanned) {
  permute(pic, runOrderGather().scan[order & 15], scanned);
}

void unscanRunOrderSse41(const uint8_t* scanned, unsigned order, uint8_t* pic) {
  permute(scanned, runOrderGather().unscan[order & 15], pic);
}

void runStatisticsSse41(const uint8_t* scanned, uint8_t (*length)[10], uint8_t (*colour)[10],
                        uint8_t (*deviation)[10]) {
  alignas(16) uint8_t padded[64 + 16 + 16] = {};
  std::memcpy(padded, scanned, 64);
  std::memcpy(length, kRunLengthTable.length, sizeof kRunLengthTable.length);
  runStatisticsGroup<false>(padded, 0, colour, deviation);
  runStatisticsGroup<false>(padded, 16, colour, deviation);
  runStatisticsGroup<false>(padded, 32, colour, deviation);
  runStatisticsGroup<true>(padded, 48, colour, deviation);
}

TOL_NS_END
