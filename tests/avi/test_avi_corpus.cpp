// The corpus AVI files through the reader: stream layout, rates, counts,
// sound format, and frames against the PNG pictures they were made from.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "media/avi_file.h"
#include "common/png_sequence.h"
#include "testutil.h"

namespace {

using namespace tol;

struct CorpusCase {
  const char* file;
  const char* frames;  // printf pattern of the source PNGs
  int width, height, rate, frameCount;
  uint32_t handler;
  int soundRate, soundChannels, soundLength;
  double minPsnr;  // 0: frames must be equal
  const char* soundSource;  // GStreamer pipeline that made the sound, without its sink
};

// PSNR of a bottom-up 24-bit DIB against a top-down RGB frame (or infinity).
double psnr(const BitmapInfoHeader* h, const tolapp::RgbFrame& png) {
  const auto* pixels = reinterpret_cast<const uint8_t*>(h + 1);
  size_t stride = (size_t(h->width) * 3 + 3) & ~size_t(3);
  double sum = 0;
  for (int y = 0; y < png.height; ++y) {
    const uint8_t* row = pixels + size_t(png.height - 1 - y) * stride;
    for (int x = 0; x < png.width; ++x)
      for (int c = 0; c < 3; ++c) {
        double d = double(row[3 * x + 2 - c]) - png.pixels[size_t(y * png.width + x) * 4 + c];
        sum += d * d;
      }
  }
  if (sum == 0) return INFINITY;
  return 10 * std::log10(255.0 * 255.0 * 3 * png.width * png.height / sum);
}

class AviCorpus : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(AviCorpus, OpensAndDecodesLikeItsSource) {
  const CorpusCase& c = GetParam();
  TOL_REQUIRE_FILE(path, testutil::corpusFile(c.file));
  AVIFile* file = AVIFileOpenRead(path.c_str());
  ASSERT_NE(file, nullptr);
  AVIFileInfo fi;
  ASSERT_EQ(AVIFileGetInfo(file, &fi), kAVIErrOK);
  EXPECT_EQ(fi.streams, 2u);
  EXPECT_EQ(fi.width, uint32_t(c.width));
  EXPECT_EQ(fi.height, uint32_t(c.height));

  AVIStream* video = AVIFileGetStream(file, kStreamTypeVideo, 0);
  AVIStream* audio = AVIFileGetStream(file, kStreamTypeAudio, 0);
  ASSERT_NE(video, nullptr);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(AVIFileGetStream(file, kStreamTypeVideo, 1), nullptr);
  AVIFileRelease(file);  // the streams keep it open

  AVIStreamInfo vi;
  ASSERT_EQ(AVIStreamGetInfo(video, &vi), kAVIErrOK);
  EXPECT_EQ(vi.fccHandler, c.handler);
  EXPECT_EQ(vi.rate / vi.scale, uint32_t(c.rate));
  EXPECT_EQ(vi.rate % vi.scale, 0u);
  EXPECT_EQ(vi.length, uint32_t(c.frameCount));
  EXPECT_EQ(vi.frame.right, c.width);
  EXPECT_EQ(vi.frame.bottom, c.height);

  AVIStreamInfo ai;
  ASSERT_EQ(AVIStreamGetInfo(audio, &ai), kAVIErrOK);
  EXPECT_EQ(int(ai.length), c.soundLength);
  WaveFormat wf{};
  int32_t size = 0;
  ASSERT_EQ(AVIStreamReadFormat(audio, 0, nullptr, &size), kAVIErrOK);
  EXPECT_GE(size, 16);
  size = sizeof wf;
  ASSERT_EQ(AVIStreamReadFormat(audio, 0, &wf, &size), kAVIErrOK);
  EXPECT_EQ(wf.formatTag, 1);
  EXPECT_EQ(int(wf.samplesPerSec), c.soundRate);
  EXPECT_EQ(int(wf.channels), c.soundChannels);
  EXPECT_EQ(wf.bitsPerSample, 16);
  EXPECT_EQ(ai.sampleSize, wf.blockAlign);

