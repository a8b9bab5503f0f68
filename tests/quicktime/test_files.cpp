// Movies made by others: the corpus movie against the pictures and the sound
// it was made from, and movies written by GStreamer's muxer in the test
// against GStreamer's own reading of them (skipped without GStreamer).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "picture_codecs.h"
#include "testutil.h"
#include "tol/quicktime.h"

namespace {

constexpr const char* kGstLaunch = "/usr/bin/gst-launch-1.0";

bool haveGst() { return std::system((std::string("test -x ") + kGstLaunch).c_str()) == 0; }

bool runGst(const std::string& pipeline) {
  const std::string command = std::string(kGstLaunch) + " -q " + pipeline + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Sound delivered by the reader from its start, totalBytes of it.
std::vector<uint8_t> allSound(QTSFile* s) {
  std::vector<uint8_t> all(s->totalBytes);
  size_t got = 0;
  while (got < all.size()) {
    const uint32_t n = QTSFileGet(s, all.data() + got, uint32_t(std::min<size_t>(all.size() - got, 10000)));
    if (n == 16 && got + 16 > all.size()) break;
    got += n;
  }
  all.resize(got);
  return all;
}

TEST(QuickTimeFiles, CorpusMovieMatchesItsSources) {
  TOL_REQUIRE_FILE(movie, testutil::corpusFile("mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov"));
  QTFile* q = QTFileOpen(movie.c_str());
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->width, 100);
  EXPECT_EQ(q->height, 60);
  EXPECT_EQ(q->bitsPerPixel, 24);
  EXPECT_EQ(q->pitch, 300);
  EXPECT_EQ(q->frameCount, 30);
  EXPECT_EQ(q->rateNum, 60000);  // 30 samples * time scale 2000 over duration 6000: 10 frames a second
  EXPECT_EQ(q->rateDen, 6000);
  EXPECT_EQ(q->hasSound, 1);
  for (int f = 0; f < 30; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "seq/leaf_pan_100x60/leafsmall%04d.png", f);
    int w = 0, h = 0;
    const std::vector<uint8_t> png = qttest::readPngBgr(testutil::corpusFile(name), w, h);
    ASSERT_EQ(png.size(), 100u * 60 * 3) << name;
    ASSERT_EQ(QTFileGet(q), 0);
    EXPECT_EQ(q->frameBytes, 18000);
    for (int y = 0; y < 60; ++y)
      ASSERT_EQ(0, std::memcmp(q->pixels + y * q->pitch, png.data() + y * 300, 300)) << name << " row " << y;
  }
  QTFileClose(q);

  QTSFile* s = QTSFileOpen(movie.c_str(), 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->rate, 22050);
  EXPECT_EQ(s->bits, 16);
  EXPECT_EQ(s->channels, 2);
  EXPECT_EQ(s->bytesPerSampleFrame, 4);
  EXPECT_EQ(s->totalBytes, 66150u * 4);
  EXPECT_EQ(s->videoRateNum, 60000);
  EXPECT_EQ(s->videoRateDen, 6000);
  const std::vector<uint8_t> sound = allSound(s);
  ASSERT_EQ(sound.size(), 66150u * 4);
  QTSFileClose(s);

  // The ticks (a burst once a second) begin at 0.9 s, 1.9 s and 2.9 s.
  auto loud = [&](size_t frame) {
    const int16_t left = int16_t(sound[frame * 4] | sound[frame * 4 + 1] << 8);
    return std::abs(int(left)) > 1000;
  };
  size_t firstLoud = 0;
  while (firstLoud < 66150 && !loud(firstLoud)) ++firstLoud;
  EXPECT_NEAR(double(firstLoud) / 22050, 0.9, 0.002);

  // The sound the movie was made from, made again the same way.
  if (!haveGst()) GTEST_SKIP() << "GStreamer not installed";
  testutil::TempDir dir;
  const std::string raw = dir.file("ticks.raw");
  ASSERT_TRUE(runGst("audiotestsrc wave=ticks freq=1000 volume=0.5 samplesperbuffer=2205 num-buffers=30 ! "
                     "audioconvert dithering=none noise-shaping=none ! "
                     "audio/x-raw,format=S16LE,rate=22050,channels=2,layout=interleaved ! filesink location=" + raw));
  EXPECT_TRUE(sound == testutil::readFile(raw));
}

