#include "zurn/sound_source.h"

#include <algorithm>

namespace zurntool {

bool SoundSource::open(const std::string& path, uint32_t skipFrames, Rate rate, std::string& error) {
  if (!tolapp::readWave(path, sound_, error)) return false;
  if (sound_.rate >= 65536) {
    error = path + ": sample rates of 65536 Hz and above cannot be stored";
    return false;
  }
  const uint64_t skip = uint64_t(skipFrames) * rate.den * uint64_t(sound_.rate) / rate.num;
  next_ = size_t(std::min<uint64_t>(skip * uint64_t(sound_.channels), sound_.samples.size()));
  return true;
}

ZurnMakeSoundTrack SoundSource::track(uint32_t soundOption) {
  return ZurnMakeSoundTrack{0,
                            uint32_t(sound_.rate),
                            uint32_t(sound_.bits),
                            uint32_t(sound_.channels),
                            soundOption,
                            this,
                            &SoundSource::read};
}

int32_t TOL_CC SoundSource::read(void*, void* userData, void* buffer, int32_t byteCount) {
  SoundSource& s = *static_cast<SoundSource*>(userData);
  const size_t n = std::min(size_t(std::max(byteCount, 0)) / 2, s.sound_.samples.size() - s.next_);
  auto* out = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < n; ++i) {
    const uint16_t v = uint16_t(s.sound_.samples[s.next_ + i]);
    out[2 * i] = uint8_t(v);
    out[2 * i + 1] = uint8_t(v >> 8);
  }
  s.next_ += n;
  return int32_t(n * 2);
}

}  // namespace zurntool
