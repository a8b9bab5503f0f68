// Clips written by the writer read back through the reader: stream layout,
// rates, every frame and every sound byte; files past the segment limit
// continue in further RIFF parts and still read back whole.
#include <cmath>
#include <cstring>

#include "clip.h"
#include "testutil.h"

namespace {

using namespace tol;
using avitest::Clip;

struct RoundTrip {
  const char* name;
  Clip clip;
  double minPsnr;  // 0: pixels equal
};

Clip clip(int bits, bool mjpeg, int soundBits, int channels, uint32_t limit = 0, int paletteAt = -1) {
  Clip c;
  c.bits = bits;
  c.mjpeg = mjpeg;
  c.soundBits = soundBits;
  c.soundChannels = channels;
  c.segmentLimit = limit;
  c.paletteChangeAt = paletteAt;
  if (limit) c.frames = 40;  // 2.3 MB of 24-bit pictures
  return c;
}

const RoundTrip kTrips[] = {
    {"raw24_pcm16_stereo", clip(24, false, 16, 2), 0},
    {"raw8_pcm8_mono", clip(8, false, 8, 1), 0},
    {"raw8_palette_change", clip(8, false, 0, 1, 0, 5), 0},
    {"mjpeg_from24_pcm16_mono", clip(24, true, 16, 1), 38},
    {"mjpeg_from8", clip(8, true, 0, 1), 30},
    {"raw24_segments", clip(24, false, 16, 2, 256 * 1024), 0},
    {"mjpeg_segments", clip(24, true, 16, 2, 64 * 1024), 38},
};

class AviRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

double psnrOf(double sumSquares, double samples) {
  return sumSquares == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * samples / sumSquares);
}

