#include "tolana/data_rate.h"

#include <algorithm>
#include <cmath>

namespace tolana {

DataRate slidingDataRate(const std::vector<uint64_t>& frameBytes, double framesPerSecond) {
  DataRate r;
  if (!(framesPerSecond > 0)) framesPerSecond = 1;  // no rate: count each frame as a second
  r.windowFrames = std::max<size_t>(1, size_t(std::lround(framesPerSecond)));
  uint64_t total = 0, window = 0;
  for (size_t i = 0; i < frameBytes.size(); ++i) {
    total += frameBytes[i];
    window += frameBytes[i];
    if (i >= r.windowFrames) window -= frameBytes[i - r.windowFrames];
    // The bytes of the second that ends with this frame (at the start,
    // frames before the first count as empty).
    const double rate = double(window) * framesPerSecond / double(r.windowFrames);
    r.perFrame.push_back(rate);
    if (rate > r.peak) {
      r.peak = rate;
      r.peakFrame = i;
    }
  }
  if (!frameBytes.empty()) r.average = double(total) * framesPerSecond / double(frameBytes.size());
  return r;
}

}  // namespace tolana
