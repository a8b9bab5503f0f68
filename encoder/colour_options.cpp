#include "encoder/colour_options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

TOL_NS_BEGIN
namespace {

// Sum of |colour - v| over sorted[a..b), with prefix sums sum[k] of
// sorted[0..k); m is where the samples above colour start within [a, b).
uint32_t groupCost(const uint32_t* sum, int a, int b, int m, int colour) {
  return static_cast<uint32_t>(colour * (m - a) - static_cast<int>(sum[m] - sum[a]) +
                               static_cast<int>(sum[b] - sum[m]) - colour * (b - m));
}

}  // namespace

void sortSamples(const uint8_t* samples, int n, uint8_t* sorted) {
  uint16_t count[256] = {};
  int lowest = 255;
  for (int i = 0; i < n; ++i) {
    ++count[samples[i]];
    lowest = std::min<int>(lowest, samples[i]);
  }
  int k = 0;
  for (int v = lowest; v < 256 && k < n; ++v)
    for (int c = count[v]; c > 0; --c) sorted[k++] = static_cast<uint8_t>(v);
}

bool choosePatternColours(const uint8_t sorted[64], PatternColours& colours) {
  if (sorted[0] == sorted[63]) return false;
  uint32_t sum[65];
  sum[0] = 0;
  for (int k = 0; k < 64; ++k) sum[k + 1] = sum[k] + sorted[k];

  // atMost[v] = the number of samples <= v, for v in [sorted[0], sorted[63]]
  // where every colour below lies.
  uint8_t atMost[256];
  for (int k = 0, v = sorted[0]; k < 64; ++k) {
    const int next = k < 63 ? sorted[k + 1] : sorted[63] + 1;
    for (; v < next; ++v) atMost[v] = static_cast<uint8_t>(k + 1);
  }

  uint32_t bestCost = UINT32_MAX;
  int lastLow = -1, lastHigh = -1;
  for (int i = 1; i < 64; ++i) {
    if (sorted[i] == sorted[i - 1]) continue;
    const int h = 64 - i;
    const int high = h & 1 ? sorted[i + h / 2] : (sorted[i + h / 2 - 1] + sorted[i + h / 2]) >> 1;
    const int low = i & 1 ? (sorted[i / 2] + sorted[i / 2 + 1]) >> 1 : sorted[i / 2];
    if (low == lastLow && high == lastHigh) continue;
    lastLow = low;
    lastHigh = high;
    const int lowEnd = std::min<int>(i, atMost[low]), highEnd = std::max<int>(i, atMost[high]);
    const uint32_t cost = groupCost(sum, 0, i, lowEnd, low) + groupCost(sum, i, 64, highEnd, high);
    if (cost < bestCost) {
      bestCost = cost;
      colours = {static_cast<uint8_t>(low), static_cast<uint8_t>(high)};
      if (cost == 0) break;
    }
  }
  return true;
}

void applyPattern(const uint8_t pic[64], PatternColours colours, uint8_t decoded[64], uint8_t patterns[8]) {
  for (int r = 0; r < 8; ++r) {
    uint8_t bits = 0;
    for (int c = 0; c < 8; ++c) {
      const int v = pic[8 * r + c];
      const bool high = std::abs(colours.high - v) <= std::abs(v - colours.low);
      decoded[8 * r + c] = high ? colours.high : colours.low;
      bits |= static_cast<uint8_t>(high) << c;
    }
    patterns[r] = bits;
  }
}

TOL_NS_END
