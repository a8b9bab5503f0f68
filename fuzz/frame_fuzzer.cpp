// Arbitrary bytes as the video data of one frame. The first byte picks the
// frame size; the rest is the coded data, decoded into a destination
// against a patterned reference. The decoder must stay inside its buffers
// and report where it stopped inside the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "decode/zurn_frame.h"

using namespace tol;

namespace {

constexpr uint32_t kSizes[][2] = {{8, 8}, {20, 8}, {100, 60}, {33, 17}, {64, 48}, {1, 1}, {16, 40}, {176, 24}};

struct Frame {
  FrameGeometry g;
  std::vector<uint8_t> dst, ref, map, streamBlock;
  ElementBuffers streams;
  explicit Frame(uint32_t w, uint32_t h)
      : g(frameGeometry(w, h)), dst(g.frameBytes), ref(g.frameBytes), map(g.mapBytes), streamBlock(elementBuffersBytes(g.lumaPitch)) {
    for (size_t i = 0; i < ref.size(); ++i) ref[i] = static_cast<uint8_t>(i * 7);
    bindElementBuffers(streams, streamBlock.data(), g.lumaPitch);
  }
};

std::vector<std::unique_ptr<Frame>> gFrames;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const auto& s : kSizes) gFrames.push_back(std::make_unique<Frame>(s[0], s[1]));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Frame& f = *gFrames[data[0] % gFrames.size()];
  // Exact-size copy so that any read past the end is caught.
  std::vector<uint8_t> coded(data + 1, data + size);
  const FrameJob job{f.dst.data(), f.ref.data(), f.map.data(), f.g, coded.data(), coded.data() + coded.size(),
                     &f.streams, (data[0] & 0x80) != 0};
  const PlaneResult r = decodeVideoFrame(job);
  if (r.next < coded.data() || r.next > coded.data() + coded.size()) std::abort();
  if (r.fault == DecodeFault::none && (r.next - coded.data()) % 4 != 0) std::abort();
  return 0;
}
