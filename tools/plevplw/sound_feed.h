// The sound a Pleven file plays: a decoder of its own walks the frames ahead
// of the picture (each frame's sound plays with that frame, so the sound
// device must be fed before the frame is due), takes the chunks of the
// tracks chosen, puts each track through SDL's converter to 16-bit samples
// at the device's rate and channels, and adds the tracks up (clipped) as
// far as all of them have come. A track that falls more than a second
// behind the others (it ended) counts as silence.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tol/pleven.h"

namespace plevplw {

class SoundFeed {
 public:
  SoundFeed() = default;
  SoundFeed(const SoundFeed&) = delete;
  SoundFeed& operator=(const SoundFeed&) = delete;
  ~SoundFeed();

  // Opens the file again with the player's open options and takes the
  // tracks of mask that have sound (bit k: track k; -1 the first track
  // with sound). False when none is left or SDL refuses a converter.
  bool open(const std::string& name, uint32_t openOptions, int32_t bufferSize, int32_t mask);
  int32_t rate() const { return rate_; }
  int32_t channels() const { return channels_; }

  // Appends to out the mixed sound of the frames up to step `until`
  // (steps count the frames played, passes after the first running through
  // the ring frame), never past `steps`; once the last step is taken,
  // everything that is left.
  void feed(uint32_t until, uint32_t steps, std::vector<int16_t>& out);
  // The feed goes on from step `step` (after a seek).
  void seek(uint32_t step);

 private:
  struct Track {
    uint32_t option = 0;
    SDL_AudioStream* stream = nullptr;
    std::vector<uint8_t> chunk;
    std::vector<int16_t> pending;
  };
  static void drain(Track& t);  // the converted samples into pending
  void mix(std::vector<int16_t>& out, bool flush);

  std::unique_ptr<PlevDecoder, void (*)(PlevDecoder*)> decoder_{nullptr, PlevClose};
  std::vector<Track> tracks_;
  int32_t rate_ = 0, channels_ = 1;
  uint32_t step_ = 0;          // the next step to take
  bool currentTaken_ = false;  // the decoder's current frame was taken: move on first
};

}  // namespace plevplw
