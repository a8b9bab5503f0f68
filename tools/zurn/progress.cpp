#include "zurn/progress.h"

#include <cstdio>

namespace zurntool {

ProgressLine::ProgressLine(uint32_t totalFrames, intptr_t owner, const std::string& title,
                           StatusCancelCallback onCancel)
    : total_(totalFrames ? totalFrames : 1) {
  // Started by the launcher, the window stays with its last line until its
  // Done button is pressed: nobody reads the tool's terminal then.
  StatusInit(nullptr, owner, owner ? 0 : 1);
  open_ = StatusOpen(title.c_str(), nullptr, onCancel) != 0;
}

void ProgressLine::show(uint32_t read, uint32_t done) {
  if (!open_) return;
  if (read != lastRead_ || done != lastDone_) {
    lastRead_ = read, lastDone_ = done;
    char line[128];
    std::snprintf(line, sizeof line, "Compressing: frame %u of %u read, %u compressed (%d%%)", read, total_, done,
                  int(uint64_t(done) * 100 / total_));
    StatusSet(line);
  }
  StatusCheck();
}

void ProgressLine::finish(const std::string& last) {
  if (!open_) return;
  if (!last.empty()) StatusSet(last.c_str());
  std::fflush(stdout);  // what was printed is out before a window waits
  StatusClose(1);
  open_ = false;
}

}  // namespace zurntool
