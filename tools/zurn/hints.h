// Compressor hints: a small text, one instruction a line, that changes the
// job over ranges of output frames (counted from 1). '#' starts a comment.
//
//   key 1 40 100          key frames at these frames
//   key 200-400/25        a key frame every 25 frames from 200 to 400
//   rate 100-199 400000   data rate for frames 100 to 199 (as /D: 200 or
//                         less is a percent of the raw frame)
//   rate 500- 50          from frame 500 to the end
//   max 100-199 6         largest frame for the range (as /M)
//
// A range is N, N-M or N- (to the end). Later lines win where ranges
// overlap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zurntool {

struct FrameRange {
  uint32_t first = 1, last = UINT32_MAX, step = 1;
  bool holds(uint32_t frame) const { return frame >= first && frame <= last && (frame - first) % step == 0; }
};

struct Hints {
  struct Value {
    FrameRange range;
    int32_t num = 0, den = 1;
  };
  std::vector<FrameRange> keys;
  std::vector<Value> rates, maxima;

  bool keyAt(uint32_t frame) const;
  // The last value whose range holds the frame, else null.
  static const Value* valueAt(const std::vector<Value>& values, uint32_t frame);
};

// false with "line n: ..." when a line does not read.
bool parseHints(const std::string& text, Hints& hints, std::string& error);

// Reads the hint file; one whose name starts with '*' is the launcher's
// temporary file and is deleted after reading (the '*' is not part of the
// name). false with the system's message.
bool readHintFile(const std::string& name, Hints& hints, std::string& error);

}  // namespace zurntool
