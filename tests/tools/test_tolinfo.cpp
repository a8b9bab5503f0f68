// The information tool: the corpus files as their manifest describes them,
// a Zurn file as the compressor made it, and the JSON it writes.
#include <gtest/gtest.h>

#include "run_program.h"
#include "testutil.h"
#include "tolinfo/file_info.h"

namespace {

TEST(TolInfo, CorpusFilesAgreeWithTheirManifest) {
  struct Case {
    const char* file;
    int32_t width, height, frames, rateNum, rateDen;
    int32_t soundRate, soundBits, soundChannels;  // soundRate 0: no sound
  };
  const Case cases[] = {
      {"avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi", 640, 480, 30, 25, 1, 44100, 16, 1},
      {"avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi", 320, 240, 30, 15, 1, 22050, 16, 2},
      {"mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov", 100, 60, 30, 10, 1, 22050, 16, 2},
      {"audio/speech_16bit_mono_22050.wav", 0, 0, 0, 0, 1, 22050, 16, 1},
      {"audio/chord_8bit_mono_11025.wav", 0, 0, 0, 0, 1, 11025, 8, 1},
      {"stills/leaf_100x60.gif", 100, 60, 1, 15, 1, 0, 0, 0},
      {"stills/leaf_100x60.tga", 100, 60, 1, 15, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TOL_REQUIRE_FILE(name, testutil::corpusFile(c.file));
    tolinfo::FileInfo info;
    std::string error;
    ASSERT_TRUE(tolinfo::gatherFileInfo(name, info, error)) << c.file << ": " << error;
    EXPECT_EQ(info.width, c.width) << c.file;
    EXPECT_EQ(info.height, c.height) << c.file;
    EXPECT_EQ(info.frames, c.frames) << c.file;
    EXPECT_EQ(info.rateNum, c.rateNum) << c.file;
    EXPECT_EQ(info.rateDen, c.rateDen) << c.file;
    EXPECT_EQ(info.size, testutil::readFile(name).size()) << c.file;
    ASSERT_EQ(info.tracks.size(), c.soundRate ? 1u : 0u) << c.file;
    if (c.soundRate) {
      EXPECT_EQ(info.tracks[0].rate, c.soundRate) << c.file;
      EXPECT_EQ(info.tracks[0].bits, c.soundBits) << c.file;
      EXPECT_EQ(info.tracks[0].channels, c.soundChannels) << c.file;
    }
    if (c.frames) {
      EXPECT_GT(info.largestFrame, 0u) << c.file;
      EXPECT_GE(info.peakSecondBytes, info.largestFrame) << c.file;
    }
  }
}

TEST(TolInfo, ZurnFileFromTheCompressorAsJson) {
  testutil::TempDir dir;
  ASSERT_EQ(runIn(dir.path().string(), {TOL_ZURNSAMPLE, "clip", "/N20", "/W64", "/H48", "/R11025"}).code, 0);
  const Outcome z = runIn(dir.path().string(), {TOL_ZURN, "clip/frame????.png", "c.zrn", "clip/sound.wav", "/F10", "/K5", "/O"});
  ASSERT_EQ(z.code, 0) << z.err;
  const Outcome r = runIn(dir.path().string(), {TOL_TOLINFO, "--json", dir.file("c.zrn")});
  ASSERT_EQ(r.code, 0) << r.err;
  for (const char* part : {"c.zrn\", \"kind\": \"Zurn\", \"kindCode\": 131", "\"width\": 64, \"height\": 48, \"frames\": 20",
                           "\"rateNumerator\": 10, \"rateDenominator\": 1, \"seconds\": 2.000000, \"keyFrames\": 4",
                           "\"tracks\": [{\"rate\": 11025, \"bits\": 16, \"channels\": 1, \"id\": "})
    EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
  const Outcome bad = runIn(dir.path().string(), {TOL_TOLINFO, dir.file("clip/sound.wav.missing")});
  EXPECT_EQ(bad.code, 1);

  tolinfo::FileInfo odd;
  odd.name = "a\"b\\c\n";
  EXPECT_EQ(tolinfo::infoJson(odd).rfind("{\"file\": \"a\\\"b\\\\c\\u000a\", ", 0), 0u) << tolinfo::infoJson(odd);
}

}  // namespace
