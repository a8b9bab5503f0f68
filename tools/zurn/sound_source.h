// The sound track that goes into the encoder: a WAVE file delivered through
// the encoder's readSound callback as signed 16-bit little-endian samples,
// starting at the time of the first selected picture. The encoder takes as
// much as the video lasts and fills a shorter sound with silence.
#pragma once

#include <cstddef>
#include <string>

#include "common/wave.h"
#include "tol/zurnmake.h"
#include "zurn/picture_source.h"

namespace zurntool {

class SoundSource {
 public:
  // Reads the file and skips the sound before source frame `skipFrames` at
  // `rate`. false with a message.
  bool open(const std::string& path, uint32_t skipFrames, Rate rate, std::string& error);

  // The description of the track for ZurnMake; this object is its userData.
  ZurnMakeSoundTrack track(uint32_t soundOption);

  const tolapp::Sound& sound() const { return sound_; }

 private:
  static int32_t TOL_CC read(void* job, void* userData, void* buffer, int32_t byteCount);

  tolapp::Sound sound_;
  size_t next_ = 0;  // the next sample to deliver
};

}  // namespace zurntool
