// An independent FLIC decoder (GStreamer's flxdec) shows our FLC files, and
// a FLI made of our chunks with the FLI palette, black and copy chunks added,
// exactly as our reader does. Skips where GStreamer or the decoder is not
// installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "flic_bytes.h"
#include "flic_clip.h"
#include "testutil.h"
#include "tol/flic.h"

using namespace flictest;

namespace {

bool haveFlxdec() {
  return std::system("gst-launch-1.0 --version >/dev/null 2>&1") == 0 &&
         std::system("gst-inspect-1.0 flxdec >/dev/null 2>&1") == 0;
}

// Every frame the decoder gives, as RGBx rows of width pixels. (It shows
// nothing of a file that arrives in a single block, hence the small blocks.)
Bytes decodeWithGStreamer(const std::string& in, const std::string& out) {
  const std::string cmd = "gst-launch-1.0 -q filesrc blocksize=512 location='" + in +
                          "' ! flxdec ! videoconvert ! video/x-raw,format=RGBx ! filesink location='" + out +
                          "' >/dev/null 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return testutil::readFile(out);
}

// Our reader's frames in the same form.
Bytes decodeWithReader(const std::string& in, int32_t& frames, int32_t& width, int32_t& height) {
  TOLFlic* r = TOLFlicOpen(in.c_str());
  EXPECT_NE(r, nullptr);
  if (!r) return {};
  frames = r->frameCount, width = r->width, height = r->height;
  Bytes buffer(size_t(r->pitch) * r->bufferHeight), out;
  for (int32_t k = 0; k < frames; k++) {
    TOLFlicGetNext(r, buffer.data());
    for (int32_t y = 0; y < height; y++)
      for (int32_t x = 0; x < width; x++) {
        const uint8_t* c = r->palette + 3 * buffer[size_t(y) * r->pitch + x];
        out.insert(out.end(), {c[0], c[1], c[2], 0});
      }
  }
  TOLFlicClose(r);
  return out;
}

// Compares red, green and blue of the frames (tolerance per component). The
// other decoder gives no picture for a frame without sub-chunks (a repeated
// frame), so its pictures are matched with our frames that have chunks. It
// does not draw uncompressed chunks (kind 16): a frame holding one, and the
// frames after it up to the next black or byte-run frame, are not compared.
void expectSameFrames(const std::string& name, int tolerance) {
  if (!haveFlxdec()) GTEST_SKIP() << "GStreamer's flxdec is not installed";
  int32_t frames = 0, width = 0, height = 0;
  const Bytes ours = decodeWithReader(name, frames, width, height);
  const Bytes theirs = decodeWithGStreamer(name, name + ".rgb");
  const auto kinds = chunkKinds(testutil::readFile(name));
  const size_t frameBytes = size_t(width) * height * 4;
  size_t shown = 0, compared = 0;
  bool afterCopy = false;
  auto has = [&](int32_t k, uint16_t kind) { return std::count(kinds[k].begin(), kinds[k].end(), kind) > 0; };
  for (int32_t k = 0; k < frames; k++) {
    if (kinds[k].empty()) continue;
    ASSERT_LE((shown + 1) * frameBytes, theirs.size()) << "frame " << k;
    afterCopy = has(k, 16) || (afterCopy && !has(k, 13) && !has(k, 15));
    if (afterCopy) {
      shown++;
      continue;
    }
    size_t mismatches = 0;
    for (size_t i = 0; i < frameBytes; i++)
      if (i % 4 != 3 && std::abs(int(ours[k * frameBytes + i]) - int(theirs[shown * frameBytes + i])) > tolerance)
        mismatches++;
    EXPECT_EQ(mismatches, 0u) << "frame " << k;
    shown++;
    compared++;
  }
  EXPECT_GT(compared, 2u);
}

struct Source {
  uint16_t width, height;
  uint32_t frames;  // 0: the far-change frames
};

Bytes writeFlc(const std::string& name, const Source& s, bool sixBitColours = false) {
  TOLOFlic* w = TOLOFlicCreate(name.c_str(), s.width, s.height, 40);
  EXPECT_NE(w, nullptr);
  if (!w) return {};
  const auto far = farChangeFrames(s.width, s.height);
  for (uint32_t k = 0; k < (s.frames ? s.frames : far.size()); k++) {
    ClipFrame f = clipFrame(s.width, s.height, k);
    if (!s.frames) f.pixels = far[k];
    if (k == 3) f = clipFrame(s.width, s.height, 2);  // a repeated frame
    if (sixBitColours)
      for (auto& c : f.palette) c = uint8_t((c & 0xFC) | (c >> 6));
    TOLOFlicPutNext(w, f.pixels.data(), f.palette.data());
  }
  TOLOFlicClose(w);
  return testutil::readFile(name);
}

TEST(FlicIndependent, OurFlcFiles) {
  const Source sources[] = {
      {320, 200, 14},  // byte deltas, a palette turn at frame 10
      {64, 48, 12},    // word deltas
      {640, 480, 4},
      {640, 8, 0},  // skips longer than a packet's, runs longer than a packet
      {320, 200, 0},
  };
  testutil::TempDir dir;
  for (const Source& s : sources) {
    SCOPED_TRACE(testing::Message() << s.width << " x " << s.height);
    const std::string name = dir.file("ours.flc");
    writeFlc(name, s);
    expectSameFrames(name, 0);
  }
}

// Our 320 x 200 FLC turned into a FLI: the palette chunks with 6-bit
// components, and a black frame and a stored frame added.
TEST(FlicIndependent, FliWithEveryChunkKind) {
  testutil::TempDir dir;
  const Bytes flc = writeFlc(dir.file("src.flc"), {320, 200, 6}, true);
  const uint32_t frames = get16(flc, 6);
  FlicFile fli(0xAF11, 320, 200, 5);
  Bytes& b = fli.bytes();
  size_t at = 128;
  for (uint32_t k = 0; k < frames; k++) {
    const size_t start = b.size();
    b.insert(b.end(), flc.begin() + at, flc.begin() + at + get32(flc, at));
    for (size_t c = start + 16; c < b.size(); c += get32(b, c)) {
      if (get16(b, c + 4) != 4) continue;
      put16(b, c + 4, 11);
      for (size_t i = c + 6 + 4; i < c + get32(b, c); i++) b[i] >>= 2;
    }
    at += get32(flc, at);
  }
  put16(b, 6, frames);
  Bytes stored(320 * 200);
  for (size_t i = 0; i < stored.size(); i++) stored[i] = uint8_t(i / 320 + i % 7);
  Bytes byteRun;  // rows of three runs
  for (uint8_t y = 0; y < 200; y++) byteRun.insert(byteRun.end(), {0, 127, y, 127, uint8_t(y + 1), 66, 9});
  fli.frame({{13, {}}}).frame({{16, stored}}).frame({{15, byteRun}});
  put16(b, 6, frames + 3);
  put32(b, 80, 0);
  testutil::writeFile(dir.file("all.fli"), b);

  const auto kinds = chunkKinds(b);
  EXPECT_EQ(kinds.size(), frames + 3u);
  expectSameFrames(dir.file("all.fli"), 3);
}

}  // namespace
