// Helpers of the end-to-end sound tests, on the exported interfaces only:
// sources that feed readSound from a vector, small Zurn files made by the
// encoder, and tracks read back through the decoder and the track reader.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tol/zurndecoder.h"
#include "tol/zurnmake.h"
#include "tol/zurnsound.h"

namespace soundtest {

// Feeds interleaved 16-bit samples to readSound, then ends.
struct PcmSource {
  std::vector<int16_t> samples;
  size_t pos = 0;  // bytes delivered

  static int32_t TOL_CC read(void* handle, void* userData, void* buffer, int32_t byteCount) {
    auto* s = static_cast<PcmSource*>(userData);
    const size_t total = s->samples.size() * 2;
    const size_t n = std::min<size_t>(byteCount, total - s->pos);
    std::memcpy(buffer, reinterpret_cast<const uint8_t*>(s->samples.data()) + s->pos, n);
    s->pos += n;
    return static_cast<int32_t>(n);
  }
  ZurnMakeSoundTrack track(uint32_t id, uint32_t rate, uint32_t bits, uint32_t channels, uint32_t option) {
    return ZurnMakeSoundTrack{id, rate, bits, channels, option, this, &PcmSource::read};
  }
};

// 8-bit sound as the sound input layer hands it on: unsigned samples widened
// to signed 16 bits ((u - 128) << 8).
inline std::vector<int16_t> toEightBit(const std::vector<int16_t>& s) {
  std::vector<int16_t> out(s.size());
  for (size_t i = 0; i < s.size(); ++i) out[i] = static_cast<int16_t>((s[i] >> 8) * 256);
  return out;
}

// Bytes of 16-bit sound that a file of `frames` frames promises a track.
inline uint32_t promisedBytes(uint32_t rate, uint32_t channels, uint32_t frames, uint32_t num, uint32_t den) {
  const uint64_t bytes = uint64_t{rate} * channels * 2 * frames * den / num;
  return static_cast<uint32_t>((bytes + 3) & ~uint64_t{3});
}

// Writes a file of `frames` small frames (a moving gradient, a keyframe
// every 10 frames) with the given tracks; returns the file size.
uint32_t makeZurnFile(const std::string& name, uint32_t frames, uint32_t num, uint32_t den,
                      std::vector<ZurnMakeSoundTrack> tracks);

// One track read back frame by frame, as 16-bit samples (8-bit deliveries
// widened as above), with the total of decoded bytes (16-bit units) after
// each frame. The pictures are decoded along the way: the decoder has to
// find the video behind every frame's packets.
struct DecodedTrack {
  std::vector<int16_t> samples;
  std::vector<uint64_t> bytesAfterFrame;
  int32_t bits = 0, channels = 0, rate = 0;
  bool picturesDecoded = true;
};
DecodedTrack readTrack(const std::string& name, int32_t track);

}  // namespace soundtest
