// Damaged data: the first violation stops the plane, every block from the
// failing one on shows the reference, later planes of the frame too, and the
// fault is reported.
#include <gtest/gtest.h>

#include "plane_builder.h"

using namespace tol;
using planetest::kUnwritten;
using planetest::PlaneBuilder;
using planetest::Streams;

namespace {

struct Outcome {
  std::vector<uint8_t> pixels;
  PlaneResult result;
};

Outcome decode(const PlaneBuilder& b, const uint8_t* data, size_t bytes, uint32_t capacityPitch) {
  Streams streams(capacityPitch);
  Outcome o;
  o.pixels.assign(b.ref.size(), kUnwritten);
  std::vector<uint8_t> map(64, 0);
  const PlaneJob job{o.pixels.data(), b.ref.data(), b.w, b.h, b.pitch, data, data + bytes, map.data(), 1,
                     &streams.buffers};
  o.result = decodePlane(job);
  EXPECT_GE(o.result.next, data);
  EXPECT_LE(o.result.next, data + bytes);
  return o;
}

// Blocks before (fx, fy) in raster order are as the builder expects, all
// others show the reference.
void expectStoppedAt(const PlaneBuilder& b, const Outcome& o, uint32_t fx, uint32_t fy) {
  for (uint32_t y = 0; y < b.h; ++y)
    for (uint32_t x = 0; x < b.w; ++x) {
      const uint32_t bx = x / 8, by = y / 8;
      const bool before = by < fy || (by == fy && bx < fx);
      const uint8_t want = before ? b.expect[y * b.pitch + x] : b.ref[y * b.pitch + x];
      ASSERT_EQ(o.pixels[y * b.pitch + x], want) << "pixel " << x << "," << y;
    }
}

// A plane of fills with one bad block at (2, 1) written by `bad`.
template <typename Bad>
Outcome planeWithBadBlock(PlaneBuilder& b, Bad&& bad) {
  for (uint32_t by = 0; by < b.rows; ++by) {
    for (uint32_t bx = 0; bx < b.cols;) {
      if (bx == 2 && by == 1) {
        bx += bad();
        continue;
      }
      b.fill(bx, by, false, static_cast<uint8_t>(10 + bx + 8 * by));
      ++bx;
    }
    b.writer.endRow();
  }
  BitWriter out;
  EXPECT_EQ(b.writer.finish(out), PlaneWriteError::none);
  return decode(b, out.data(), out.byteCount(), b.pitch);
}

TEST(Damage, MotionOutsideThePlane) {
  PlaneBuilder b(32, 24, 32, 1);
  const Outcome o = planeWithBadBlock(b, [&] {
    writeMotion(b.writer, -3, 15);  // rows 23..30 of a 24-row plane
    return 1;
  });
  EXPECT_EQ(o.result.fault, DecodeFault::motionOutside);
  expectStoppedAt(b, o, 2, 1);
}

TEST(Damage, ScaledBlockInTheLastColumnOrRow) {
  PlaneBuilder b(32, 24, 32, 2);
  b.fill(0, 0, false, 5);
  b.fill(1, 0, false, 6);
  b.fill(2, 0, false, 7);
  writeFill(b.writer, 99, true);  // last column
  b.writer.endRow();
  for (int r = 1; r < 3; ++r) {
    for (int k = 0; k < 4; ++k) writeSkip(b.writer);
    b.writer.endRow();
  }
  BitWriter out;
  ASSERT_EQ(b.writer.finish(out), PlaneWriteError::none);
  const Outcome o = decode(b, out.data(), out.byteCount(), 32);
  EXPECT_EQ(o.result.fault, DecodeFault::scaledOutside);
  expectStoppedAt(b, o, 3, 0);

  // Three block rows: a scaled block on row 2 has no row below it.
  PlaneBuilder c(32, 24, 32, 3);
  for (int r = 0; r < 2; ++r) {
    for (int k = 0; k < 4; ++k) writeSkip(c.writer);
    c.writer.endRow();
  }
  writeFill(c.writer, 1, true);
  writeFill(c.writer, 2, true);
  c.writer.endRow();
  BitWriter out2;
  ASSERT_EQ(c.writer.finish(out2), PlaneWriteError::none);
  const Outcome o2 = decode(c, out2.data(), out2.byteCount(), 32);
  EXPECT_EQ(o2.result.fault, DecodeFault::scaledOutside);
  expectStoppedAt(c, o2, 0, 2);
}

TEST(Damage, RunsPastTheLastPixel) {
  PlaneBuilder b(32, 24, 32, 4);
  const Outcome o = planeWithBadBlock(b, [&] {
    b.writer.blockType(kRunBlock);
    b.writer.direct().put(0, 4);
    for (int i = 0; i < 7; ++i) {  // 7 runs of 10 pass 64
      b.writer.direct().putBit(1);
      b.writer.runLength(9);
      b.writer.colour(50);
    }
    return 1;
  });
  EXPECT_EQ(o.result.fault, DecodeFault::runOverrun);
  expectStoppedAt(b, o, 2, 1);
}

TEST(Damage, ElementFromAnExhaustedStream) {
  PlaneBuilder b(32, 24, 32, 5);
  const Outcome o = planeWithBadBlock(b, [&] {
    b.writer.blockType(kPatternBlock);  // no colours or patterns follow
    return 1;
  });
  EXPECT_EQ(o.result.fault, DecodeFault::streamExhausted);
  expectStoppedAt(b, o, 2, 1);
}

TEST(Damage, TruncatedData) {
  PlaneBuilder b(32, 24, 32, 6);
  b.randomPlane({2, 3, 5, 6, 8, 9});
  BitWriter out;
  ASSERT_EQ(b.writer.finish(out), PlaneWriteError::none);
  for (size_t cut = 0; cut < out.byteCount(); cut += 4) {
    std::vector<uint8_t> part(out.data(), out.data() + cut);  // exact size: ASan sees any overread
    const Outcome o = decode(b, part.data(), part.size(), 32);
    EXPECT_EQ(o.result.fault, DecodeFault::truncated) << "cut at " << cut;
    // Whatever was decoded before the cut is right; the rest is the reference.
    for (size_t i = 0; i < o.pixels.size(); ++i)
      ASSERT_TRUE(o.pixels[i] == b.expect[i] || o.pixels[i] == b.ref[i]) << i;
  }
}

// Hand-made planes: all code descriptions plain (24 x 4 zero bits), then the
// first row's refills.
void handPlane(BitWriter& w) {
  for (int i = 0; i < 24; ++i) w.put(0, 4);
}

TEST(Damage, CountsAndRepeatsBeyondTheBuffers) {
  PlaneBuilder b(8, 8, 16, 7);  // one block; block-type counts are 10 bits
  BitWriter w;
  handPlane(w);
  w.put(1023, 10);  // more than the 514 elements of the buffer
  w.finishWords();
  Outcome o = decode(b, w.data(), w.byteCount(), 16);
  EXPECT_EQ(o.result.fault, DecodeFault::countOverCapacity);
  expectStoppedAt(b, o, 0, 0);

  BitWriter r;
  handPlane(r);
  r.put(1, 10);  // one block type...
  r.put(0, 1);
  r.put(15, 4);  // ...given as 32 repeats
  r.finishWords();
  o = decode(b, r.data(), r.byteCount(), 16);
  EXPECT_EQ(o.result.fault, DecodeFault::repeatOverrun);

  BitWriter f;
  handPlane(f);
  f.put(0, 10);  // block types finished at once: the block has no type
  for (int s = 1; s < kStreamCount; ++s) f.put(0, streamCountBits(static_cast<StreamId>(s), 8));
  f.finishWords();
  o = decode(b, f.data(), f.byteCount(), 16);
  EXPECT_EQ(o.result.fault, DecodeFault::streamExhausted);
}

// A fault in the Y plane leaves Cr and Cb as the reference; the frame
// routine reports it.
TEST(Damage, LaterPlanesShowTheReference) {
  const FrameGeometry g = frameGeometry(16, 16);
  std::vector<uint8_t> ref(g.frameBytes), dst(g.frameBytes, kUnwritten), map(g.mapBytes, 0);
  for (size_t i = 0; i < ref.size(); ++i) ref[i] = static_cast<uint8_t>(i);
  const uint8_t garbage[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  Streams streams(g.lumaPitch);
  const FrameJob job{dst.data(), ref.data(), map.data(), g, garbage, garbage + 8, &streams.buffers, true};
  const PlaneResult r = decodeVideoFrame(job);
  EXPECT_NE(r.fault, DecodeFault::none);
  EXPECT_EQ(dst, ref);
}

}  // namespace
