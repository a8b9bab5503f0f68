// Every frame that the bitstream decoder decodes from a written file is,
// sample for sample, the encoder's own reconstruction of that frame: for
// natural and synthetic clips, stills, cuts, odd sizes and line mode.
#include <gtest/gtest.h>

#include "encoder_test.h"
#include "testutil.h"

namespace {

using namespace enctest;

void expectDecodesToRecon(const Clip& clip, const EncodeOptions& options, const char* leaf) {
  testutil::TempDir dir;
  const std::string name = dir.file(leaf);
  const Encoded e = encodeClip(clip, name, options);
  ASSERT_TRUE(e.opened);
  ZurnFile file;
  ASSERT_TRUE(readZurnFile(name, file));
  ASSERT_EQ(file.frames, clip.frames.size());
  std::vector<Picture> decoded;
  std::string why;
  ASSERT_TRUE(decodeFrames(file, decoded, why)) << why;
  ASSERT_EQ(decoded.size(), e.recon.size());
  for (size_t k = 0; k < decoded.size(); ++k) {
    EXPECT_EQ(decoded[k].y, e.recon[k].y) << "luma of frame " << k;
    EXPECT_EQ(decoded[k].cr, e.recon[k].cr) << "Cr of frame " << k;
    EXPECT_EQ(decoded[k].cb, e.recon[k].cb) << "Cb of frame " << k;
  }
}

EncodeOptions at(uint32_t target, uint32_t window = 3) {
  EncodeOptions o;
  o.targetSize = target;
  o.window = window;
  return o;
}

// Low rates favour coarse and cheap codings, high rates transforms, runs,
// residues and raw blocks; both ends must decode exactly.
TEST(RoundTrip, NaturalClipAtLowAndHighRates) {
  const Clip clip = naturalClip(96, 64, 6);
  expectDecodesToRecon(clip, at(150), "low.zrn");
  expectDecodesToRecon(clip, at(20000), "high.zrn");
}

TEST(RoundTrip, CorpusPanOfANaturalPicture) {
  TOL_REQUIRE_FILE(folder, testutil::corpusFile("seq/leaf_pan_100x60"));
  const Clip clip = corpusClip(folder, 0, 6);
  ASSERT_EQ(clip.frames.size(), 6u);
  expectDecodesToRecon(clip, at(900), "leaf.zrn");
}

TEST(RoundTrip, SyntheticPatterns) { expectDecodesToRecon(patternClip(80, 48, 6), at(1500), "pattern.zrn"); }

TEST(RoundTrip, StillPicture) { expectDecodesToRecon(stillClip(64, 48, 5), at(3000), "still.zrn"); }

TEST(RoundTrip, SceneCut) { expectDecodesToRecon(cutClip(64, 48, 6), at(1200), "cut.zrn"); }

TEST(RoundTrip, OddSizes) {
  expectDecodesToRecon(naturalClip(100, 60, 4, 3, 2, 1), at(2000), "100x60.zrn");
  expectDecodesToRecon(naturalClip(318, 237, 2, 4, -1, 1), at(12000, 2), "318x237.zrn");
  expectDecodesToRecon(patternClip(13, 7, 3), at(400), "13x7.zrn");
}

TEST(RoundTrip, LineModeAndKeyframes) {
  EncodeOptions o = at(1500);
  o.lineMode = 1;
  o.keyInterval = 2;
  expectDecodesToRecon(naturalClip(64, 40, 5), o, "lines.zrn");
}

}  // namespace

