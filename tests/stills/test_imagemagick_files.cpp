// Files ImageMagick writes in depths, layouts and codings our writers do not
// make, read by us and compared with ImageMagick's own reading of them.
#include "still_test_util.h"
#include "testutil.h"

using tol::StillFormat;
using tol::StillInfo;
using namespace stilltest;

namespace {

struct MagickCase {
  const char* name;
  StillFormat format;
  const char* options;  // convert options and the output: %s stands for the file name without extension
  int32_t bitsPerPixel;
  int32_t tolerance;    // largest difference allowed in a sample
  int32_t compression = 0;
};

const MagickCase kCases[] = {
    {"bmp_rle8", StillFormat::Bmp, "-type Palette -colors 256 -compress RLE BMP3:%s.bmp", 8, 0},
    {"bmp_4bit", StillFormat::Bmp, "-colors 16 -type Palette BMP3:%s.bmp", 4, 0},
    {"bmp_1bit", StillFormat::Bmp, "-monochrome BMP3:%s.bmp", 1, 0},
    {"bmp_8bit", StillFormat::Bmp, "-type Palette BMP3:%s.bmp", 8, 0},
    {"bmp_core_header", StillFormat::Bmp, "-type Palette BMP2:%s.bmp", 8, 0},
    {"bmp_565", StillFormat::Bmp, "-define bmp:subtype=RGB565 BMP:%s.bmp", 16, 1},
    {"bmp_555", StillFormat::Bmp, "-define bmp:subtype=RGB555 BMP:%s.bmp", 16, 1},
    {"bmp_32_alpha", StillFormat::Bmp, "-alpha set -channel A -evaluate set 50% +channel BMP:%s.bmp", 32, 0},
    {"bmp_24_long_header", StillFormat::Bmp, "BMP:%s.bmp", 24, 0},
    {"tga_rle24", StillFormat::Tga, "-compress RLE TGA:%s.tga", 24, 0},
    {"tga_mapped", StillFormat::Tga, "-type Palette -colors 200 TGA:%s.tga", 8, 0},
    {"tga_mapped_rle", StillFormat::Tga, "-type Palette -colors 200 -compress RLE TGA:%s.tga", 8, 0},
    {"tga_grey", StillFormat::Tga, "-type Grayscale TGA:%s.tga", 8, 0},
    {"tga_grey_rle", StillFormat::Tga, "-type Grayscale -compress RLE TGA:%s.tga", 8, 0},
    {"tga_top_left", StillFormat::Tga, "-orient TopLeft TGA:%s.tga", 24, 0},
    {"tga_top_left_rle", StillFormat::Tga, "-orient TopLeft -compress RLE TGA:%s.tga", 24, 0},
    {"tga_alpha", StillFormat::Tga, "-alpha set -channel A -evaluate set 50% +channel TGA:%s.tga", 32, 0},
    {"pcx_8bit", StillFormat::Pcx, "-type Palette -colors 200 PCX:%s.pcx", 8, 0},
    {"pcx_24bit", StillFormat::Pcx, "PCX:%s.pcx", 24, 0},
    {"png_grey1", StillFormat::Png, "-colorspace Gray -define png:bit-depth=1 -define png:color-type=0 %s.png", 1, 0},
    {"png_grey2", StillFormat::Png, "-colorspace Gray -define png:bit-depth=2 -define png:color-type=0 %s.png", 2, 0},
    {"png_grey4", StillFormat::Png, "-colorspace Gray -define png:bit-depth=4 -define png:color-type=0 %s.png", 4, 0},
    {"png_grey8", StillFormat::Png, "-colorspace Gray -define png:bit-depth=8 -define png:color-type=0 %s.png", 8, 0},
    {"png_grey16", StillFormat::Png, "-colorspace Gray -define png:bit-depth=16 -define png:color-type=0 %s.png", 16, 1},
    {"png_grey_alpha", StillFormat::Png, "-colorspace Gray -alpha set -depth 8 -define png:color-type=4 %s.png", 16, 0},
    {"png_palette", StillFormat::Png, "-colors 200 PNG8:%s.png", 8, 0},
    {"png_rgba", StillFormat::Png, "-alpha set -channel A -evaluate set 30% +channel PNG32:%s.png", 32, 0},
    {"png_rgb16", StillFormat::Png, "-depth 16 PNG48:%s.png", 48, 1},
    {"png_interlaced", StillFormat::Png, "-interlace PNG PNG24:%s.png", 24, 0},
    {"png_interlaced_palette", StillFormat::Png, "-interlace PNG -colors 100 PNG8:%s.png", 8, 0},
    {"jpeg_colour", StillFormat::Jpeg, "-quality 90 %s.jpg", 24, 2},
    {"jpeg_grey", StillFormat::Jpeg, "-colorspace Gray %s.jpg", 8, 1},
    {"jpeg_progressive", StillFormat::Jpeg, "-interlace JPEG %s.jpg", 24, 2},
    {"jpeg_cmyk", StillFormat::Jpeg, "-colorspace CMYK %s.jpg", 32, 3},
    {"tiff_rgb", StillFormat::Tif, "-compress None %s.tif", 24, 0, 1},
    {"tiff_lzw", StillFormat::Tif, "-compress LZW %s.tif", 24, 0, 5},
    {"tiff_deflate", StillFormat::Tif, "-compress Zip %s.tif", 24, 0, 8},
    {"tiff_palette", StillFormat::Tif, "-type Palette -colors 200 %s.tif", 8, 0},
    {"tiff_palette_packbits", StillFormat::Tif, "-type Palette -colors 200 -compress RLE %s.tif", 8, 0, 32773},
    {"tiff_grey", StillFormat::Tif, "-type Grayscale %s.tif", 8, 0},
    {"tiff_bilevel", StillFormat::Tif, "-monochrome -depth 1 %s.tif", 1, 0},
    {"tiff_tiled", StillFormat::Tif, "-define tiff:tile-geometry=16x16 %s.tif", 24, 0},
    {"tiff_planar", StillFormat::Tif, "-interlace Plane %s.tif", 24, 0},
    {"tiff_16bit", StillFormat::Tif, "-depth 16 %s.tif", 48, 1},
    {"tiff_alpha", StillFormat::Tif, "-alpha set -channel A -evaluate set 40% +channel %s.tif", 32, 0},
    {"gif", StillFormat::Gif, "%s.gif", 8, 0},
    {"gif_interlaced", StillFormat::Gif, "-interlace GIF %s.gif", 8, 0},
    {"gif_few_colours", StillFormat::Gif, "-colors 5 %s.gif", 3, 0},
};

class ImageMagickFile : public ::testing::TestWithParam<MagickCase> {};

TEST_P(ImageMagickFile, ReadsAsImageMagickDoes) {
  if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  const MagickCase& c = GetParam();
  testutil::TempDir dir;
  const std::string source = dir.file("source.ppm");
  ASSERT_TRUE(writePpm(source, pattern(37, 23, 24).image()));
  std::string options = c.options;
  const std::string base = dir.file(c.name);
  options.replace(options.find("%s"), 2, base);
  ASSERT_TRUE(convert("'" + source + "' " + options));
  const std::string file = base + options.substr(options.rfind('.'));

  StillInfo info{};
  ASSERT_TRUE(tol::stillImageInfo(c.format, file.c_str(), info));
  EXPECT_EQ(info.width, 37);
  EXPECT_EQ(info.height, 23);
  EXPECT_EQ(info.bitsPerPixel, c.bitsPerPixel);
  if (c.format == StillFormat::Tif && c.compression) {
    EXPECT_EQ(info.compression, c.compression);
  }

  Buffer loaded(37, 23, info.bitsPerPixel <= 8 ? 8 : 24);
  ASSERT_TRUE(tol::stillImageLoad(c.format, file.c_str(), loaded.image()));
  const std::vector<uint8_t> reference = imageMagickRgb(file);
  ASSERT_FALSE(reference.empty());
  EXPECT_LE(largestDifference(reference, topDownRgb(loaded.image())), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Variants, ImageMagickFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<MagickCase>& info) { return info.param.name; });

}  // namespace