  AVIGetFrame* getter = AVIStreamGetFrameOpen(video, nullptr);
  ASSERT_NE(getter, nullptr);
  for (int i = 0; i < c.frameCount; ++i) {
    SCOPED_TRACE(i);
    int32_t bytes = 0;
    ASSERT_EQ(AVIStreamRead(video, AVIStreamStart(video) + i, 1, nullptr, 0, &bytes, nullptr), kAVIErrOK);
    EXPECT_GT(bytes, 0);
    const BitmapInfoHeader* h = AVIStreamGetFrame(getter, AVIStreamStart(video) + i);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(h->bitCount, 24);
    ASSERT_EQ(h->width, c.width);
    ASSERT_EQ(h->height, c.height);
    char name[256];
    std::snprintf(name, sizeof name, c.frames, i);
    TOL_REQUIRE_FILE(png, testutil::corpusFile(name));
    tolapp::RgbFrame frame;
    std::string error;
    ASSERT_TRUE(tolapp::readPng(png, frame, error)) << error;
    double p = psnr(h, frame);
    if (c.minPsnr == 0) EXPECT_TRUE(std::isinf(p)) << p;
    else EXPECT_GE(p, c.minPsnr);
  }
  EXPECT_EQ(AVIStreamGetFrame(getter, AVIStreamStart(video) + c.frameCount), nullptr);
  AVIStreamGetFrameClose(getter);
  AVIStreamRelease(video);
  AVIStreamRelease(audio);
}

// The sound equals the samples of the pipeline that made it, made again.
TEST_P(AviCorpus, SoundEqualsItsSource) {
  const CorpusCase& c = GetParam();
  TOL_REQUIRE_FILE(path, testutil::corpusFile(c.file));
  if (std::system("command -v gst-launch-1.0 >/dev/null 2>&1") != 0) GTEST_SKIP() << "GStreamer is not installed";
  testutil::TempDir dir;
  const std::string source = dir.file("source.pcm");
  ASSERT_EQ(std::system(("gst-launch-1.0 -q " + std::string(c.soundSource) + " ! filesink location=" + source +
                         " >/dev/null 2>&1").c_str()),
            0);
  const std::vector<uint8_t> want = testutil::readFile(source);

  AVIStream* audio = AVIStreamOpenFromFile(path.c_str(), kStreamTypeAudio, 0);
  ASSERT_NE(audio, nullptr);
  int32_t bytes = 0, samples = 0;
  ASSERT_EQ(AVIStreamRead(audio, 0, AVIStreamLength(audio), nullptr, 0, &bytes, &samples), kAVIErrOK);
  EXPECT_EQ(samples, AVIStreamLength(audio));
  std::vector<uint8_t> got(static_cast<size_t>(bytes));
  ASSERT_EQ(AVIStreamRead(audio, 0, samples, got.data(), bytes, &bytes, &samples), kAVIErrOK);
  EXPECT_EQ(size_t(bytes), got.size());
  EXPECT_EQ(got, want);
  AVIStreamRelease(audio);
}

INSTANTIATE_TEST_SUITE_P(
    Files, AviCorpus,
    ::testing::Values(CorpusCase{"avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi",
                                 "seq/path_pan_320x240/pathpan%04d.png", 320, 240, 15, 30, 0, 22050, 2, 44100, 0,
                                 "audiotestsrc wave=sine freq=440 volume=0.4 samplesperbuffer=1470 num-buffers=30 ! "
                                 "audioconvert dithering=none noise-shaping=none ! "
                                 "audio/x-raw,format=S16LE,rate=22050,channels=2,layout=interleaved"},
                      CorpusCase{"avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi",
                                 "seq/leaf_zoom_640x480/leafzoom%04d.png", 640, 480, 25, 30, kFourCCMJPG, 44100,
                                 1, 52920, 46.6,
                                 "audiotestsrc wave=sine freq=330 volume=0.4 samplesperbuffer=1764 num-buffers=30 ! "
                                 "audioconvert dithering=none noise-shaping=none ! "
                                 "audio/x-raw,format=S16LE,rate=44100,channels=1,layout=interleaved"}));

}  // namespace
