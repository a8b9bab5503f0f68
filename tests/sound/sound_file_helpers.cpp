#include "sound_file_helpers.h"

#include <algorithm>

namespace soundtest {

uint32_t makeZurnFile(const std::string& name, uint32_t frames, uint32_t num, uint32_t den,
                      std::vector<ZurnMakeSoundTrack> tracks) {
  constexpr uint32_t kWidth = 16, kHeight = 16;
  ZurnMakeState* job = ZurnMake(name.c_str(), kWidth * 4, kWidth, kHeight, frames, 10, 0, num, den,
                                static_cast<uint32_t>(tracks.size()), tracks.data(), 4, nullptr);
  if (!job) return 0;
  std::vector<uint8_t> pixels(kWidth * kHeight * 4);
  for (uint32_t f = 0; f < frames; ++f) {
    for (uint32_t y = 0; y < kHeight; ++y)
      for (uint32_t x = 0; x < kWidth; ++x) {
        uint8_t* p = &pixels[(y * kWidth + x) * 4];
        p[0] = static_cast<uint8_t>(x * 16 + f * 3);
        p[1] = static_cast<uint8_t>(y * 16);
        p[2] = static_cast<uint8_t>(128 + f);
      }
    ZurnMakePutVideo(job, 400, 2000, f == 0, pixels.data());
  }
  return ZurnMakeClose(job, 0);
}

DecodedTrack readTrack(const std::string& name, int32_t track) {
  DecodedTrack out;
  ZurnDecoder* decoder = ZurnDecoderOpen(name.c_str(), ZURNDEC_NO_READ_AHEAD);
  if (!decoder) return out;
  ZurnTrackReader* reader = ZurnTrackReaderOpen(decoder, track);
  if (!reader) {
    ZurnDecoderClose(decoder);
    return out;
  }
  out.bits = reader->bits;
  out.channels = reader->channels;
  out.rate = reader->rate;
  std::vector<uint8_t> buffer(reader->bufferSize);
  uint64_t total = 0;
  for (int32_t f = 0; f < decoder->frames; ++f) {
    const uint32_t n = ZurnTrackReaderGet(reader, buffer.data());
    if (reader->bits == 8) {
      for (uint32_t i = 0; i < n; ++i) out.samples.push_back(static_cast<int16_t>((buffer[i] - 128) * 256));
      total += 2 * n;
    } else {
      for (uint32_t i = 0; i + 1 < n; i += 2) out.samples.push_back(static_cast<int16_t>(buffer[i] | buffer[i + 1] << 8));
      total += n;
    }
    out.bytesAfterFrame.push_back(total);
    out.picturesDecoded = out.picturesDecoded && ZurnDecoderDecodeFrame(decoder) == 1;
    ZurnDecoderNextFrame(decoder);
  }
  ZurnTrackReaderClose(reader);
  ZurnDecoderClose(decoder);
  return out;
}

}  // namespace soundtest
