// What a player counts while it plays, for the live caption (/Q) and the
// summary at the end (/S): frames shown and skipped, the achieved frame
// rate, the data rate of what was read, the peak of the bytes read in any
// one second, and how far each picture shown was from the sound heard
// (the A/V offset: largest and mean).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

namespace tolapp {

class PlayStatistics {
 public:
  // Frame data read (bytes) at time t (seconds of play).
  void frameRead(uint32_t bytes, double t);
  void frameShown() { ++shown_; }
  void frameSkipped() { ++skipped_; }
  // A frame due at `due` appeared while the sound clock said `soundClock`.
  void syncSample(double due, double soundClock);
  void playedFor(double seconds) { seconds_ += seconds; }

  uint64_t shown() const { return shown_; }
  uint64_t skipped() const { return skipped_; }
  double seconds() const { return seconds_; }
  uint64_t bytes() const { return bytes_; }
  uint64_t peakSecondBytes() const { return peak_; }
  // Largest and mean |picture - sound| seen, seconds; -1 without samples.
  double largestSyncError() const { return syncSamples_ ? largestSync_ : -1; }
  double meanSyncError() const { return syncSamples_ ? syncSum_ / double(syncSamples_) : -1; }

  std::string caption(uint32_t frame, uint32_t frames) const;
  std::string summary() const;

 private:
  uint64_t shown_ = 0, skipped_ = 0, bytes_ = 0, peak_ = 0, window_ = 0, syncSamples_ = 0;
  double seconds_ = 0, largestSync_ = 0, syncSum_ = 0;
  std::deque<std::pair<double, uint32_t>> recent_;  // reads of the last second
};

}  // namespace tolapp
