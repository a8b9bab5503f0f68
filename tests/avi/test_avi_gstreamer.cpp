// Files from the writer checked by an independent reader: GStreamer's
// discoverer reports the streams, and an avidemux pipeline decodes every
// frame and sound sample, which must match what was written. Skipped where
// GStreamer is not installed.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "clip.h"
#include "testutil.h"

namespace {

using avitest::Clip;

bool haveGStreamer() {
  return std::system("command -v gst-launch-1.0 >/dev/null 2>&1 && command -v gst-discoverer-1.0 >/dev/null 2>&1 "
                     "&& gst-inspect-1.0 avidemux >/dev/null 2>&1 && gst-inspect-1.0 jpegdec >/dev/null 2>&1") == 0;
}

std::string run(const std::string& command, const std::string& outputFile) {
  if (std::system((command + " >" + outputFile + " 2>&1").c_str()) != 0) return "";
  std::ifstream in(outputFile);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Independent {
  const char* name;
  Clip clip;
  double minPsnr;
};

Clip clip(int bits, bool mjpeg, int soundBits, int channels, uint32_t limit = 0) {
  Clip c;
  c.bits = bits, c.mjpeg = mjpeg, c.soundBits = soundBits, c.soundChannels = channels, c.segmentLimit = limit;
  if (limit) c.frames = 40;
  return c;
}

const Independent kFiles[] = {
    {"raw24_pcm16_stereo", clip(24, false, 16, 2), 0},
    {"raw8_pcm8_mono", clip(8, false, 8, 1), 0},
    {"mjpeg_pcm16_mono", clip(24, true, 16, 1), 38},
    {"raw24_segments", clip(24, false, 16, 2, 256 * 1024), 0},
    {"mjpeg_segments", clip(24, true, 16, 2, 64 * 1024), 38},
};

class AviGStreamer : public ::testing::TestWithParam<Independent> {};

TEST_P(AviGStreamer, ReadsOurFilesWhole) {
  if (!haveGStreamer()) GTEST_SKIP() << "GStreamer with avidemux and jpegdec is not installed";
  const Independent& t = GetParam();
  const Clip& c = t.clip;
  testutil::TempDir dir;
  const std::string avi = dir.file("clip.avi"), video = dir.file("video.bgr"), sound = dir.file("sound.pcm");
  ASSERT_TRUE(avitest::writeClip(c, avi));

  std::string info = run("gst-discoverer-1.0 " + avi, dir.file("info.txt"));
  EXPECT_NE(info.find("Width: " + std::to_string(c.width)), std::string::npos) << info;
  EXPECT_NE(info.find("Height: " + std::to_string(c.height)), std::string::npos) << info;
  EXPECT_NE(info.find("Frame rate: 15/1"), std::string::npos) << info;
  if (c.soundBits) {
    EXPECT_NE(info.find("Sample rate: " + std::to_string(c.soundRate)), std::string::npos) << info;
    EXPECT_NE(info.find("Channels: " + std::to_string(c.soundChannels)), std::string::npos) << info;
  }

  // Width 160 makes BGR rows without padding.
  std::string pipeline = "gst-launch-1.0 -q filesrc location=" + avi + " ! avidemux name=d d.video_0 ! queue ! " +
                         (c.mjpeg ? "jpegdec ! " : "") +
                         "videoconvert ! video/x-raw,format=BGR ! filesink location=" + video;
  if (c.soundBits) pipeline += " d.audio_0 ! queue ! filesink location=" + sound;
  ASSERT_EQ(run(pipeline, dir.file("log.txt")), "");

  std::vector<uint8_t> frames = testutil::readFile(video);
  const size_t frameBytes = size_t(c.width) * c.height * 3;
  ASSERT_EQ(frames.size(), frameBytes * c.frames);
  double sum = 0;
  for (int i = 0; i < c.frames; ++i) {
    std::vector<uint8_t> want = avitest::colours(c, i);
    for (size_t k = 0; k < frameBytes; ++k) {
      double d = double(frames[i * frameBytes + k]) - want[k];
      sum += d * d;
    }
  }
  if (t.minPsnr == 0) EXPECT_EQ(sum, 0);
  else EXPECT_GE(10 * std::log10(255.0 * 255.0 * frames.size() / sum), t.minPsnr);
  if (c.soundBits) EXPECT_EQ(testutil::readFile(sound), avitest::sound(c));
}

INSTANTIATE_TEST_SUITE_P(Clips, AviGStreamer, ::testing::ValuesIn(kFiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
