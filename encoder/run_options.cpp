#include "encoder/run_options.h"

#include <algorithm>
#include <cstdlib>

#include "decode/core/block_writer.h"
#include "decode/core/scan_orders.h"
#include "encoder/plane_stats.h"

TOL_NS_BEGIN
namespace {

constexpr uint8_t kTried[kRunLengthsTried] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 16};

}  // namespace

unsigned chooseRunOrder(const uint8_t pic[64]) {
  unsigned best = 0;
  uint32_t bestCost = UINT32_MAX;
  for (unsigned o = 0; o < 16; ++o) {
    const uint8_t* order = kRunOrders[o];
    uint32_t cost = 1;
    for (int i = 1; i < 64; ++i) {
      const int d = pic[order[i]] - pic[order[i - 1]];
      cost += static_cast<uint32_t>(std::abs(d)) + (d != 0);
    }
    if (cost < bestCost) {
      bestCost = cost;
      best = o;
    }
  }
  return best;
}

void buildRunTable(const uint8_t pic[64], unsigned order, RunTable& t) {
  t.order = static_cast<uint8_t>(order);
  for (int i = 0; i < 64; ++i) t.scanned[i] = pic[kRunOrders[order][i]];
  for (int p = 0; p < 64; ++p) {
    // The run's samples kept sorted while it grows.
    uint8_t sorted[16];
    int n = 0, li = 0;
    const int left = 64 - p;
    while (li < kRunLengthsTried) {
      const int want = kTried[li] < left ? kTried[li] : left;
      while (n < want) {
        const uint8_t v = t.scanned[p + n];
        int j = n++;
        for (; j > 0 && sorted[j - 1] > v; --j) sorted[j] = sorted[j - 1];
        sorted[j] = v;
      }
      const int colour = n & 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) >> 1;
      const int dev = std::max(colour - sorted[0], sorted[n - 1] - colour);
      t.length[p][li] = static_cast<uint8_t>(n);
      t.colour[p][li] = static_cast<uint8_t>(colour);
      t.deviation[p][li] = static_cast<uint8_t>(dev);
      ++li;
    }
  }
}

int parseRuns(const RunTable& t, int threshold, uint8_t decoded[64]) {
  const uint8_t* order = kRunOrders[t.order];
  int nextThreshold = 256;
  for (int p = 0; p < 64;) {
    int li = kRunLengthsTried - 1;
    for (; li > 0; --li) {
      const int dev = t.deviation[p][li];
      if (dev <= threshold) break;
      if (dev < nextThreshold) nextThreshold = dev;
    }
    const int len = t.length[p][li];
    for (int k = 0; k < len; ++k) decoded[order[p + k]] = t.colour[p][li];
    p += len;
  }
  return nextThreshold;
}

int32_t runCodingSize(const uint8_t decoded[64], unsigned order, const uint32_t est[8]) {
  uint8_t scanned[64];
  for (int i = 0; i < 64; ++i) scanned[i] = decoded[kRunOrders[order][i]];
  RunSegment segments[64];
  const unsigned count = segmentRuns(scanned, segments);
  int64_t size = 0;
  unsigned covered = 0;
  for (unsigned s = 0; s < count; ++s) {
    size += 256 + est[kEstRunLengths] + (segments[s].repeated ? 1 : segments[s].length) * int64_t{est[kEstColours]};
    covered += segments[s].length;
  }
  if (covered == 63) size += est[kEstColours];
  return static_cast<int32_t>(size);
}

TOL_NS_END
