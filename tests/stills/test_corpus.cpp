// The corpus's one picture in five formats, written by other programs: the
// lossless ones read to the same pixels, the 256-colour GIF close to them.
#include "still_test_util.h"
#include "testutil.h"

using tol::StillFormat;
using tol::StillInfo;
using namespace stilltest;

namespace {

struct CorpusStill {
  const char* file;
  StillFormat format;
  int32_t bitsPerPixel;
};
const CorpusStill kStills[] = {
    {"stills/leaf_100x60_24bit.bmp", StillFormat::Bmp, 24},
    {"stills/leaf_100x60.tga", StillFormat::Tga, 24},
    {"stills/leaf_100x60_24bit.pcx", StillFormat::Pcx, 24},
    {"stills/leaf_100x60.tif", StillFormat::Tif, 24},
    {"stills/leaf_100x60.gif", StillFormat::Gif, 8},
};

std::vector<uint8_t> load(const std::string& file, StillFormat format, int32_t expectedBits) {
  StillInfo info{};
  EXPECT_TRUE(tol::stillImageInfo(format, file.c_str(), info)) << file;
  EXPECT_EQ(info.width, 100);
  EXPECT_EQ(info.height, 60);
  EXPECT_EQ(info.bitsPerPixel, expectedBits);
  EXPECT_NE(info.compression, 5);
  Buffer b(100, 60, expectedBits <= 8 ? 8 : 24);
  if (!tol::stillImageLoad(format, file.c_str(), b.image())) return {};
  return topDownRgb(b.image());
}

TEST(StillCorpus, EveryFormatGivesThePicture) {
  TOL_REQUIRE_FILE(bmpFile, testutil::corpusFile(kStills[0].file));
  const std::vector<uint8_t> picture = load(bmpFile, StillFormat::Bmp, 24);
  ASSERT_EQ(picture.size(), 100u * 60 * 3);
  for (const CorpusStill& still : kStills) {
    SCOPED_TRACE(still.file);
    TOL_REQUIRE_FILE(file, testutil::corpusFile(still.file));
    const std::vector<uint8_t> pixels = load(file, still.format, still.bitsPerPixel);
    ASSERT_EQ(pixels.size(), picture.size());
    if (still.bitsPerPixel == 24) {
      EXPECT_EQ(pixels, picture);
    } else {  // 256 colours, dithered
      double total = 0;
      for (size_t i = 0; i < pixels.size(); ++i) total += std::abs(int(pixels[i]) - int(picture[i]));
      EXPECT_LT(total / double(pixels.size()), 8.0);
    }
    if (haveImageMagick()) {
      EXPECT_EQ(pixels, imageMagickRgb(file));
    }
  }
}

}  // namespace
