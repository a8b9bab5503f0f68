#include "zurn/progress.h"

#include <unistd.h>

namespace zurntool {

ProgressLine::ProgressLine(std::FILE* out, uint32_t totalFrames)
    : out_(out), terminal_(isatty(fileno(out)) != 0), total_(totalFrames ? totalFrames : 1) {}

void ProgressLine::show(uint32_t read, uint32_t done) {
  const int percent = int(uint64_t(done) * 100 / total_);
  char line[128];
  const int length = std::snprintf(line, sizeof line, "compressing: frame %u of %u read, %u compressed (%d%%)",
                                   read, total_, done, percent);
  if (terminal_) {
    // Blanks over the rest of a longer previous line.
    std::fprintf(out_, "\r%s%*s", line, lastLength_ > length ? lastLength_ - length : 0, "");
    lastLength_ = length;
    open_ = true;
  } else {
    if (percent / 10 == lastTenth_) return;
    lastTenth_ = percent / 10;
    std::fprintf(out_, "%s\n", line);
  }
  std::fflush(out_);
}

void ProgressLine::finish() {
  if (!open_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  open_ = false;
}

}  // namespace zurntool
