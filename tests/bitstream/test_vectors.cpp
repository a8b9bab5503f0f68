// The conformance vectors: every frame of each file decodes to exactly the
// expected frame buffer.
#include <cstring>
#include <string>
#include <vector>

#include "decode/zurn_frame.h"
#include "testutil.h"

using namespace tol;

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  if (at + 4 <= b.size()) std::memcpy(&v, b.data() + at, 4);
  return v;
}

std::string dataFile(const std::string& rel) { return testutil::dataFile("vectors/" + rel); }

void checkVector(const std::string& name) {
  const std::vector<uint8_t> file = testutil::readFile(dataFile(name + ".zrn"));
  ASSERT_GE(file.size(), 44u);
  ASSERT_EQ(std::memcmp(file.data(), "ZRNf", 4), 0);
  const uint32_t frames = u32(file, 8), width = u32(file, 20), height = u32(file, 24), tracks = u32(file, 40);
  const size_t index = 44 + 12 * size_t{tracks};

  const FrameGeometry g = frameGeometry(width, height);
  std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(g.frameBytes), std::vector<uint8_t>(g.frameBytes)};
  std::vector<uint8_t> map(g.mapBytes);
  std::vector<uint8_t> streamBlock(elementBuffersBytes(g.lumaPitch));
  ElementBuffers streams;
  bindElementBuffers(streams, streamBlock.data(), g.lumaPitch);

  for (uint32_t k = 0; k < frames; ++k) {
    const size_t begin = u32(file, index + 4 * k) & ~1u, end = u32(file, index + 4 * (k + 1)) & ~1u;
    ASSERT_LE(end, file.size());
    size_t video = begin;
    for (uint32_t t = 0; t < tracks; ++t) video += 4 + u32(file, video);
    ASSERT_LE(video, end);

    std::vector<uint8_t>& dst = buffers[k & 1];
    const std::vector<uint8_t>& ref = buffers[(k + 1) & 1];
    std::fill(map.begin(), map.end(), 0);
    const FrameJob job{dst.data(), ref.data(), map.data(), g, file.data() + video, file.data() + end, &streams,
                       (u32(file, index + 4 * k) & 1) != 0};
    const PlaneResult r = decodeVideoFrame(job);
    EXPECT_EQ(r.fault, DecodeFault::none) << name << " frame " << k << ": " << decodeFaultText(r.fault);
    EXPECT_EQ(r.next, file.data() + end) << name << " frame " << k;

    char leaf[32];
    std::snprintf(leaf, sizeof leaf, "/frame%04u.yuv", k);
    const std::vector<uint8_t> expected = testutil::readFile(dataFile(name + leaf));
    ASSERT_EQ(expected.size(), dst.size());
    size_t mismatches = 0, first = 0;
    for (size_t i = 0; i < dst.size(); ++i)
      if (dst[i] != expected[i] && !mismatches++) first = i;
    EXPECT_EQ(mismatches, 0u) << name << " frame " << k << " first difference at byte " << first;
  }
}

TEST(ConformanceVectors, Sample20x8) { checkVector("sample20x8"); }
TEST(ConformanceVectors, Sample100x60) { checkVector("sample100x60"); }

}  // namespace