namespace {

// A GIF whose first frame covers part of its screen: the frame lands at its
// place, the rest of the screen is the background colour.
TEST(ImageMagickGif, FrameSmallerThanScreen) {
  if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  testutil::TempDir dir;
  const std::string source = dir.file("source.ppm"), name = dir.file("part.gif");
  ASSERT_TRUE(writePpm(source, pattern(37, 23, 24).image()));
  ASSERT_TRUE(convert("'" + source + "' -crop 20x10+5+3 '" + name + "'"));
  Buffer loaded(37, 23, 8);
  ASSERT_TRUE(tol::stillImageLoad(StillFormat::Gif, name.c_str(), loaded.image()));
  const std::vector<uint8_t> frame = imageMagickRgb(name), screen = topDownRgb(loaded.image());
  ASSERT_EQ(frame.size(), 20u * 10 * 3);
  const uint8_t background = loaded.row(0)[0];
  for (int32_t y = 0; y < 23; ++y)
    for (int32_t x = 0; x < 37; ++x) {
      const bool inside = x >= 5 && x < 25 && y >= 3 && y < 13;
      if (!inside) {
        ASSERT_EQ(loaded.row(y)[x], background) << x << "," << y;
        continue;
      }
      const size_t s = 3 * (size_t(y) * 37 + x), f = 3 * (size_t(y - 3) * 20 + (x - 5));
      ASSERT_TRUE(std::equal(frame.begin() + f, frame.begin() + f + 3, screen.begin() + s)) << x << "," << y;
    }
}

}  // namespace

