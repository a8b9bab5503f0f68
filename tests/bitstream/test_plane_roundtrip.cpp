// Planes and frames written with the writer side decode to exactly the
// pixels and block-change marks their blocks stand for.
#include <gtest/gtest.h>

#include "plane_builder.h"

using namespace tol;
using planetest::PlaneBuilder;
using planetest::Streams;

namespace {

struct Decoded {
  std::vector<uint8_t> pixels, map;
  PlaneResult result;
  size_t bytes;
};

// Writes the builder's plane and decodes it against the builder's reference.
Decoded writeAndDecode(PlaneBuilder& b, uint32_t lumaPitch) {
  BitWriter out;
  EXPECT_EQ(b.writer.finish(out), PlaneWriteError::none);
  Streams streams(lumaPitch);
  Decoded d;
  d.pixels.assign(b.ref.size(), planetest::kUnwritten);
  const uint32_t step = b.pitch == lumaPitch ? 1 : 2;
  d.map.assign((lumaPitch / 16) * ((b.h * step + 15) / 16 + 1), 0);
  const PlaneJob job{d.pixels.data(), b.ref.data(), b.w, b.h, b.pitch, out.data(), out.data() + out.byteCount(),
                     d.map.data(), step, &streams.buffers};
  d.result = decodePlane(job);
  d.bytes = out.byteCount();
  EXPECT_EQ(d.result.fault, DecodeFault::none) << decodeFaultText(d.result.fault);
  EXPECT_EQ(d.result.next, out.data() + out.byteCount());
  return d;
}

void expectPlane(const PlaneBuilder& b, const Decoded& d, uint32_t lumaPitch) {
  for (uint32_t y = 0; y < b.h; ++y)
    for (uint32_t x = 0; x < b.w; ++x)
      ASSERT_EQ(d.pixels[y * b.pitch + x], b.expect[y * b.pitch + x]) << "pixel " << x << "," << y;
  // Outside the decoded width nothing is written.
  for (uint32_t y = 0; y < b.h; ++y)
    for (uint32_t x = b.w; x < b.pitch; ++x) ASSERT_EQ(d.pixels[y * b.pitch + x], planetest::kUnwritten);
  std::vector<uint8_t> map(d.map.size(), 0);
  b.expectMarks(map, lumaPitch / 16, b.pitch == lumaPitch ? 1 : 2);
  EXPECT_EQ(d.map, map);
}

TEST(PlaneRoundTrip, RandomPlanesOfEveryBlockKind) {
  struct Case {
    uint32_t w, h, pitch;
    std::vector<int> kinds;
  };
  const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const Case cases[] = {
      {104, 64, 112, all}, {24, 8, 32, all}, {8, 8, 16, all},      {16, 16, 16, all},
      {56, 32, 56, all},   {40, 24, 48, {1, 1, 1, 3}}, {104, 64, 112, {5, 7}}, {104, 64, 112, {3, 4, 9}},
  };
  uint32_t seed = 1;
  for (const Case& c : cases) {
    for (int round = 0; round < 4; ++round, ++seed) {
      SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " seed " << seed);
      PlaneBuilder b(c.w, c.h, c.pitch, seed);
      b.randomPlane(c.kinds);
      const Decoded d = writeAndDecode(b, c.pitch);
      expectPlane(b, d, c.pitch);
    }
  }
}

