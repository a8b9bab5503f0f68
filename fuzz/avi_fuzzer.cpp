// Arbitrary bytes opened as an AVI file in memory: every stream's
// information, format and first samples read, and its first frames (and the
// last) decoded, in the natural depth and converted.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/avi_file.h"

using namespace tol;

namespace {

void readStream(AVIStream* s) {
  AVIStreamInfo info;
  if (AVIStreamGetInfo(s, &info) != kAVIErrOK) std::abort();
  int32_t size = 0;
  AVIStreamReadFormat(s, 0, nullptr, &size);
  std::vector<uint8_t> format(size_t(size > 0 ? size : 0) + 1);
  AVIStreamReadFormat(s, AVIStreamLength(s) - 1, format.data(), &size);
  const int32_t start = AVIStreamStart(s), length = AVIStreamLength(s);
  std::vector<uint8_t> buffer(1 << 16);
  for (int32_t i = start; i < start + length && i < start + 16; ++i) {
    int32_t bytes = 0, samples = 0;
    AVIStreamRead(s, i, 1, nullptr, 0, &bytes, &samples);
    if (AVIStreamRead(s, i, 1000, buffer.data(), int32_t(buffer.size()), &bytes, &samples) == kAVIErrOK &&
        (bytes < 0 || size_t(bytes) > buffer.size()))
      std::abort();
    AVIStreamNearestKeyFrame(s, i);
  }
  if (info.fccType != kStreamTypeVideo) return;
  BitmapInfoHeader wanted{};
  for (uint16_t bits : {uint16_t(0), uint16_t(32)}) {
    wanted.bitCount = bits;
    AVIGetFrame* g = AVIStreamGetFrameOpen(s, bits ? &wanted : nullptr);
    if (!g) return;
    for (int32_t i = start; i < start + length && i < start + 8; ++i) {
      const BitmapInfoHeader* h = AVIStreamGetFrame(g, i);
      if (h && (h->width <= 0 || h->height <= 0 ||
                h->sizeImage != uint32_t((uint64_t(h->width) * h->bitCount + 31) / 32 * 4 * uint64_t(h->height))))
        std::abort();
    }
    AVIStreamGetFrame(g, start + length - 1);
    AVIStreamGetFrameClose(g);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AVIFile* f = AVIFileOpenMemory(data, size);
  if (!f) return 0;
  AVIFileInfo info;
  AVIFileGetInfo(f, &info);
  for (int n = 0; n < 8; ++n) {
    AVIStream* s = AVIFileGetStream(f, 0, n);
    if (!s) break;
    readStream(s);
    AVIStreamRelease(s);
  }
  AVIFileRelease(f);
  return 0;
}
