// The sound between the player and the sound device: the player pushes each
// frame's decoded packet, the device's callback pulls what it plays (silence
// when the ring runs dry) and the ring turns what was pulled into the sound
// clock. Push and pull may run on different threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace tolapp {

class SoundRing {
 public:
  // bytesPerSecond: of the device's format; latencyBytes: what the device
  // holds beyond the buffer it is playing (0 when it plays each pull as it
  // takes it).
  SoundRing(uint32_t capacity, uint32_t bytesPerSecond, uint32_t latencyBytes, uint8_t silence);

  // Appends as much as fits; returns the bytes taken.
  uint32_t push(const void* data, uint32_t size);
  // Fills dest (size bytes) with queued sound, silence after it; now is the
  // caller's time in seconds, kept for the clock.
  void pull(void* dest, uint32_t size, double now);
  uint32_t queued() const;
  void clear();

  // Seconds of sound played at time now: what was pulled before the last
  // pull, less the device's extra buffering, plus the time since the last
  // pull (at most that pull's worth). Silence pulled before any sound does
  // not count; silence pulled after it (the track ended or ran dry) does,
  // so the clock goes on while the device plays.
  double clock(double now) const;

 private:
  mutable std::mutex lock_;
  std::vector<uint8_t> ring_;
  uint32_t head_ = 0, count_ = 0;
  uint32_t bytesPerSecond_, latencyBytes_;
  uint8_t silence_;
  uint64_t played_ = 0;  // bytes pulled since the first sound
  double lastPull_ = -1, lastPullSeconds_ = 0;
};

}  // namespace tolapp