struct MuxCase {
  std::string name;
  std::string videoEncoder;  // between the caps and the muxer; empty: raw RGB
  std::string videoDecoder;  // after the demuxer
  int tolerance;
  std::string audioFormat;   // GStreamer's name
  int channels;
  int bits;                  // as the reader delivers
  std::string deliveredFormat;
  std::string muxOptions = "";  // e.g. the movie box first
};

TEST(QuickTimeFiles, MoviesWrittenByAnotherMuxer) {
  if (!haveGst()) GTEST_SKIP() << "GStreamer not installed";
  const std::vector<MuxCase> cases = {
      {"raw_sowt", "", "", 0, "S16LE", 2, 16, "S16LE"},
      {"jpeg_twos_movie_first", "jpegenc quality=95 !", "jpegdec !", 24, "S16BE", 1, 16, "S16LE", "faststart=true"},
      {"png_raw8", "pngenc !", "pngdec !", 0, "U8", 1, 8, "U8"},
      {"raw_twos8", "", "", 0, "S8", 2, 8, "U8"},
      {"raw_sowt24", "", "", 0, "S24LE", 2, 16, "S16LE"},
      {"png_twos32", "pngenc !", "pngdec !", 0, "S32BE", 1, 16, "S16LE"},
  };
  const int w = 64, h = 48, frames = 6;
  for (const MuxCase& c : cases) {
    SCOPED_TRACE(c.name);
    testutil::TempDir dir;
    const std::string movie = dir.file("m.mov"), pictures = dir.file("p.raw"), sound = dir.file("s.raw");
    const std::string audioCaps = "audio/x-raw,format=" + c.audioFormat + ",rate=11025,channels=" +
                                  std::to_string(c.channels) + ",layout=interleaved";
    const std::string tone = "audiotestsrc wave=sine num-buffers=5 samplesperbuffer=1000 ! "
                             "audioconvert dithering=none noise-shaping=none ! " + audioCaps;
    ASSERT_TRUE(runGst("-e qtmux name=mux " + c.muxOptions + " ! filesink location=" + movie + " videotestsrc pattern=ball num-buffers=" +
                       std::to_string(frames) + " ! video/x-raw,format=RGB,width=" + std::to_string(w) +
                       ",height=" + std::to_string(h) + ",framerate=10/1 ! " + c.videoEncoder +
                       " queue ! mux.video_0 " + tone + " ! queue ! mux.audio_0"));
    // The pictures as GStreamer reads them back; the sound as it went in.
    ASSERT_TRUE(runGst("filesrc location=" + movie + " ! qtdemux name=d d.video_0 ! queue ! " + c.videoDecoder +
                       " videoconvert ! video/x-raw,format=BGR ! filesink location=" + pictures +
                       " d.audio_0 ! queue ! fakesink"));
    ASSERT_TRUE(runGst(tone + " ! audioconvert dithering=none noise-shaping=none ! audio/x-raw,format=" +
                       c.deliveredFormat + " ! filesink location=" + sound));
    const std::vector<uint8_t> reference = testutil::readFile(pictures);
    ASSERT_EQ(reference.size(), size_t(w) * h * 3 * frames);

    QTFile* q = QTFileOpen(movie.c_str());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->width, w);
    EXPECT_EQ(q->height, h);
    EXPECT_EQ(q->bitsPerPixel, 24);
    EXPECT_EQ(q->frameCount, frames);
    EXPECT_NEAR(double(q->rateNum) / q->rateDen, 10.0, 0.01);
    EXPECT_EQ(q->hasSound, 1);
    for (int f = 0; f < frames; ++f) {
      ASSERT_EQ(QTFileGet(q), 0) << "frame " << f;
      int worst = 0;
      for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * 3; ++i)
          worst = std::max(worst, std::abs(int(q->pixels[y * q->pitch + i]) -
                                           int(reference[(size_t(f) * h + y) * w * 3 + i])));
      EXPECT_LE(worst, c.tolerance) << "frame " << f;
    }
    QTFileClose(q);

    QTSFile* s = QTSFileOpen(movie.c_str(), 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->rate, 11025);
    EXPECT_EQ(s->bits, c.bits);
    EXPECT_EQ(s->channels, c.channels);
    EXPECT_EQ(s->totalBytes, 5000u * c.channels * c.bits / 8);
    EXPECT_TRUE(allSound(s) == testutil::readFile(sound));
    QTSFileClose(s);
  }
}

}  // namespace
