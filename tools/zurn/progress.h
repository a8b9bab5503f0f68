// The compressor's progress display on stderr: one line redrawn in place on
// a terminal; otherwise a plain line at each tenth of the job, so that logs
// stay short.
#pragma once

#include <cstdint>
#include <cstdio>

namespace zurntool {

class ProgressLine {
 public:
  ProgressLine(std::FILE* out, uint32_t totalFrames);

  // read: frames handed to the encoder; done: frames compressed.
  void show(uint32_t read, uint32_t done);
  // Ends a redrawn line so that later output starts on a line of its own.
  void finish();

 private:
  std::FILE* out_;
  bool terminal_;
  uint32_t total_;
  int lastTenth_ = -1;
  int lastLength_ = 0;
  bool open_ = false;
};

}  // namespace zurntool
