// The compressor's pictures: frame range, rate conversion and placement.
#include <gtest/gtest.h>

#include "png_files.h"
#include "testutil.h"
#include "zurn/picture_source.h"

namespace {

using zurntool::CompressOptions;
using zurntool::PictureSource;

constexpr int kWidth = 6, kHeight = 4;

// Frames s00.png to s03.png; the blue byte of frame i is 10 * i.
class PictureSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i)
      ASSERT_TRUE(tooltest::writeMarkedPng(dir.file("s0" + std::to_string(i) + ".png"), kWidth, kHeight,
                                           uint8_t(10 * i)));
    options.input = dir.file("s??.png");
  }

  // The blue bytes of every frame the source delivers.
  std::vector<int> marks(PictureSource& source) {
    std::vector<int> result;
    std::string error;
    for (uint32_t i = 0; i < source.frameCount(); ++i) {
      const uint8_t* p = source.next(error);
      EXPECT_NE(p, nullptr) << error;
      if (!p) break;
      result.push_back(p[2]);
    }
    return result;
  }

  testutil::TempDir dir;
  CompressOptions options;
};

TEST_F(PictureSourceTest, FrameRangeCountsFromOneAndIsHeldToTheSequence) {
  struct Case {
    int first, last;
    std::vector<int> marks;
    uint32_t firstIndex;
  };
  for (const Case& c : {Case{0, 0, {0, 10, 20, 30}, 0}, Case{2, 3, {10, 20}, 1}, Case{9, 0, {30}, 3},
                        Case{3, 1, {20}, 2}}) {
    options.firstFrame = c.first;
    options.lastFrame = c.last;
    PictureSource source;
    std::string error;
    ASSERT_TRUE(source.open(options, error)) << error;
    EXPECT_EQ(marks(source), c.marks) << "/S" << c.first << " /E" << c.last;
    EXPECT_EQ(source.firstIndex(), c.firstIndex);
  }
}

TEST_F(PictureSourceTest, OutputRateRepeatsOrDropsFrames) {
  options.inputRate = {10, 1};
  options.outputRate = {5, 1};
  PictureSource slower;
  std::string error;
  ASSERT_TRUE(slower.open(options, error)) << error;
  EXPECT_EQ(marks(slower), (std::vector<int>{0, 20}));

  options.outputRate = {20, 1};
  PictureSource faster;
  ASSERT_TRUE(faster.open(options, error)) << error;
  EXPECT_EQ(marks(faster), (std::vector<int>{0, 0, 10, 10, 20, 20, 30, 30}));
  EXPECT_EQ(faster.outputRate().num, 20u);

  // Still pictures play at 15 frames per second; one frame stays one frame.
  options = CompressOptions{};
  options.input = dir.file("s00.png");
  options.lastFrame = 1;
  options.outputRate = {1, 1};
  PictureSource one;
  ASSERT_TRUE(one.open(options, error)) << error;
  EXPECT_EQ(one.inputRate().num, 15u);
  EXPECT_EQ(one.frameCount(), 1u);
}

TEST_F(PictureSourceTest, PlacementCropsAndPadsWithBlack) {
  // Columns 1 to 3 and rows 2 to 3 of the source; the last two output rows
  // lie below the source.
  options.cropX = 1;
  options.cropY = 2;
  options.cropWidth = 3;
  options.cropHeight = 4;
  PictureSource crop;
  std::string error;
  ASSERT_TRUE(crop.open(options, error)) << error;
  ASSERT_EQ(crop.width(), 3);
  ASSERT_EQ(crop.height(), 4);
  const uint8_t* p = crop.next(error);
  ASSERT_NE(p, nullptr) << error;
  EXPECT_EQ(p[0], 2);  // red: source column 1, plus 1
  EXPECT_EQ(p[1], 3);  // green: source row 2, plus 1
  EXPECT_EQ(p[(1 * 3 + 2) * 4 + 1], 4);
  for (int i = 2 * 3 * 4; i < 4 * 3 * 4; ++i) EXPECT_EQ(p[i], 0) << i;

  // A negative offset is a margin on the left.
  options = CompressOptions{};
  options.input = dir.file("s00.png");
  options.cropX = -2;
  options.cropWidth = kWidth + 4;
  PictureSource margin;
  ASSERT_TRUE(margin.open(options, error)) << error;
  p = margin.next(error);
  ASSERT_NE(p, nullptr) << error;
  for (int x : {0, 1, kWidth + 2, kWidth + 3}) EXPECT_EQ(p[x * 4], 0) << x;
  EXPECT_EQ(p[2 * 4], 1);
  EXPECT_EQ(p[(kWidth + 1) * 4], kWidth);
}

TEST_F(PictureSourceTest, MissingOrDamagedFramesAreReported) {
  options.input = dir.file("s??.png*2-5");  // 04 and 05 do not exist
  PictureSource source;
  std::string error;
  EXPECT_FALSE(source.open(options, error));
  EXPECT_NE(error.find("s04.png"), std::string::npos) << error;

  testutil::writeFile(dir.file("s02.png"), {0x89, 'P', 'N', 'G'});
  options.input = dir.file("s00.png");
  PictureSource damaged;
  ASSERT_TRUE(damaged.open(options, error)) << error;
  EXPECT_NE(damaged.next(error), nullptr);
  EXPECT_NE(damaged.next(error), nullptr);
  EXPECT_EQ(damaged.next(error), nullptr);
  EXPECT_NE(error.find("s02.png"), std::string::npos) << error;

  options.input = dir.file("nothing");
  EXPECT_FALSE(PictureSource().open(options, error));
}

}  // namespace