TEST_P(AviRoundTrip, ReadsBackWhatWasWritten) {
  const RoundTrip& t = GetParam();
  const Clip& c = t.clip;
  testutil::TempDir dir;
  const std::string name = dir.file("clip.avi");
  ASSERT_TRUE(avitest::writeClip(c, name));

  std::vector<uint8_t> bytes = testutil::readFile(name);
  size_t parts = 0;
  for (size_t i = 0; i + 12 <= bytes.size(); ++i) parts += std::memcmp(&bytes[i], "RIFF", 4) == 0 && std::memcmp(&bytes[i + 8], "AVIX", 4) == 0;
  if (c.segmentLimit) EXPECT_GE(parts, 2u);
  else EXPECT_EQ(parts, 0u);

  AVIFile* file = AVIFileOpenRead(name.c_str());
  ASSERT_NE(file, nullptr);
  AVIFileInfo fi;
  AVIFileGetInfo(file, &fi);
  EXPECT_EQ(fi.streams, c.soundBits ? 2u : 1u);
  EXPECT_EQ(int(fi.width), c.width);
  EXPECT_EQ(int(fi.height), c.height);
  AVIStream* video = AVIFileGetStream(file, kStreamTypeVideo, 0);
  AVIStream* audio = AVIFileGetStream(file, kStreamTypeAudio, 0);
  AVIFileRelease(file);
  ASSERT_NE(video, nullptr);

  AVIStreamInfo vi;
  AVIStreamGetInfo(video, &vi);
  EXPECT_EQ(vi.rate * 1.0 / vi.scale, 15.0);
  EXPECT_EQ(int(vi.length), c.frames);
  EXPECT_EQ(vi.fccHandler, c.mjpeg ? kFourCCMJPG : 0u);
  EXPECT_EQ(vi.frame.right, c.width);
  EXPECT_EQ(vi.frame.bottom, c.height);

  AVIGetFrame* getter = AVIStreamGetFrameOpen(video, nullptr);
  ASSERT_NE(getter, nullptr);
  double sum = 0;
  for (int i = 0; i < c.frames; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(AVIStreamNearestKeyFrame(video, i), i);
    const BitmapInfoHeader* h = AVIStreamGetFrame(getter, i);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(h->width, c.width);
    ASSERT_EQ(h->height, c.height);
    const int outBits = c.mjpeg ? 24 : c.bits;
    ASSERT_EQ(h->bitCount, outBits);
    const auto* table = reinterpret_cast<const uint8_t*>(h + 1);
    const uint8_t* pixels = table + (outBits == 8 ? 1024 : 0);
    const size_t stride = (size_t(c.width) * outBits / 8 + 3) & ~size_t(3);
    if (outBits == 8) {
      EXPECT_EQ(std::vector<uint8_t>(table, table + 1024), avitest::palette(c, i));
      std::vector<uint8_t> p = avitest::picture(c, i);
      for (int y = 0; y < c.height; ++y)
        ASSERT_EQ(std::memcmp(pixels + (c.height - 1 - y) * stride, &p[size_t(y) * c.width], c.width), 0);
      continue;
    }
    const std::vector<uint8_t> want = avitest::colours(c, i);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < 3 * c.width; ++x) {
        double d = double(pixels[(c.height - 1 - y) * stride + x]) - want[size_t(y) * 3 * c.width + x];
        sum += d * d;
      }
  }
  double p = psnrOf(sum, 3.0 * c.width * c.height * c.frames);
  if (t.minPsnr == 0) EXPECT_TRUE(std::isinf(p)) << p;
  else EXPECT_GE(p, t.minPsnr);
  AVIStreamGetFrameClose(getter);

  if (c.paletteChangeAt >= 0) {  // the format block follows the palette too
    std::vector<uint8_t> format(40 + 1024);
    int32_t size = int32_t(format.size());
    ASSERT_EQ(AVIStreamReadFormat(video, c.paletteChangeAt, format.data(), &size), kAVIErrOK);
    EXPECT_EQ(std::vector<uint8_t>(format.begin() + 40, format.end()), avitest::palette(c, c.paletteChangeAt));
  }

  if (c.soundBits) {
    ASSERT_NE(audio, nullptr);
    const std::vector<uint8_t> want = avitest::sound(c);
    const int block = c.soundChannels * c.soundBits / 8;
    EXPECT_EQ(size_t(AVIStreamLength(audio)) * block, want.size());
    std::vector<uint8_t> got;
    std::vector<uint8_t> buffer(1000);  // reads cross chunk boundaries
    for (int pos = 0; pos < AVIStreamLength(audio);) {
      int32_t bytes = 0, samples = 0;
      ASSERT_EQ(AVIStreamRead(audio, pos, 1000, buffer.data(), int32_t(buffer.size()), &bytes, &samples),
                kAVIErrOK);
      ASSERT_GT(samples, 0);
      got.insert(got.end(), buffer.begin(), buffer.begin() + bytes);
      pos += samples;
    }
    EXPECT_EQ(got, want);
  }
  AVIStreamRelease(audio);
  AVIStreamRelease(video);
}

