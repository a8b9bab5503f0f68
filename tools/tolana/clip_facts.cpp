#include "tolana/clip_facts.h"

#include "decode/zurn_decoder.h"
#include "decode/zurn_decoder_header.h"

namespace tolana {

bool readClipFacts(const std::string& path, ClipFacts& clip, std::string& error) {
  // Every frame is fetched once in order: no read-ahead thread is needed.
  tol::ZurnDecoder* d = tol::ZurnDecoderOpen(path.c_str(), ZURNDEC_NO_READ_AHEAD | ZURNDEC_NO_LINE_MODE);
  if (!d) {
    const char* text = tol::ZurnDecoderGetError();
    error = text && *text ? text : "Cannot open the file.";
    return false;
  }
  clip = ClipFacts{};
  clip.width = d->width;
  clip.height = d->height;
  clip.fpsNumerator = d->fpsNumerator;
  clip.fpsDenominator = d->fpsDenominator;
  const uint32_t tracks = d->soundTrackCount;
  for (uint32_t t = 0; t < tracks; ++t) {
    clip.trackFlags.push_back(d->soundFlags[t]);
    clip.trackIds.push_back(d->soundTrackId[t]);
  }
  clip.frames.reserve(size_t(d->frames));
  for (int32_t n = 1; n <= d->frames; ++n) {
    tol::zurnFetchFrame(d, n);
    uint32_t size = 0;
    const uint8_t* bytes = tol::zurnCurrentFrame(d, &size);
    FrameFacts f;
    f.keyFrame = d->keyFrame;
    f.damaged = !bytes || size != d->frameExpected;
    // One packet per track: a 32-bit size, then that many bytes.
    uint32_t at = 0;
    for (uint32_t t = 0; t < tracks; ++t) {
      uint32_t packetSize = 0;
      if (bytes && size - at >= 4) packetSize = tol::loadLE32(bytes + at);
      if (!bytes || size - at < 4 || packetSize > size - at - 4) {
        f.damaged = true;
        f.trackBytes.push_back(size - at);
        at = size;
        continue;
      }
      f.trackBytes.push_back(packetSize + 4);
      at += packetSize + 4;
    }
    f.videoBytes = size - at;
    clip.frames.push_back(std::move(f));
  }
  tol::ZurnDecoderClose(d);
  return true;
}

}  // namespace tolana
