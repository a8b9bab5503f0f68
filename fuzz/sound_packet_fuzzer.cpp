// Decodes arbitrary bytes as sound packets. The first byte picks the track
// layout (16-bit mono 22050 Hz, 8-bit stereo 11025 Hz, 16-bit stereo
// 44100 Hz), the second how many equal pieces (1 to 4) the rest is cut into;
// the pieces are decoded as consecutive packets by one decoder, so that the
// cross-fade between packets is exercised too. The destination is as large
// as a real track reader's buffer would be.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/sound_block_decoder.h"

namespace {

struct Layout {
  uint32_t rate, channels, bits;
};
constexpr Layout kLayouts[3] = {{22050, 1, 16}, {11025, 2, 8}, {44100, 2, 16}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const Layout& layout = kLayouts[data[0] % 3];
  const uint32_t packets = 1 + data[1] % 4;
  data += 2;
  size -= 2;

  tol::SoundBlockDecoder* decoder = tol::soundBlockDecoderCreate(layout.rate, layout.channels);
  if (!decoder) return 0;
  // Room for three blocks, as a largest packet of a real file might need.
  const uint32_t capacity = 3 * (decoder->length - decoder->overlap) * 2 / (layout.bits == 8 ? 2 : 1);
  std::vector<uint8_t> dest(capacity);
  const size_t piece = size / packets;
  for (uint32_t p = 0; p < packets; ++p) {
    const size_t length = p + 1 == packets ? size - p * piece : piece;
    tol::soundDecodePacket(decoder, data + p * piece, static_cast<uint32_t>(length), layout.bits, dest.data(),
                           capacity);
  }
  tol::soundBlockDecoderDestroy(decoder);
  return 0;
}
