// The players' sound device: opened for the sound's own format, fed through
// a SoundRing that SDL's callback pulls from; the ring's clock is the
// players' sound clock.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "common/sound_ring.h"

namespace tolapp {

// Seconds on the performance counter: the time the players and the ring's
// clock share.
inline double playerNow() { return double(SDL_GetPerformanceCounter()) / double(SDL_GetPerformanceFrequency()); }

class SoundOutput {
 public:
  SoundOutput() = default;
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;
  ~SoundOutput() { close(); }

  // Opens the default device paused (closing the one open before), with a
  // ring of four seconds; false when SDL refuses.
  bool open(int32_t rate, SDL_AudioFormat format, int32_t channels);
  void close();
  void play(bool on) { SDL_PauseAudioDevice(device_, on ? 0 : 1); }
  SoundRing& ring() { return *ring_; }
  uint32_t bytesPerSecond() const { return bytesPerSecond_; }

 private:
  static void pull(void* self, Uint8* stream, int len);

  SDL_AudioDeviceID device_ = 0;
  std::unique_ptr<SoundRing> ring_;
  uint32_t bytesPerSecond_ = 1;
};

}  // namespace tolapp
