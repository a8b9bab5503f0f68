// What tolana reads from a Zurn file: its geometry and rate, its sound
// tracks, and for each frame how many bytes its video and each sound track
// take (a track's share counts its 4-byte length field) and whether it is a
// key frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolana {

struct FrameFacts {
  uint32_t videoBytes = 0;
  std::vector<uint32_t> trackBytes;  // one per sound track
  bool keyFrame = false;
  bool damaged = false;  // its bytes could not all be read or its packets overrun it
  uint64_t total() const {
    uint64_t sum = videoBytes;
    for (uint32_t t : trackBytes) sum += t;
    return sum;
  }
};

struct ClipFacts {
  int32_t width = 0, height = 0;
  int32_t fpsNumerator = 0, fpsDenominator = 1;
  std::vector<uint32_t> trackFlags, trackIds;
  std::vector<FrameFacts> frames;
  double framesPerSecond() const { return fpsDenominator > 0 ? double(fpsNumerator) / fpsDenominator : 0; }
};

// Reads every frame's sizes; false with `error` set when the file cannot be
// opened as a Zurn file.
bool readClipFacts(const std::string& path, ClipFacts& clip, std::string& error);

}  // namespace tolana
