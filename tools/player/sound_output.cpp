#include "player/sound_output.h"

namespace tolapp {

bool SoundOutput::open(int32_t rate, SDL_AudioFormat format, int32_t channels) {
  close();
  SDL_AudioSpec want{}, have{};
  want.freq = rate;
  want.format = format;
  want.channels = Uint8(channels);
  // About an eighth of a second a buffer at most.
  want.samples = 1024;
  while (want.samples > 256 && want.samples * 8 > uint32_t(rate)) want.samples /= 2;
  want.callback = pull;
  want.userdata = this;
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device_) return false;
  bytesPerSecond_ = uint32_t(rate) * uint32_t(channels) * uint32_t(SDL_AUDIO_BITSIZE(format) / 8);
  ring_ = std::make_unique<SoundRing>(bytesPerSecond_ * 4, bytesPerSecond_, 0, have.silence);
  return true;
}

void SoundOutput::close() {
  if (device_) SDL_CloseAudioDevice(device_);
  device_ = 0;
}

void SoundOutput::pull(void* self, Uint8* stream, int len) {
  static_cast<SoundOutput*>(self)->ring_->pull(stream, uint32_t(len), playerNow());
}

}  // namespace tolapp
