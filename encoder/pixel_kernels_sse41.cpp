#include <immintrin.h>

#include <cstring>

#include "decode/core/scan_orders.h"
#include "encoder/pixel_kernels.h"
#include "encoder/run_statistics_lanes.h"

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
uint32_t sadOffsetsCappedSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch,
                               int count, uint32_t cap, uint32_t* out) {
  uint32_t least = cap;
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
    for (int i = 0; i < n; ++i) {
      out[k0 + i] = lanes[i] < cap ? lanes[i] : cap;
      least = out[k0 + i] < least ? out[k0 + i] : least;
    }
  }
  return least;
}

void sadOffsetsSse41(const uint8_t* src, ptrdiff_t srcPitch, const uint8_t* ref, ptrdiff_t refPitch, int count,
                     uint32_t* out) {
  sadOffsetsCappedSse41(src, srcPitch, ref, refPitch, count, UINT32_MAX, out);
}

namespace {


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
  run_lanes::runStatistics<run_lanes::Lanes128>(scanned, length, colour, deviation);
}

TOL_NS_END