// Y, Cr and Cb one after another in one frame, each starting on a word.
void roundTripFrame(uint32_t width, uint32_t height, uint32_t seed) {
  const FrameGeometry g = frameGeometry(width, height);
  PlaneBuilder y(g.lumaWidth, g.lumaHeight, g.lumaPitch, seed);
  PlaneBuilder cr(g.chromaWidth, g.chromaHeight, g.chromaWidth, seed + 1);
  PlaneBuilder cb(g.chromaWidth, g.chromaHeight, g.chromaWidth, seed + 2);
  const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  BitWriter out;
  for (PlaneBuilder* p : {&y, &cr, &cb}) {
    p->randomPlane(all);
    ASSERT_EQ(p->writer.finish(out), PlaneWriteError::none);
  }
  // Frame buffers with the three reference planes in place.
  std::vector<uint8_t> ref(g.frameBytes, 0), dst(g.frameBytes, planetest::kUnwritten), map(g.mapBytes, 0), expectMap(g.mapBytes, 0);
  const size_t lumaBytes = size_t{g.lumaPitch} * g.lumaBufferHeight, chromaBytes = size_t{g.chromaWidth} * g.chromaHeight;
  std::copy(y.ref.begin(), y.ref.end(), ref.begin());
  std::copy(cr.ref.begin(), cr.ref.end(), ref.begin() + lumaBytes);
  std::copy(cb.ref.begin(), cb.ref.end(), ref.begin() + lumaBytes + chromaBytes);
  Streams streams(g.lumaPitch);
  const FrameJob job{dst.data(), ref.data(), map.data(), g, out.data(), out.data() + out.byteCount(), &streams.buffers, false};
  const PlaneResult r = decodeVideoFrame(job);
  EXPECT_EQ(r.fault, DecodeFault::none);
  EXPECT_EQ(r.next, out.data() + out.byteCount());

  const size_t offsets[3] = {0, lumaBytes, lumaBytes + chromaBytes};
  const PlaneBuilder* planes[3] = {&y, &cr, &cb};
  for (int p = 0; p < 3; ++p) {
    const PlaneBuilder& b = *planes[p];
    for (uint32_t row = 0; row < b.h; ++row)
      for (uint32_t x = 0; x < b.w; ++x)
        ASSERT_EQ(dst[offsets[p] + row * b.pitch + x], b.expect[row * b.pitch + x]) << "plane " << p << " at " << x << "," << row;
    b.expectMarks(expectMap, g.mapPitch, p ? 2 : 1);
  }
  // Luma beyond the decoded area (pitch and buffer height) stays unwritten.
  for (uint32_t row = 0; row < g.lumaBufferHeight; ++row)
    for (uint32_t x = 0; x < g.lumaPitch; ++x)
      if (row >= g.lumaHeight || x >= g.lumaWidth) {
        ASSERT_EQ(dst[row * g.lumaPitch + x], planetest::kUnwritten);
      }
  EXPECT_EQ(map, expectMap);
}

TEST(PlaneRoundTrip, FramesOfOddSizes) {
  roundTripFrame(100, 60, 11);
  roundTripFrame(20, 8, 21);
  roundTripFrame(1, 1, 31);
  roundTripFrame(33, 47, 41);
}

// Streams that run dry early are finished with count 0; a stream that has
// nothing in some rows carries the elements of its next row early and is not
// refilled until they are used.
TEST(PlaneRoundTrip, FinishedAndEarlyStreams) {
  PlaneBuilder b(32, 48, 32, 5);
  for (uint32_t by = 0; by < b.rows; ++by) {
    for (uint32_t bx = 0; bx < b.cols; ++bx) {
      if (by == 0) b.pattern(bx, by, false);       // patterns only in row 0
      else if (by == 3 || by == 5) b.fill(bx, by, false, b.colour());  // colours only later
      else b.skip(bx, by);
    }
    b.writer.endRow();
  }
  const Decoded d = writeAndDecode(b, 32);
  expectPlane(b, d, 32);
}

// A row of intra blocks with one DC value: the DC groups have width 0.
TEST(PlaneRoundTrip, DcGroupsOfWidthZero) {
  PlaneBuilder b(104, 8, 112, 6);
  for (uint32_t bx = 0; bx < b.cols; ++bx) b.intra(bx, 0, false, 777);
  b.writer.endRow();
  const Decoded d = writeAndDecode(b, 112);
  expectPlane(b, d, 112);
}

// Types 10 to 15 write nothing and mark nothing: a whole row of 12 (the
// repeat mode) and 10 and 11 between other blocks.
TEST(PlaneRoundTrip, UnusedBlockTypes) {
  PlaneBuilder b(32, 16, 32, 7);
  for (uint32_t bx = 0; bx < 4; ++bx) b.writer.blockType(12);
  b.writer.endRow();
  b.fill(0, 1, false, 9);
  b.writer.blockType(10);
  b.writer.blockType(11);
  b.fill(3, 1, false, 200);
  b.writer.endRow();
  const Decoded d = writeAndDecode(b, 32);
  // The expected picture keeps the planetest::kUnwritten of unwritten blocks.
  for (uint32_t y = 0; y < 16; ++y)
    for (uint32_t x = 0; x < 32; ++x) {
      const bool written = y >= 8 && (x < 8 || x >= 24);
      EXPECT_EQ(d.pixels[y * 32 + x], written ? b.expect[y * 32 + x] : planetest::kUnwritten);
    }
  std::vector<uint8_t> map(d.map.size(), 0);
  b.expectMarks(map, 2, 1);
  EXPECT_EQ(d.map, map);
}

// The same plane written twice gives the same bytes (the writer keeps no
// state between planes but its capacity).
TEST(PlaneRoundTrip, WriterIsReusable) {
  BitWriter first, second;
  for (BitWriter* out : {&first, &second}) {
    PlaneBuilder b(48, 32, 48, 9);
    b.randomPlane({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_EQ(b.writer.finish(*out), PlaneWriteError::none);
  }
  ASSERT_EQ(first.byteCount(), second.byteCount());
  EXPECT_EQ(std::memcmp(first.data(), second.data(), first.byteCount()), 0);
}

}  // namespace
