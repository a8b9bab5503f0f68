#include "encoder/frame_budget.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "encoder/sound_track.h"

TOL_NS_BEGIN
namespace {

// Order-0 entropy in bytes of the samples counted in hist.
double entropyBytes(const uint32_t (&hist)[256]) {
  uint64_t n = 0;
  for (uint32_t c : hist) n += c;
  if (n == 0) return 0;
  double bits = 0;
  for (uint32_t c : hist) {
    if (c == 0) continue;
    bits += c * std::min(32.0, -std::log2(static_cast<double>(c) / static_cast<double>(n)));
  }
  return bits / 8;
}

// Samples that moved by more than 2 since the previous frame are counted;
// with vector compares the (usually few) moved ones are found 16 at a time.
void countMoved(const uint8_t* plane, const uint8_t* previous, size_t samples, uint32_t (&hist)[256]) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i two = _mm_set1_epi8(2);
  for (; i + 16 <= samples; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(plane + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i));
    const __m128i distance = _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a));
    const __m128i still = _mm_cmpeq_epi8(_mm_subs_epu8(distance, two), _mm_setzero_si128());
    for (unsigned moved = ~static_cast<unsigned>(_mm_movemask_epi8(still)) & 0xFFFF; moved; moved &= moved - 1)
      ++hist[plane[i + static_cast<unsigned>(std::countr_zero(moved))]];
  }
#endif
  for (; i < samples; ++i)
    if (std::abs(plane[i] - previous[i]) > 2) ++hist[plane[i]];
}

// Four histograms side by side keep repeated values from waiting on each
// other's increments.
void countAll(const uint8_t* plane, size_t samples, uint32_t (&hist)[256]) {
  uint32_t part[4][256] = {};
  size_t i = 0;
  for (; i + 4 <= samples; i += 4) {
    ++part[0][plane[i]];
    ++part[1][plane[i + 1]];
    ++part[2][plane[i + 2]];
    ++part[3][plane[i + 3]];
  }
  for (; i < samples; ++i) ++part[0][plane[i]];
  for (int v = 0; v < 256; ++v) hist[v] = part[0][v] + part[1][v] + part[2][v] + part[3][v];
}

double planeEntropy(const uint8_t* plane, const uint8_t* previous, size_t samples) {
  uint32_t hist[256] = {};
  if (!previous)
    countAll(plane, samples, hist);
  else
    countMoved(plane, previous, samples, hist);
  return entropyBytes(hist);
}

}  // namespace

uint32_t frameWeight(const FramePlanes& frame, const FramePlanes& previous, const PlaneGeometry& g, bool key) {
  const size_t luma = size_t{g.lumaWidth} * g.lumaHeight;
  const size_t chroma = size_t{g.chromaWidth} * g.chromaHeight;
  const double e = planeEntropy(frame.y, key ? nullptr : previous.y, luma) +
                   planeEntropy(frame.cr, key ? nullptr : previous.cr, chroma) +
                   planeEntropy(frame.cb, key ? nullptr : previous.cb, chroma);
  return static_cast<uint32_t>(key ? 1.5 * e : e);
}

uint64_t soundEstimate(const SoundTrackState* tracks, uint32_t trackCount, uint32_t frames,
                       uint32_t fpsNumerator, uint32_t fpsDenominator) {
  uint64_t total = 0;
  for (uint32_t t = 0; t < trackCount; ++t) {
    const SoundTrackState& s = tracks[t];
    if (fpsNumerator == 0 || s.rawTotal == 0) continue;
    uint64_t raw = uint64_t{s.bytesPerSecond} * frames * fpsDenominator / fpsNumerator;
    raw = std::min<uint64_t>(raw, s.remaining);
    total += raw * s.codedTotal / s.rawTotal;
  }
  return total;
}

uint32_t frameShare(int64_t windowBudget, uint64_t sound, uint32_t weight, uint64_t weightSum,
                    uint32_t framesInWindow) {
  const int64_t available = windowBudget - static_cast<int64_t>(std::min<uint64_t>(sound, INT64_MAX / 2));
  if (available < 0) return 0;
  uint64_t share;
  if (weightSum != 0)
    share = static_cast<uint64_t>(available) * weight / weightSum;
  else
    share = static_cast<uint64_t>(available) / std::max<uint32_t>(framesInWindow, 1);
  return static_cast<uint32_t>(std::min<uint64_t>(share, UINT32_MAX));
}

uint32_t clampFrameBudget(uint32_t share, uint32_t targetSize, uint32_t maxSize, const PlaneStats& luma,
                          const PlaneStats& cr, const PlaneStats& cb, const PlaneGeometry& g) {
  const uint64_t lumaSamples = uint64_t{g.lumaWidth} * g.lumaHeight;
  const uint64_t chromaSamples = uint64_t{g.chromaWidth} * g.chromaHeight;
  const uint64_t blocksY = lumaSamples / 256 + lumaSamples / 64;
  const uint64_t blocksC = chromaSamples / 256 + chromaSamples / 64;
  const uint64_t typeBytes =
      (uint64_t{luma.est[0]} * blocksY + (uint64_t{cr.est[0]} + 2 * uint64_t{cb.est[0]}) * blocksC) / 2048;
  uint64_t budget = std::max<uint64_t>(share, targetSize / 10);
  budget = std::max(budget, typeBytes);
  return static_cast<uint32_t>(std::min<uint64_t>(budget, maxSize));
}

TOL_NS_END
