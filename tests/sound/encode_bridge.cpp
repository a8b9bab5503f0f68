// Encoder side of the test bridge (zurnmake's namespace).
#include <algorithm>
#include <cstring>

#include "codec_bridge.h"
#include "encoder/sound_coder.h"

namespace soundtest {

std::vector<uint8_t> encodePacket(const std::vector<int16_t>& samples, uint32_t rate, uint32_t channels,
                                  uint32_t soundOption) {
  tol::SoundCoder* coder = tol::soundCoderCreate(rate, channels);
  std::vector<uint8_t> packet(4);
  const auto* source = reinterpret_cast<const uint8_t*>(samples.data());
  const size_t total = samples.size() * 2;
  size_t pos = 0;
  uint32_t decoded = 0;
  for (bool ended = false; !ended;) {
    uint32_t want = 0;
    int16_t* input = tol::soundCoderInput(coder, &want);
    const uint32_t got = static_cast<uint32_t>(std::min<size_t>(want, total - pos));
    std::memcpy(input, source + pos, got);
    pos += got;
    ended = got < want;
    uint32_t accounted = 0;
    const uint32_t bytes = tol::soundCoderEncode(coder, got, soundOption, &accounted);
    packet.insert(packet.end(), coder->coded, coder->coded + bytes);
    decoded += accounted;
  }
  std::memcpy(packet.data(), &decoded, 4);
  tol::soundCoderDestroy(coder);
  return packet;
}

}  // namespace soundtest
