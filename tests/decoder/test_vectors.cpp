// Decoding real frames: the conformance vectors in every source mode, gotos
// across keyframes against a straight run, and damaged video data.
#include <gtest/gtest.h>

#include "decode/zurn_decoder.h"
#include "zurn_test_vectors.h"

namespace {

using tol::ZurnDecoder;

struct Closer {
  void operator()(ZurnDecoder* d) const { tol::ZurnDecoderClose(d); }
};
using DecoderPtr = std::unique_ptr<ZurnDecoder, Closer>;

std::vector<uint8_t> picture(const ZurnDecoder* d) {
  const uint8_t* p = d->frameBuffers[d->currentBuffer];
  return std::vector<uint8_t>(p, p + d->geometry.frameBytes);
}

enum class Mode { File, WholeFile, Memory };

class Vectors : public ::testing::TestWithParam<std::tuple<const char*, Mode>> {
 protected:
  DecoderPtr open(const std::vector<uint8_t>& bytes, Mode mode) {
    if (mode == Mode::Memory) return DecoderPtr(tol::ZurnDecoderOpen(bytes.data(), ZURNDEC_MEMORY_IMAGE));
    std::string name = dir.file("clip.zrn");
    testutil::writeFile(name, bytes);
    // At one frame a second the vectors are read through the ring.
    return DecoderPtr(tol::ZurnDecoderOpen(name.c_str(), mode == Mode::WholeFile ? ZURNDEC_LOAD_ALL : 0));
  }
  testutil::TempDir dir;
};

TEST_P(Vectors, DecodeToTheExpectedFrames) {
  const std::string clip = std::get<0>(GetParam());
  std::vector<uint8_t> bytes = zurntest::vectorBytes(clip + ".zrn");
  if (bytes.empty()) GTEST_SKIP() << "vector " << clip << " not present";
  zurntest::set32(bytes, zurntest::kFpsNum, 1);
  DecoderPtr d = open(bytes, std::get<1>(GetParam()));
  ASSERT_NE(d, nullptr) << tol::ZurnDecoderGetError();
  for (int k = 0; k < d->frames; k++) {
    ASSERT_EQ(d->currentFrame, k + 1);
    EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
    EXPECT_EQ(picture(d.get()), zurntest::expectedFrame(clip, k)) << clip << " frame " << k;
    tol::ZurnDecoderNextFrame(d.get());
  }
}

INSTANTIATE_TEST_SUITE_P(AllModes, Vectors,
                         ::testing::Combine(::testing::Values("sample20x8", "sample100x60"),
                                            ::testing::Values(Mode::File, Mode::WholeFile, Mode::Memory)));

// A longer clip made of the small vector's frames: keyframe, delta, delta,
// again and again (that vector's keyframe uses nothing of the reference).
// Gotos must give the pictures of a straight run.
zurntest::Clip repeatedClip(int rounds) {
  std::vector<uint8_t> bytes = zurntest::vectorBytes("sample20x8.zrn");
  zurntest::Clip clip;
  clip.width = 20;
  clip.height = 8;
  clip.fpsNumerator = 1;
  auto frames = zurntest::framesOf(bytes);
  for (int round = 0; round < rounds; round++)
    for (const auto& f : frames) clip.frames.push_back({zurntest::videoOnly(f.bytes, 2), f.key});
  return clip;
}

class Gotos : public Vectors {};

TEST_P(Gotos, MatchAStraightRun) {
  if (zurntest::vectorBytes("sample20x8.zrn").empty()) GTEST_SKIP() << "vector not present";
  auto file = zurntest::build(repeatedClip(5));
  DecoderPtr d = open(file, std::get<1>(GetParam()));
  ASSERT_NE(d, nullptr) << tol::ZurnDecoderGetError();
  EXPECT_EQ(d->image != nullptr, std::get<1>(GetParam()) != Mode::File);
  std::vector<std::vector<uint8_t>> straight;
  for (int k = 0; k < d->frames; k++) {
    EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
    straight.push_back(picture(d.get()));
    tol::ZurnDecoderNextFrame(d.get());
  }
  // Forward within a group, across keyframes, backward, to a keyframe.
  for (int32_t target : {3, 5, 14, 2, 9, 8, 15, 1, 12, 13, 6}) {
    tol::ZurnDecoderGoto(d.get(), target, 0);
    ASSERT_EQ(d->currentFrame, target);
    EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
    EXPECT_EQ(picture(d.get()), straight[target - 1]) << "goto " << target;
  }
}

INSTANTIATE_TEST_SUITE_P(AllModes, Gotos,
                         ::testing::Combine(::testing::Values("sample20x8"),
                                            ::testing::Values(Mode::File, Mode::WholeFile, Mode::Memory)));

// Damaged video data: the frame is decoded up to the damage with the rest
// of the picture from the reference, and reported; so are the frames built
// on it, until the next keyframe.
TEST(DamagedVideo, ReportedUntilTheNextKeyframe) {
  if (zurntest::vectorBytes("sample20x8.zrn").empty()) GTEST_SKIP() << "vector not present";
  zurntest::Clip clip = repeatedClip(2);
  clip.frames[1].bytes.resize(clip.frames[1].bytes.size() / 2);  // frame 2 ends early
  auto file = zurntest::build(clip);
  DecoderPtr d(tol::ZurnDecoderOpen(file.data(), ZURNDEC_MEMORY_IMAGE));
  ASSERT_NE(d, nullptr);
  std::vector<int32_t> results;
  for (int k = 0; k < d->frames; k++) {
    results.push_back(tol::ZurnDecoderDecodeFrame(d.get()));
    if (k == 0) {
      EXPECT_EQ(picture(d.get()), zurntest::expectedFrame("sample20x8", 0));
    }
    tol::ZurnDecoderNextFrame(d.get());
  }
  EXPECT_EQ(results, (std::vector<int32_t>{1, 0, 0, 1, 1, 1}));
  // The keyframe restores the exact pictures.
  EXPECT_EQ(picture(d.get()), zurntest::expectedFrame("sample20x8", 2));
}

}  // namespace
