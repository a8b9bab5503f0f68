// The child roles on small clips: what the Zurn and motion-JPEG encoders
// write decodes back to planes close to the input, in the right order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "child_roles.h"
#include "jpeg_planes.h"
#include "media_readers.h"
#include "quality.h"
#include "testutil.h"
#include "zurn_file.h"

namespace zb = zurnbench;

namespace {

// Runs a role as "zurnbench child ROLE args...".
int runRole(int (*role)(const zb::Args&), std::vector<std::string> args) {
  args.insert(args.begin(), {"zurnbench", "child", "role"});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return role(zb::Args(int(argv.size()), argv.data(), 3, {}));
}

// A smooth picture that moves, with red, green and blue varying apart so
// that Cb and Cr differ.
std::vector<uint8_t> movingPixels(int w, int h, int frame) {
  std::vector<uint8_t> px(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = px.data() + (size_t(y) * w + x) * 4;
      p[0] = uint8_t(60 + 2 * x + frame);
      p[1] = uint8_t(40 + 3 * y);
      p[2] = uint8_t(200 - x - y);
    }
  return px;
}

}  // namespace

TEST(Roles, ZurnVideoRoundTripGivesThePlanesBackInOrder) {
  testutil::TempDir dir;
  const int w = 48, h = 32, frames = 3;
  std::vector<zb::YuvFrame> planes;
  {
    std::FILE* f = std::fopen(dir.file("in.rgbx").c_str(), "wb");
    for (int i = 0; i < frames; ++i) {
      const auto px = movingPixels(w, h, i);
      std::fwrite(px.data(), 1, px.size(), f);
      planes.push_back(zb::planesFromPixels(px.data(), w, h));
    }
    std::fclose(f);
  }
  ASSERT_EQ(runRole(zb::zurnEncodeRole, {"--in", dir.file("in.rgbx"), "--width", "48", "--height", "32", "--frames",
                                         "3", "--fps", "15", "--rate", "200000", "--window", "2", "--out",
                                         dir.file("c.zrn")}),
            0);
  ASSERT_EQ(runRole(zb::zurnDecodeRole, {"--in", dir.file("c.zrn"), "--mode", "planes", "--out", dir.file("c.i420")}),
            0);
  std::vector<zb::YuvFrame> decoded;
  std::string error;
  ASSERT_TRUE(zb::readI420(dir.file("c.i420"), w, h, decoded, error)) << error;
  ASSERT_EQ(decoded.size(), size_t(frames));
  zb::ClipQuality q;
  for (int i = 0; i < frames; ++i) ASSERT_TRUE(q.add(planes[size_t(i)], decoded[size_t(i)]));
  // A swap of Cb and Cr, or of frames, would cost far more than coding does.
  EXPECT_GT(q.psnrY(), 30);
  EXPECT_GT(q.psnrCb(), 30);
  EXPECT_GT(q.psnrCr(), 30);
  EXPECT_EQ(runRole(zb::zurnDecodeRole, {"--in", dir.file("c.zrn"), "--mode", "blit32"}), 0);
  EXPECT_NE(runRole(zb::zurnDecodeRole, {"--in", dir.file("absent.zrn")}), 0);
  EXPECT_NE(runRole(zb::zurnEncodeRole, {"--in", dir.file("in.rgbx"), "--width", "48", "--height", "32", "--frames",
                                         "4", "--fps", "15", "--rate", "200000", "--out", dir.file("d.zrn")}),
            0);  // the input holds only 3 frames
}

TEST(Roles, MjpegRoundTrip) {
  testutil::TempDir dir;
  std::vector<zb::YuvFrame> planes;
  for (int i = 0; i < 2; ++i) planes.push_back(zb::planesFromPixels(movingPixels(40, 24, i).data(), 40, 24));
  ASSERT_TRUE(zb::writeY4m(dir.file("c.y4m"), planes, 15, 1));
  ASSERT_EQ(runRole(zb::mjpegEncodeRole, {"--in", dir.file("c.y4m"), "--quality", "90", "--out", dir.file("c.mjpg")}),
            0);
  ASSERT_EQ(runRole(zb::mjpegDecodeRole, {"--in", dir.file("c.mjpg"), "--mode", "planes", "--out", dir.file("c.i420")}),
            0);
  std::vector<zb::YuvFrame> decoded;
  std::string error;
  ASSERT_TRUE(zb::readI420(dir.file("c.i420"), 40, 24, decoded, error)) << error;
  ASSERT_EQ(decoded.size(), 2u);
  zb::ClipQuality q;
  for (size_t i = 0; i < 2; ++i) ASSERT_TRUE(q.add(planes[i], decoded[i]));
  EXPECT_GT(q.psnrY(), 35);
  EXPECT_NE(runRole(zb::mjpegEncodeRole, {"--in", dir.file("c.y4m"), "--quality", "0", "--out", dir.file("x")}), 0);
}

TEST(Roles, ZurnSoundRoundTrip) {
  testutil::TempDir dir;
  zb::Sound tone;
  tone.rate = 11025;
  tone.channels = 1;
  tone.bits = 16;
  for (int i = 0; i < 11025 / 2; ++i) tone.samples.push_back(int16_t(8000 * std::sin(i * 2 * M_PI * 440 / 11025)));
  ASSERT_TRUE(zb::writeWave(dir.file("t.wav"), tone));
  ASSERT_EQ(runRole(zb::zurnSoundEncodeRole, {"--in", dir.file("t.wav"), "--option", "0", "--out", dir.file("t.zrn")}),
            0);
  ASSERT_EQ(runRole(zb::zurnSoundDecodeRole, {"--in", dir.file("t.zrn"), "--out", dir.file("d.wav")}), 0);
  uint64_t bytes = 0;
  std::string error;
  ASSERT_TRUE(zb::zurnSoundBytes(testutil::readFile(dir.file("t.zrn")), bytes, error)) << error;
  EXPECT_GT(bytes, 100u);
  zb::Sound decoded;
  ASSERT_TRUE(zb::readWave(dir.file("d.wav"), decoded, error)) << error;
  EXPECT_EQ(decoded.rate, 11025);
  EXPECT_GE(decoded.samples.size(), tone.samples.size());
  const zb::SoundFidelity f = zb::measureSound(tone.samples, decoded.samples, 1, 64);
  EXPECT_EQ(f.lag, 0);
  EXPECT_GT(f.snrDb, 10);
}
