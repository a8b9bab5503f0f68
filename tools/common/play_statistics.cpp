#include "common/play_statistics.h"

#include <cmath>
#include <cstdio>

namespace tolapp {

void PlayStatistics::frameRead(uint32_t bytes, double t) {
  bytes_ += bytes;
  recent_.emplace_back(t, bytes);
  window_ += bytes;
  while (!recent_.empty() && recent_.front().first <= t - 1.0) {
    window_ -= recent_.front().second;
    recent_.pop_front();
  }
  if (window_ > peak_) peak_ = window_;
}

void PlayStatistics::syncSample(double due, double soundClock) {
  const double error = std::fabs(due - soundClock);
  if (error > largestSync_) largestSync_ = error;
  syncSum_ += error;
  ++syncSamples_;
}

std::string PlayStatistics::caption(uint32_t frame, uint32_t frames) const {
  char text[160];
  const double rate = seconds_ > 0 ? shown_ / seconds_ : 0;
  std::snprintf(text, sizeof text, "frame %u of %u, %.1f fps, %llu skipped, %.0f KB/s", frame, frames, rate,
                static_cast<unsigned long long>(skipped_), seconds_ > 0 ? bytes_ / seconds_ / 1024 : 0.0);
  return text;
}

std::string PlayStatistics::summary() const {
  char text[512];
  const double rate = seconds_ > 0 ? shown_ / seconds_ : 0;
  const double dataRate = seconds_ > 0 ? bytes_ / seconds_ : 0;
  int n = std::snprintf(text, sizeof text,
                        "Frames shown: %llu\nFrames skipped: %llu\nPlaying time: %.2f s\n"
                        "Achieved rate: %.2f frames per second\nData rate: %.0f bytes per second\n"
                        "Peak read rate: %llu bytes in one second\n",
                        static_cast<unsigned long long>(shown_), static_cast<unsigned long long>(skipped_), seconds_,
                        rate, dataRate, static_cast<unsigned long long>(peak_));
  if (syncSamples_ && n > 0 && size_t(n) < sizeof text)
    std::snprintf(text + n, sizeof text - size_t(n), "A/V offset: max %.1f ms, mean %.1f ms\n", largestSync_ * 1000,
                  meanSyncError() * 1000);
  return text;
}

}  // namespace tolapp
