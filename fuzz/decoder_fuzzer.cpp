// Arbitrary bytes as a whole Zurn file in memory: open, then decode every
// frame and copy it to a surface (a different surface type and layout each
// frame), jump back and forth, close. The image lies in a buffer of exactly
// its size (at an odd address when the input's size is odd), and its header
// size field is set to that size, as a memory image promises.
//
// Frames larger than 256 x 256 are skipped: they only cost time here.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "decode/zurn_decoder.h"
#include "decode/zurn_decoder_header.h"

namespace {

constexpr uint32_t kMaxSide = 256;
// Room for a doubled-height frame at 4 bytes a pixel, and a planar
// surface's chroma planes behind it.
constexpr size_t kSurfacePitch = kMaxSide * 4;
constexpr size_t kSurfaceRows = 2 * kMaxSide;
constexpr uint32_t kCopyLayouts[] = {0, ZURNDEC_COPY_FULL, ZURNDEC_COPY_BOTTOM_UP, ZURNDEC_COPY_LINE_DOUBLING};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> surface(kSurfacePitch * kSurfaceRows * 3 / 2);
  if (size < tol::ZurnFileHeader::kSize || size > 0xFFFFFFF0u) return 0;
  tol::ZurnFileHeader h;
  h.parse(data);
  if (h.width > kMaxSide || h.height > kMaxSide) return 0;

  const size_t shift = size & 1;
  std::vector<uint8_t> buffer(size + shift);
  uint8_t* image = buffer.data() + shift;
  std::memcpy(image, data, size);
  const uint32_t sizeLess8 = static_cast<uint32_t>(size - 8);
  std::memcpy(image + 4, &sizeLess8, 4);
  // The video flags' spare bits pick the open flags that matter in memory.
  const uint32_t flags = ZURNDEC_MEMORY_IMAGE | (h.videoFlags & (ZURNDEC_NO_LINE_MODE | ZURNDEC_SELECTED_TRACK));
  tol::ZurnDecoderSelectTrack(static_cast<int32_t>(h.fpsDenominator));

  tol::ZurnDecoder* d = tol::ZurnDecoderOpen(image, flags);
  if (!d) {
    if (!*tol::ZurnDecoderGetError()) std::abort();
    return 0;
  }
  const int32_t pitch = static_cast<int32_t>(kSurfacePitch);
  const int32_t rows = static_cast<int32_t>(kSurfaceRows);
  for (int32_t k = 0; k < d->frames; k++) {
    if (d->currentFrame != k + 1) std::abort();
    tol::ZurnDecoderDecodeFrame(d);
    const uint32_t type = 1 + static_cast<uint32_t>(k) % 10;
    tol::ZurnDecoderCopyToSurface(d, surface.data(), pitch, rows, k & 1, k & 2, type | kCopyLayouts[(k / 10) % 4]);
    tol::ZurnDecoderNextFrame(d);
  }
  const int32_t pastLast = static_cast<int32_t>(d->soundTrackCount < 0x7FFFFFFF ? d->soundTrackCount : 0);
  if (tol::ZurnDecoderTrackFlags(d, pastLast) != 0 || tol::ZurnDecoderTrackId(d, -1) != 0) std::abort();
  tol::ZurnDecoderGoto(d, d->frames / 2 + 1, 0);
  tol::ZurnDecoderDecodeFrame(d);
  tol::ZurnDecoderGoto(d, 1 + d->frames / 3, 0);
  tol::ZurnDecoderDecodeFrame(d);
  tol::ZurnDecoderCopyToSurface(d, surface.data(), pitch, rows, 0, 0, 2);
  tol::ZurnDecoderClose(d);
  return 0;
}
