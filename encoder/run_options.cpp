#include "encoder/run_options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "decode/core/block_writer.h"
#include "encoder/pixel_kernels.h"
#include "encoder/plane_stats.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TOL_NS_BEGIN
unsigned chooseRunOrder(const uint8_t pic[64]) { return pixelKernels().chooseRunOrder(pic); }

void buildRunTable(const uint8_t pic[64], unsigned order, RunTable& t) {
  t.order = static_cast<uint8_t>(order);
  const PixelKernels& kernels = pixelKernels();
  kernels.scanRunOrder(pic, order, t.scanned);
  kernels.runStatistics(t.scanned, t.length, t.colour, t.deviation);
  constexpr int kLast = kRunLengthsTried - 2;
  for (int p = 0; p < 64; ++p) {
    t.reach[kLast][p] = t.deviation[p][kLast + 1];
    for (int k = kLast - 1; k >= 0; --k) t.reach[k][p] = std::min(t.reach[k + 1][p], t.deviation[p][k + 1]);
  }
}

int parseRunsPlain(const RunTable& t, int threshold, uint8_t scanned[64]) {
  int nextThreshold = 256;
  for (int p = 0; p < 64;) {
    int k = 0;
    while (k < kRunLengthsTried - 1 && t.reach[k][p] <= threshold) ++k;
    if (k < kRunLengthsTried - 1) nextThreshold = std::min<int>(nextThreshold, t.reach[k][p]);
    const int len = t.length[p][k];
    std::memset(scanned + p, t.colour[p][k], static_cast<size_t>(len));
    p += len;
  }
  return nextThreshold;
}

// The run taken at every start is worked out 16 starts at a time first, so
// the walk from run to run only waits for one table look-up each.
int parseRuns(const RunTable& t, int threshold, uint8_t scanned[64]) {
#if defined(__SSE2__)
  alignas(16) uint8_t take[64], length[64];
  const __m128i limit = _mm_set1_epi8(static_cast<char>(threshold));
  const __m128i longest = _mm_set1_epi8(kRunLengthsTried - 1);
  // kRunLengthSteps: k + 1, but 16 for the longest.
  const __m128i longestExtra = _mm_set1_epi8(16 - kRunLengthsTried);
  for (int g = 0; g < 64; g += 16) {
    __m128i k = _mm_setzero_si128();
    for (int i = 0; i < kRunLengthsTried - 1; ++i) {
      const __m128i reach = _mm_load_si128(reinterpret_cast<const __m128i*>(t.reach[i] + g));
      k = _mm_sub_epi8(k, _mm_cmpeq_epi8(_mm_min_epu8(reach, limit), reach));  // + 1 where reach <= T
    }
    const __m128i step = _mm_add_epi8(_mm_add_epi8(k, _mm_set1_epi8(1)),
                                      _mm_and_si128(_mm_cmpeq_epi8(k, longest), longestExtra));
    const __m128i left = _mm_sub_epi8(_mm_set1_epi8(static_cast<char>(64 - g)),
                                      _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    _mm_store_si128(reinterpret_cast<__m128i*>(take + g), k);
    _mm_store_si128(reinterpret_cast<__m128i*>(length + g), _mm_min_epu8(step, left));
  }
  int nextThreshold = 256;
  for (int p = 0; p < 64; p += length[p]) {
    const int k = take[p];
    if (k < kRunLengthsTried - 1) nextThreshold = std::min<int>(nextThreshold, t.reach[k][p]);
    const uint8_t colour = t.colour[p][k];
    // One wide store covers any run length; the runs after it overwrite
    // what it wrote past this run.
    if (p <= 48)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(scanned + p), _mm_set1_epi8(static_cast<char>(colour)));
    else
      std::memset(scanned + p, colour, length[p]);
  }
  return nextThreshold;
#else
  return parseRunsPlain(t, threshold, scanned);
#endif
}

void unscanRuns(unsigned order, const uint8_t scanned[64], uint8_t decoded[64]) {
  pixelKernels().unscanRunOrder(scanned, order, decoded);
}

int32_t runCodingSize(const uint8_t scanned[64], const uint32_t est[8]) {
  const uint64_t equal = equalNeighbours(scanned);
  int64_t segments = 0, colours = 0;
  unsigned i = 0;
  while (i < 63) {
    const unsigned len = runSegmentLength(equal, i);
    ++segments;
    colours += (equal >> i) & 1 ? 1 : len;
    i += len;
  }
  if (i == 63) ++colours;
  return static_cast<int32_t>(segments * (256 + int64_t{est[kEstRunLengths]}) + colours * int64_t{est[kEstColours]});
}

TOL_NS_END
