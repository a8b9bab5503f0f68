// Data rate over a sliding one-second window: for each frame, the bytes of
// the frames of the last second up to it (frames before the first count as
// empty), in bytes per second; with the file's average and the peak.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolana {

struct DataRate {
  std::vector<double> perFrame;  // bytes per second of the window ending at each frame
  double average = 0;            // all bytes over the whole duration
  double peak = 0;               // the largest window
  size_t peakFrame = 0;          // 0-based frame where the peak window ends
  size_t windowFrames = 0;       // frames in one second (at least 1)
};

DataRate slidingDataRate(const std::vector<uint64_t>& frameBytes, double framesPerSecond);

}  // namespace tolana
