#include "zurn/sound_source.h"

namespace zurntool {

SoundSource::~SoundSource() {
  if (file_) SFileClose(file_);
}

bool SoundSource::open(const std::string& name, int32_t startMs, const CompressOptions& o, std::string& error) {
  tolapp::lastLibraryMessage().clear();
  file_ = SFileOpen(name.c_str(), o.soundRate, 16, o.soundChannels, startMs, 0, o.soundTrack, 0, 0,
                    keepLibraryMessage);
  if (!file_) {
    error = openFailure(name, "no sound this program reads");
    return false;
  }
  if (file_->outRate <= 0 || file_->outRate >= 65536) {
    error = name + ": sample rates of 65536 Hz and above cannot be stored (/R sets a lower one)";
    return false;
  }
  return true;
}

ZurnMakeSoundTrack SoundSource::track(uint32_t soundOption) {
  return ZurnMakeSoundTrack{0, uint32_t(file_->outRate), 16, uint32_t(file_->outChannels), soundOption, this,
                            &SoundSource::read};
}

int32_t TOL_CC SoundSource::read(void*, void* userData, void* buffer, int32_t byteCount) {
  auto& s = *static_cast<SoundSource*>(userData);
  return byteCount > 0 ? int32_t(SFileGet(s.file_, buffer, uint32_t(byteCount))) : 0;
}

}  // namespace zurntool