namespace {

// ImageMagick's frames of an animation as players show them, one after
// another as red, green, blue bytes.
std::vector<uint8_t> imageMagickCoalesced(const std::string& file) {
  const std::string command = std::string(kConvert) + " '" + file + "' -coalesce -alpha off -depth 8 rgb:- 2>/dev/null";
  std::vector<uint8_t> out;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) out.insert(out.end(), chunk, chunk + n);
  if (::pclose(pipe) != 0) out.clear();
  return out;
}

// An animation of frames that cover the screen or parts of it, one with
// transparent pixels, with and without disposal to what was there before:
// every frame as ImageMagick composes it, and the first again after the last.
TEST(ImageMagickGif, AnimationFrames) {
  if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  testutil::TempDir dir;
  const std::string source = dir.file("source.ppm"), name = dir.file("anim.gif");
  ASSERT_TRUE(writePpm(source, pattern(37, 23, 24).image()));
  const std::string s = "'" + source + "'";
  ASSERT_TRUE(convert("-delay 20 " + s + " \\( " + s + " -crop 10x6+3+2 -negate -alpha set -channel A -fx \"(i<5&&j<3)?0:1\" +channel \\) -dispose Previous \\( " + s +
                      " -crop 8x5+20+10 -flip \\) -dispose None \\( " + s + " -crop 9x9+1+12 -flop \\) '" + name +
                      "'"));
  const std::unique_ptr<tol::GifAnimation> animation = tol::GifAnimation::open(name.c_str());
  ASSERT_TRUE(animation);
  EXPECT_EQ(animation->width(), 37);
  EXPECT_EQ(animation->height(), 23);
  EXPECT_EQ(animation->frames(), 4);
  EXPECT_EQ(animation->delay(0), 20);
  const std::vector<uint8_t> frames = imageMagickCoalesced(name);
  const size_t frameBytes = 37 * 23 * 3;
  ASSERT_EQ(frames.size(), 4 * frameBytes);
  for (int32_t i = 0; i <= 4; ++i) {
    ASSERT_TRUE(animation->compose(i % 4)) << "frame " << i;
    std::vector<uint8_t> rgb(animation->canvas(), animation->canvas() + frameBytes);
    for (size_t p = 0; p < rgb.size(); p += 3) std::swap(rgb[p], rgb[p + 2]);
    const size_t at = size_t(i % 4) * frameBytes;
    EXPECT_EQ(rgb, std::vector<uint8_t>(frames.begin() + at, frames.begin() + at + frameBytes)) << "frame " << i;
  }
  EXPECT_FALSE(animation->compose(4));
  EXPECT_FALSE(tol::GifAnimation::open(source.c_str()));
}

}  // namespace
