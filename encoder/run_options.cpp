#include "encoder/run_options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "decode/core/block_writer.h"
#include "decode/core/scan_orders.h"
#include "encoder/pixel_kernels.h"
#include "encoder/plane_stats.h"

TOL_NS_BEGIN
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
  pixelKernels().runStatistics(t.scanned, t.length, t.colour, t.deviation);
}

int parseRuns(const RunTable& t, int threshold, uint8_t scanned[64]) {
  int nextThreshold = 256;
  for (int p = 0; p < 64;) {
    int li = kRunLengthsTried - 1;
    for (; li > 0; --li) {
      const int dev = t.deviation[p][li];
      if (dev <= threshold) break;
      if (dev < nextThreshold) nextThreshold = dev;
    }
    const int len = t.length[p][li];
    std::memset(scanned + p, t.colour[p][li], static_cast<size_t>(len));
    p += len;
  }
  return nextThreshold;
}

void unscanRuns(unsigned order, const uint8_t scanned[64], uint8_t decoded[64]) {
  for (int i = 0; i < 64; ++i) decoded[kRunOrders[order][i]] = scanned[i];
}

int32_t runCodingSize(const uint8_t scanned[64], const uint32_t est[8]) {
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
