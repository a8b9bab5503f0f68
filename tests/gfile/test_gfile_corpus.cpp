// Every picture file and sequence of the shared corpus through GFileOpen and
// GFileGet in 32-bit mode: kind, type, size, rates and frame counts, and the
// pixels against the pictures the files were made from (decoded outside the
// library); also through a numbered pattern with a range and through a list
// mixing the kinds.
#include <gtest/gtest.h>

#include <unistd.h>

#include "gfile_test_util.h"
#include "reference_pictures.h"

namespace {

using namespace gfiletest;

enum class Reference { PngSequence, ImageMagick, Djpeg, None };

struct CorpusCase {
  const char* what;
  const char* input;  // corpus-relative; a pattern keeps its '?' run
  int32_t kind;
  const char* typeName;
  int32_t width, height, rateNum, rateDen, frames, bits, hasSound;
  Reference reference;
  const char* referenceFiles;  // PNG sequence, printf pattern over the frame number, corpus-relative
  double minPsnr;              // 99: identical
  int32_t referenceFirst = 0;  // number of the reference of the first frame
};

std::string corpusPath(const std::string& rel) {
  std::string dir = testutil::corpusFile("");
  return dir.empty() ? "" : dir + "/" + rel;
}

Picture referenceFrame(const CorpusCase& c, int32_t frame) {
  char rel[256];
  std::snprintf(rel, sizeof rel, c.referenceFiles ? c.referenceFiles : c.input, c.referenceFirst + frame);
  const std::string file = corpusPath(rel);
  switch (c.reference) {
    case Reference::PngSequence: return loadPng(file);
    case Reference::ImageMagick: return loadWithImageMagick(file, c.width, c.height);
    case Reference::Djpeg: return loadWithDjpeg(file, c.width, c.height);
    case Reference::None: break;
  }
  return {};
}

class Corpus : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(Corpus, OpensAndDeliversTheSourcePictures) {
  const CorpusCase& c = GetParam();
  TOL_REQUIRE_FILE(root, testutil::corpusFile("MANIFEST.md"));
  if (c.reference == Reference::ImageMagick && !haveTool("/usr/bin/convert")) GTEST_SKIP() << "no ImageMagick";
  if (c.reference == Reference::Djpeg && !haveTool("/usr/bin/djpeg")) GTEST_SKIP() << "no djpeg";
  GFile* g = open(corpusPath(c.input));
  ASSERT_NE(g, nullptr) << c.what;
  EXPECT_EQ(g->kind, c.kind) << c.what;
  EXPECT_STREQ(g->typeName, c.typeName) << c.what;
  EXPECT_EQ(g->width, c.width);
  EXPECT_EQ(g->height, c.height);
  EXPECT_EQ(g->inputWidth, c.width);
  EXPECT_EQ(g->inputHeight, c.height);
  EXPECT_EQ(g->fileRateNum, c.rateNum);
  EXPECT_EQ(g->fileRateDen, c.rateDen);
  EXPECT_EQ(g->frameCount, c.frames);
  EXPECT_EQ(g->outFrameCount, c.frames);
  EXPECT_EQ(g->bitsPerPixel, c.bits);
  EXPECT_EQ(g->hasSound, c.hasSound);
  EXPECT_GT(g->fileSize, 0u);
  double lowest = 99;
  for (int32_t k = 0; k < g->outFrameCount; ++k) {
    ASSERT_EQ(GFileGet(g), 1);
    if (c.reference == Reference::None) continue;
    Picture ref = referenceFrame(c, k);
    ASSERT_EQ(ref.pixels.size(), size_t(c.width) * c.height) << c.what << " reference of frame " << k;
    double p = psnr(pixels(g), ref.pixels);
    if (p < lowest) lowest = p;
  }
  EXPECT_GE(lowest, c.minPsnr) << c.what;
  if (c.minPsnr < 99) std::printf("%s: lowest PSNR %.2f dB\n", c.what, lowest);
  GFileClose(g);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Corpus,
    ::testing::Values(
        CorpusCase{"forest pan PNG sequence", "seq/path_pan_320x240/pathpan????.png*0-29", GFILE_KIND_LIST, "List",
                   320, 240, 15, 1, 30, 24, 0, Reference::PngSequence, "seq/path_pan_320x240/pathpan%04d.png", 99},
        CorpusCase{"leaf zoom PNG sequence", "seq/leaf_zoom_640x480/leafzoom????.png*0-29", GFILE_KIND_LIST, "List",
                   640, 480, 15, 1, 30, 24, 0, Reference::PngSequence, "seq/leaf_zoom_640x480/leafzoom%04d.png", 99},
        CorpusCase{"odd-size PNG sequence", "seq/leaf_pan_100x60/leafsmall????.png*0-29", GFILE_KIND_LIST, "List",
                   100, 60, 15, 1, 30, 24, 0, Reference::PngSequence, "seq/leaf_pan_100x60/leafsmall%04d.png", 99},
        CorpusCase{"a numbered pattern with a range", "seq/leaf_pan_100x60/leafsmall????.png*5-9", GFILE_KIND_LIST,
                   "List", 100, 60, 15, 1, 5, 24, 0, Reference::PngSequence,
                   "seq/leaf_pan_100x60/leafsmall%04d.png", 99, 5},
        CorpusCase{"ball PNG sequence", "synth/ball_320x240/ball????.png*0-29", GFILE_KIND_LIST, "List", 320, 240,
                   15, 1, 30, 24, 0, Reference::PngSequence, "synth/ball_320x240/ball%04d.png", 99},
        CorpusCase{"JPEG sequence", "seq/boats_pan_jpeg_320x240/boatsjpg????.jpg*0-9", GFILE_KIND_LIST, "List", 320,
                   240, 15, 1, 10, 24, 0, Reference::Djpeg, "seq/boats_pan_jpeg_320x240/boatsjpg%04d.jpg", 40},
        CorpusCase{"uncompressed AVI", "avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi", GFILE_KIND_AVI, "AVI",
                   320, 240, 15, 1, 30, 24, 1, Reference::PngSequence, "seq/path_pan_320x240/pathpan%04d.png", 99},
        CorpusCase{"Motion-JPEG AVI", "avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi", GFILE_KIND_AVI, "AVI", 640,
                   480, 25, 1, 30, 24, 1, Reference::PngSequence, "seq/leaf_zoom_640x480/leafzoom%04d.png", 46.6},
        CorpusCase{"uncompressed QuickTime", "mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov",
                   GFILE_KIND_QUICKTIME, "QuickTime", 100, 60, 10, 1, 30, 24, 1, Reference::PngSequence,
                   "seq/leaf_pan_100x60/leafsmall%04d.png", 99},
        CorpusCase{"BMP still", "stills/leaf_100x60_24bit.bmp", GFILE_KIND_BMP, "BMP still image", 100, 60, 15, 1, 1,
                   24, 0, Reference::ImageMagick, nullptr, 99},
        CorpusCase{"TGA still", "stills/leaf_100x60.tga", GFILE_KIND_TGA, "TGA still image", 100, 60, 15, 1, 1, 24,
                   0, Reference::ImageMagick, nullptr, 99},
        CorpusCase{"GIF still", "stills/leaf_100x60.gif", GFILE_KIND_GIF, "GIF still image", 100, 60, 15, 1, 1, 8,
                   0, Reference::ImageMagick, nullptr, 99},
        CorpusCase{"PCX still", "stills/leaf_100x60_24bit.pcx", GFILE_KIND_PCX, "PCX still image", 100, 60, 15, 1, 1,
                   24, 0, Reference::ImageMagick, nullptr, 99},
        CorpusCase{"TIFF still", "stills/leaf_100x60.tif", GFILE_KIND_TIF, "TIF still image", 100, 60, 15, 1, 1, 24,
                   0, Reference::ImageMagick, nullptr, 99},
        CorpusCase{"speech as a sound-only source", "audio/speech_16bit_mono_22050.wav", GFILE_KIND_SOUND_ONLY,
                   "Sound-only", 4, 4, 15, 1, 254376 * 15 / 44100 + 1, 8, 1, Reference::None, nullptr, 99},
        CorpusCase{"chord as a sound-only source", "audio/chord_8bit_mono_11025.wav", GFILE_KIND_SOUND_ONLY,
                   "Sound-only", 4, 4, 15, 1, 44100 * 15 / 11025 + 1, 8, 1, Reference::None, nullptr, 99}));

// A list mixing an AVI, a still of another size and a numbered sequence,
// delivered at the largest size: each entry placed top left, a smaller one
// over what the frame before left.
TEST(CorpusList, MixesKindsAndSizes) {
  TOL_REQUIRE_FILE(root, testutil::corpusFile("MANIFEST.md"));
  testutil::TempDir dir;
  const std::string list = dir.file("mix.lst");
  std::string text = corpusPath("avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi") + " /S3 /E4\r\n" +
                     corpusPath("stills/leaf_100x60.tga") + "\r\n# a comment\r\n" +
                     corpusPath("synth/ball_320x240/ball????.png*10-11") + "\r\n";
  testutil::writeFile(list, std::vector<uint8_t>(text.begin(), text.end()));
  GFile* g = open(list);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->kind, GFILE_KIND_LIST);
  EXPECT_EQ(g->frameCount, 5);
  EXPECT_EQ(g->width, 320);
  EXPECT_EQ(g->height, 240);
  EXPECT_EQ(g->hasSound, 1);
  const std::vector<std::string> refs = {"seq/path_pan_320x240/pathpan0002.png", "seq/path_pan_320x240/pathpan0003.png",
                                         "stills/leaf_100x60.tga", "synth/ball_320x240/ball0010.png",
                                         "synth/ball_320x240/ball0011.png"};
  for (size_t k = 0; k < refs.size(); ++k) {
    ASSERT_EQ(GFileGet(g), 1);
    std::vector<uint32_t> got = pixels(g);
    if (k == 2) {
      const std::vector<uint32_t> before = loadPng(corpusPath(refs[1])).pixels;
      // The TGA holds a different view; compare it with itself through ImageMagick when present.
      if (!haveTool("/usr/bin/convert")) continue;
      Picture tga = loadWithImageMagick(corpusPath("stills/leaf_100x60.tga"), 100, 60);
      ASSERT_EQ(tga.pixels.size(), 6000u);
      for (int32_t y = 0; y < 240; ++y)
        for (int32_t x = 0; x < 320; ++x)
          ASSERT_EQ(got[y * 320 + x], x < 100 && y < 60 ? tga.pixels[y * 100 + x] : before[y * 320 + x])
              << x << "," << y;
      continue;
    }
    Picture ref = loadPng(corpusPath(refs[k]));
    ASSERT_EQ(ref.pixels.size(), 320u * 240);
    EXPECT_EQ(got, ref.pixels) << refs[k];
  }
  GFileClose(g);
}

}  // namespace
