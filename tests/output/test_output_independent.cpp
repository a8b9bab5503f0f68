// Files written through OGFile opened by independent readers: GStreamer's
// avidemux (with jpegdec) and flxdec for movies, ImageMagick for the still
// images. Each reader's pixels are compared with what was written; a test
// skips where its reader is not installed.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "output_clip.h"
#include "testutil.h"

namespace {

using outtest::Clip;

bool succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool haveGStreamer(const char* element) {
  return succeeds("command -v gst-launch-1.0") && succeeds(std::string("gst-inspect-1.0 ") + element);
}

// Width 32 makes BGR rows without padding in GStreamer's raw video.
Clip independentClip(bool trueColor) {
  Clip c;
  c.width = 32, c.height = 24, c.frames = 4, c.trueColor = trueColor;
  c.paletteChanges = false;  // GStreamer's demuxer passes palette change chunks by
  return c;
}

std::vector<uint8_t> allFrames(const Clip& c) {
  std::vector<uint8_t> all;
  for (int f = 0; f < c.frames; ++f) {
    const std::vector<uint8_t> one = c.expectedBgr(f);
    all.insert(all.end(), one.begin(), one.end());
  }
  return all;
}

struct Movie {
  const char* label;
  const char* ext;
  bool trueColor;
  uint32_t flags;
  const char* decoder;  // GStreamer elements after filesrc
  double minPsnr;       // 0: identical
};

const Movie kMovies[] = {
    {"avi8", "avi", false, 0, "avidemux", 0},
    {"avi24", "avi", true, 0, "avidemux", 0},
    {"avi24_mjpeg", "avi", true, OGFILE_MJPEG, "avidemux ! jpegdec", 34},
    {"flc8", "flc", false, 0, "flxdec", 0},
};

class OutputGStreamer : public ::testing::TestWithParam<Movie> {};

TEST_P(OutputGStreamer, DecodesEveryFrame) {
  const Movie& m = GetParam();
  const std::string elements = std::string(m.decoder) + " ! videoconvert";
  for (size_t at = 0; at < elements.size();) {
    const size_t end = std::min(elements.find(" ! ", at), elements.size());
    const std::string element = elements.substr(at, end - at);
    if (!haveGStreamer(element.c_str())) GTEST_SKIP() << "GStreamer's " << element << " is not installed";
    at = end + 3;
  }
  testutil::TempDir dir;
  Clip c = independentClip(m.trueColor);
  c.flags |= m.flags;
  c.blocky = true;  // byte runs: the FLIC decoder draws no stored pixels
  const std::string name = dir.file(std::string("clip.") + m.ext), raw = dir.file("frames.bgr");
  ASSERT_GT(outtest::writeClip(c, name), 0u);
  const std::string pipeline = "timeout 120 gst-launch-1.0 -q filesrc blocksize=512 location=" + name + " ! " + m.decoder +
                               " ! videoconvert ! video/x-raw,format=BGR ! filesink location=" + raw;
  ASSERT_TRUE(succeeds(pipeline)) << pipeline;
  std::vector<uint8_t> got = testutil::readFile(raw);
  const std::vector<uint8_t> want = allFrames(c);
  ASSERT_GE(got.size(), want.size());
  got.resize(want.size());  // a FLIC decoder may show the ring frame too
  if (m.minPsnr == 0)
    EXPECT_EQ(got, want);
  else
    EXPECT_GE(outtest::psnr(got, want), m.minPsnr);
}

INSTANTIATE_TEST_SUITE_P(Movies, OutputGStreamer, ::testing::ValuesIn(kMovies),
                         [](const ::testing::TestParamInfo<Movie>& i) { return std::string(i.param.label); });

TEST(OutputGStreamer, AviSoundTrackDemuxesWhole) {
  if (!haveGStreamer("avidemux")) GTEST_SKIP() << "GStreamer's avidemux is not installed";
  testutil::TempDir dir;
  Clip c = independentClip(true);
  c.frames = 20;
  const std::string name = dir.file("talk.avi"), pcm = dir.file("sound.pcm");
  OGFile* og = outtest::create(c, name);
  ASSERT_NE(og, nullptr);
  std::vector<uint8_t> sound;
  for (int f = 0; f < c.frames; ++f) {
    std::vector<uint8_t> block(OGFilePutSoundAmount(og, 11025, 8, 2));
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t((sound.size() + i) * 5);
    OGFilePutSound(og, block.data(), uint32_t(block.size()));
    sound.insert(sound.end(), block.begin(), block.end());
    OGFilePut(og, c.pixels(f).data(), nullptr);
  }
  ASSERT_GT(OGFileClose(og), 0u);
  const std::string pipeline =
      "timeout 120 gst-launch-1.0 -q filesrc location=" + name + " ! avidemux name=d d.audio_0 ! queue ! filesink location=" + pcm;
  ASSERT_TRUE(succeeds(pipeline)) << pipeline;
  EXPECT_EQ(testutil::readFile(pcm), sound);
}

// ImageMagick reads every still format; its bgr: output gives the pixels.
class OutputImageMagick : public ::testing::TestWithParam<const char*> {};

TEST_P(OutputImageMagick, ReadsEveryImage) {
  if (!succeeds("test -x /usr/bin/convert")) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string kind = GetParam();
  const std::string ext = kind.substr(0, 3);
  testutil::TempDir dir;
  Clip c = independentClip(kind.back() == '4');
  ASSERT_GT(outtest::writeClip(c, dir.file("pic." + ext)), 0u);
  for (int f = 0; f < c.frames; ++f) {
    const std::string image = dir.file("pic" + std::to_string(f) + "." + ext), raw = dir.file("pixels.bgr");
    ASSERT_TRUE(succeeds("/usr/bin/convert " + image + " -auto-orient -depth 8 bgr:" + raw)) << image;
    const std::vector<uint8_t> got = testutil::readFile(raw), want = c.expectedBgr(f);
    if (ext == "jpg")
      EXPECT_GE(outtest::psnr(got, want), 38) << image;
    else
      EXPECT_EQ(got, want) << image;
  }
}

INSTANTIATE_TEST_SUITE_P(Stills, OutputImageMagick,
                         ::testing::Values("bmp8", "bmp24", "png8", "png24", "tif8", "tif24", "tga8", "tga24", "pcx8",
                                           "gif8", "jpg8", "jpg24"));

}  // namespace
