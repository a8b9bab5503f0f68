// The compressor's progress through the status window (a window, or one
// line on stderr with the time left): its Cancel, Ctrl-C on a terminal,
// ends the job early with a valid shorter file.
#pragma once

#include <cstdint>
#include <string>

#include "tol/status.h"

namespace zurntool {

class ProgressLine {
 public:
  // owner: the launcher's id from "/#" (0 none).
  ProgressLine(uint32_t totalFrames, intptr_t owner, const std::string& title, StatusCancelCallback onCancel);
  ~ProgressLine() { finish(); }

  // read: frames handed to the encoder; done: frames compressed.
  void show(uint32_t read, uint32_t done);
  // Closes the window so that later output starts on a line of its own;
  // `last`, when given, is its last line (the launcher gets a copy). A
  // window the launcher started waits for its Done button first.
  void finish(const std::string& last = {});

 private:
  uint32_t total_;
  uint32_t lastRead_ = UINT32_MAX, lastDone_ = UINT32_MAX;
  bool open_ = false;
};

}  // namespace zurntool
