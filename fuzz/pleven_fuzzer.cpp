// Arbitrary bytes as a whole Pleven file in memory (in a buffer of exactly
// its size): open with the line mode chosen by the size, decode every frame
// through the ring frame and back to frame 1 into a destination that fits
// (bottom-up every other frame), take out every track's sound, jump, close.
// Frames larger than 512 x 512 are skipped: they only cost time here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/pleven_decoder.h"

namespace {
constexpr int32_t kMaxSide = 512;
constexpr uint32_t kLineModes[] = {0, PLEV_OPEN_DOUBLED, PLEV_OPEN_INTERLACED, PLEV_OPEN_SINGLE};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7FFFFFFF) return 0;
  std::vector<uint8_t> image(data, data + size);
  tol::PlevDecoder* d =
      tol::PlevOpen(image.data(), PLEV_OPEN_MEMORY | kLineModes[size % 4], static_cast<int32_t>(image.size()));
  if (!d) return 0;
  if (d->width <= kMaxSide && d->height <= 2 * kMaxSide) {
    std::vector<uint8_t> screen(static_cast<size_t>(d->width) * static_cast<size_t>(d->height));
    std::vector<uint8_t> pcm;
    const int32_t steps = d->frames < 64 ? d->frames + 2 : 64;
    for (int32_t i = 0; i < steps; ++i) {
      tol::PlevSetDestination(d, 0, 0, d->width, d->height, screen.data(), i & 1);
      tol::PlevDecodeFrame(d);
      for (int k = 0; k < PLEV_TRACKS; ++k) {
        pcm.assign(d->maxSoundSize[k] < (1u << 24) ? d->maxSoundSize[k] + 1 : 0, 0);
        if (!pcm.empty()) tol::PlevTrackSound(d, pcm.data(), PLEV_OPEN_TRACK(k));
      }
      tol::PlevNextFrame(d);
    }
    tol::PlevGotoFrame(d, d->frames);
    tol::PlevDecodeFrame(d);
  }
  tol::PlevClose(d);
  return 0;
}
