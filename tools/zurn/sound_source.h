// The sound track that goes into the encoder: anything the sound input
// takes, delivered through the encoder's readSound callback as signed
// 16-bit samples, starting at the time of the first selected picture. The
// encoder takes as much as the video lasts and fills a shorter sound with
// silence.
#pragma once

#include <string>

#include "tol/sfile.h"
#include "tol/zurnmake.h"
#include "zurn/picture_source.h"

namespace zurntool {

class SoundSource {
 public:
  SoundSource() = default;
  SoundSource(const SoundSource&) = delete;
  SoundSource& operator=(const SoundSource&) = delete;
  ~SoundSource();

  // Opens `name` from `startMs` on. false with a message.
  bool open(const std::string& name, int32_t startMs, const CompressOptions& options, std::string& error);

  // The description of the track for ZurnMake; this object is its userData.
  ZurnMakeSoundTrack track(uint32_t soundOption);

  int rate() const { return file_->outRate; }
  int channels() const { return file_->outChannels; }
  const char* typeName() const { return file_->typeName; }

 private:
  static int32_t TOL_CC read(void* job, void* userData, void* buffer, int32_t byteCount);

  SFile* file_ = nullptr;
};

}  // namespace zurntool