INSTANTIATE_TEST_SUITE_P(Clips, AviRoundTrip, ::testing::ValuesIn(kTrips),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

AVIStreamInfo videoInfo() {
  AVIStreamInfo vi{};
  vi.fccType = kStreamTypeVideo;
  vi.scale = 1;
  vi.rate = 25;
  return vi;
}

BitmapInfoHeader header24(int width, int height) {
  return BitmapInfoHeader{40, width, height, 1, 24, 0, uint32_t(((width * 3 + 3) & ~3) * height), 0, 0, 0, 0};
}

TEST(AviWriter, RefusesWhatItCannotWrite) {
  testutil::TempDir dir;
  AVIFile* file = AVIFileCreate(dir.file("x.avi").c_str());
  ASSERT_NE(file, nullptr);
  AVIStreamInfo vi = videoInfo();
  AVIStream* video = AVIFileCreateStream(file, &vi);
  ASSERT_NE(video, nullptr);
  std::vector<uint8_t> pixels(12 * 4);
  // No format yet; then a format, a frame, and frames before the end.
  EXPECT_EQ(AVIStreamWrite(video, 0, 1, pixels.data(), 48, kAVIKeyFrame, nullptr, nullptr), kAVIErrBadFormat);
  BitmapInfoHeader h = header24(4, 4);
  ASSERT_EQ(AVIStreamSetFormat(video, 0, &h, sizeof h), kAVIErrOK);
  ASSERT_EQ(AVIStreamWrite(video, 0, 1, pixels.data(), 48, kAVIKeyFrame, nullptr, nullptr), kAVIErrOK);
  EXPECT_EQ(AVIStreamWrite(video, 0, 1, pixels.data(), 48, kAVIKeyFrame, nullptr, nullptr), kAVIErrBadParam);
  // A different picture size once frames are written.
  BitmapInfoHeader other = header24(8, 4);
  EXPECT_EQ(AVIStreamSetFormat(video, 1, &other, sizeof other), kAVIErrUnsupported);
  EXPECT_EQ(AVIStreamSetFormat(video, 1, &h, sizeof h), kAVIErrOK);
  // Compression is set up before the first frame only, and only Motion-JPEG.
  AVICompressOptions mjpeg{kStreamTypeVideo, kFourCCMJPG, 5000};
  EXPECT_EQ(AVIMakeCompressedStream(video, &mjpeg), nullptr);
  AVIStreamInfo vi2 = videoInfo();
  AVIStream* second = AVIFileCreateStream(file, &vi2);
  AVICompressOptions other4cc{kStreamTypeVideo, makeFourCC('c', 'v', 'i', 'd'), 5000};
  EXPECT_EQ(AVIMakeCompressedStream(second, &other4cc), nullptr);
  // Frames skipped over are written as dropped frames.
  ASSERT_EQ(AVIStreamSetFormat(second, 0, &h, sizeof h), kAVIErrOK);
  ASSERT_EQ(AVIStreamWrite(second, 2, 1, pixels.data(), 48, kAVIKeyFrame, nullptr, nullptr), kAVIErrOK);
  EXPECT_EQ(AVIStreamLength(second), 3);
  // At most four streams.
  std::vector<AVIStream*> more;
  while (AVIStream* s = AVIFileCreateStream(file, &vi2)) more.push_back(s);
  EXPECT_EQ(more.size(), size_t(kAVIMaxWriteStreams - 2));
  for (AVIStream* s : more) AVIStreamRelease(s);
  AVIStreamRelease(second);
  AVIStreamRelease(video);
  AVIFileRelease(file);

  // What was written reads back: the dropped frames repeat nothing before
  // them, so they are black.
  AVIStream* s = AVIStreamOpenFromFile(dir.file("x.avi").c_str(), kStreamTypeVideo, 1);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(AVIStreamLength(s), 3);
  int32_t bytes = -1;
  ASSERT_EQ(AVIStreamRead(s, 0, 1, nullptr, 0, &bytes, nullptr), kAVIErrOK);
  EXPECT_EQ(bytes, 0);
  AVIStreamRelease(s);
}

TEST(AviWriter, StopsAtTheLastPart) {
  testutil::TempDir dir;
  const std::string name = dir.file("parts.avi");
  AVIFile* file = AVIFileCreate(name.c_str(), kAVIMinSegmentLimit);
  ASSERT_NE(file, nullptr);
  AVIStreamInfo vi = videoInfo();
  AVIStream* video = AVIFileCreateStream(file, &vi);
  BitmapInfoHeader h = header24(160, 120);  // 57600 bytes: one frame a part
  ASSERT_EQ(AVIStreamSetFormat(video, 0, &h, sizeof h), kAVIErrOK);
  std::vector<uint8_t> pixels(h.sizeImage, 0x55);
  int written = 0;
  while (written < 100 &&
         AVIStreamWrite(video, written, 1, pixels.data(), int32_t(pixels.size()), kAVIKeyFrame, nullptr, nullptr) ==
             kAVIErrOK)
    ++written;
  EXPECT_EQ(written, int(kAVIMaxSegments));
  AVIStreamRelease(video);
  AVIFileRelease(file);
  AVIStream* s = AVIStreamOpenFromFile(name.c_str(), kStreamTypeVideo, 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(AVIStreamLength(s), written);
  AVIStreamRelease(s);
}

}  // namespace
