// Decoder side of the test bridge (tolutil's namespace).
#include <cstring>

#include "codec_bridge.h"
#include "decode/sound_block_decoder.h"

namespace soundtest {

std::vector<int16_t> decodePackets(const std::vector<std::vector<uint8_t>>& packets, uint32_t rate,
                                   uint32_t channels) {
  tol::SoundBlockDecoder* decoder = tol::soundBlockDecoderCreate(rate, channels);
  std::vector<int16_t> out;
  for (const auto& packet : packets) {
    if (packet.size() < 4) continue;
    uint32_t size = 0;
    std::memcpy(&size, packet.data(), 4);
    std::vector<int16_t> samples(size / 2 + 1);
    const uint32_t got = tol::soundDecodePacket(decoder, packet.data(), packet.size(), 16,
                                                reinterpret_cast<uint8_t*>(samples.data()), size);
    out.insert(out.end(), samples.begin(), samples.begin() + got / 2);
  }
  tol::soundBlockDecoderDestroy(decoder);
  return out;
}

}  // namespace soundtest
