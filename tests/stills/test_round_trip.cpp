// Every format and depth our writers make, at awkward sizes: written, its
// header read back, loaded as the graphics input loads it (and, for indexed
// files, also expanded to 24 bits), and read by ImageMagick as a check that
// does not share our code.
#include <filesystem>
#include <tuple>

#include "still_test_util.h"
#include "testutil.h"

using tol::StillFormat;
using tol::StillInfo;
using namespace stilltest;

namespace {

struct Size {
  int32_t width, height;
};
const Size kSizes[] = {{1, 1}, {2, 3}, {17, 5}, {64, 33}, {255, 2}};

struct FormatCase {
  StillFormat format;
  const char* extension;
  bool lossy;
};
const FormatCase kFormats[] = {
    {StillFormat::Bmp, "bmp", false}, {StillFormat::Pcx, "pcx", false}, {StillFormat::Tga, "tga", false},
    {StillFormat::Png, "png", false}, {StillFormat::Tif, "tif", false}, {StillFormat::Gif, "gif", false},
    {StillFormat::Jpeg, "jpg", true},
};

using Case = std::tuple<FormatCase, int32_t, Size>;

class StillRoundTrip : public ::testing::TestWithParam<Case> {};

// JPEG at quality 100 keeps a picture close on average.
void expectClose(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual, bool lossy) {
  ASSERT_EQ(expected.size(), actual.size());
  if (!lossy) {
    EXPECT_EQ(expected, actual);
    return;
  }
  double total = 0;
  for (size_t i = 0; i < expected.size(); ++i) total += std::abs(int(expected[i]) - int(actual[i]));
  EXPECT_LT(total / double(expected.size()), 2.0);
}

TEST_P(StillRoundTrip, WrittenFileReadsBack) {
  const auto& [format, bits, size] = GetParam();
  testutil::TempDir dir;
  const std::string name = dir.file(std::string("pic.") + format.extension);
  const Buffer source = pattern(size.width, size.height, bits);

  if (format.format == StillFormat::Gif && bits == 24) {
    EXPECT_FALSE(tol::stillImageSave(format.format, name.c_str(), source.image()));
    EXPECT_FALSE(std::filesystem::exists(name));
    return;
  }
  ASSERT_TRUE(tol::stillImageSave(format.format, name.c_str(), source.image()));

  const int32_t fileBits = format.lossy ? 24 : bits;
  StillInfo info{};
  ASSERT_TRUE(tol::stillImageInfo(format.format, name.c_str(), info));
  EXPECT_EQ(info.width, size.width);
  EXPECT_EQ(info.height, size.height);
  EXPECT_EQ(info.bitsPerPixel, fileBits);
  EXPECT_NE(info.compression, 5);

  const std::vector<uint8_t> expected = topDownRgb(source.image());
  Buffer loaded(size.width, size.height, fileBits);
  ASSERT_TRUE(tol::stillImageLoad(format.format, name.c_str(), loaded.image()));
  expectClose(expected, topDownRgb(loaded.image()), format.lossy);
  if (fileBits == 8) {
    for (int32_t y = 0; y < size.height; ++y)
      ASSERT_TRUE(std::equal(source.row(y), source.row(y) + size.width, loaded.row(y))) << "row " << y;
    Buffer expanded(size.width, size.height, 24);
    ASSERT_TRUE(tol::stillImageLoad(format.format, name.c_str(), expanded.image()));
    EXPECT_EQ(expected, topDownRgb(expanded.image()));
  }

  if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  expectClose(expected, imageMagickRgb(name), format.lossy);
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  const auto& [format, bits, size] = info.param;
  return std::string(format.extension) + std::to_string(bits) + "_" + std::to_string(size.width) + "x" +
         std::to_string(size.height);
}

INSTANTIATE_TEST_SUITE_P(Formats, StillRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(kFormats), ::testing::Values(8, 24),
                                            ::testing::ValuesIn(kSizes)),
                         caseName);

}  // namespace
