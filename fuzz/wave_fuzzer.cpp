// Arbitrary bytes read as a WAVE file: the reader stays inside the bytes
// and what it accepts is whole sample frames of a format it supports.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  tolapp::Sound sound;
  std::string error;
  if (!tolapp::parseWave(bytes, sound, error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (sound.channels < 1 || sound.channels > 2 || (sound.bits != 8 && sound.bits != 16) || sound.rate <= 0)
    std::abort();
  if (sound.samples.size() % size_t(sound.channels) != 0) std::abort();
  if (sound.samples.size() * size_t(sound.bits / 8) > size) std::abort();
  return 0;
}
