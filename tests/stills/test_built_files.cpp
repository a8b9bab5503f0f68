// Layouts neither our writers nor ImageMagick make, built byte by byte:
// run-length coded BMP with skips, top-down BMP, PCX of 1, 2 and 4 bits in
// one plane and of 1 bit in four planes, 16-bit and mirrored TGA, a TGA
// colour map that starts past index 0. Each is checked against the picture
// it was built from and, where installed, against ImageMagick's reading.
#include <cstring>
#include <functional>

#include "still_test_util.h"
#include "testutil.h"

using tol::StillFormat;
using tol::StillInfo;
using namespace stilltest;

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void put32(Bytes& b, uint32_t v) {
  put16(b, v);
  put16(b, v >> 16);
}

// A built file, the picture it holds (red, green, blue, top row first) and
// what its header says.
struct Built {
  Bytes file;
  Bytes rgb;
  int32_t width, height, bitsPerPixel;
};

// 16 colours that differ in every channel.
uint8_t colourOf(int index, int channel) { return uint8_t(index * 16 + channel * 5 + 3); }
void appendColour(Bytes& rgb, int index) {
  for (int c = 0; c < 3; ++c) rgb.push_back(colourOf(index, c));
}

// BMP with a 40-byte header, 16 or 256 palette colours (colourOf), height as
// given (negative: top-down), and the pixel bytes.
Bytes bmpFile(int32_t width, int32_t height, int bits, int compression, const Bytes& pixels) {
  const int colours = 1 << bits;
  Bytes b = {'B', 'M'};
  put32(b, uint32_t(54 + 4 * colours + pixels.size()));
  put32(b, 0);
  put32(b, uint32_t(54 + 4 * colours));
  put32(b, 40), put32(b, uint32_t(width)), put32(b, uint32_t(height)), put16(b, 1), put16(b, uint32_t(bits));
  put32(b, uint32_t(compression)), put32(b, uint32_t(pixels.size())), put32(b, 0), put32(b, 0), put32(b, 0),
      put32(b, 0);
  for (int i = 0; i < colours; ++i) b.insert(b.end(), {colourOf(i, 2), colourOf(i, 1), colourOf(i, 0), 0});
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

Bytes rgbOfIndices(const std::vector<std::vector<int>>& rowsTopFirst) {
  Bytes rgb;
  for (const auto& row : rowsTopFirst)
    for (int i : row) appendColour(rgb, i);
  return rgb;
}

Built bmpRle4() {
  const Bytes codes = {0x05, 0x12, 0x00, 0x03, 0x34, 0x50, 0x00, 0x00,                    // bottom row
                       0x02, 0x77, 0x00, 0x02, 0x03, 0x00, 0x03, 0x9A, 0x00, 0x00,        // skip 3 pixels
                       0x00, 0x05, 0xBC, 0xDE, 0xF0, 0x00, 0x03, 0x11, 0x00, 0x01};      // odd literal run
  return {bmpFile(8, 3, 4, 2, codes),
          rgbOfIndices({{11, 12, 13, 14, 15, 1, 1, 1}, {7, 7, 0, 0, 0, 9, 10, 9}, {1, 2, 1, 2, 1, 3, 4, 5}}), 8, 3,
          4};
}

Built bmpRle8() {
  const Bytes codes = {0x03, 0x07, 0x02, 0x08, 0x00, 0x00,                    // bottom row
                       0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x02, 0x01, 0x01,  // move right and up
                       0x01, 0x05, 0x00, 0x01};
  return {bmpFile(5, 3, 8, 1, codes), rgbOfIndices({{0, 0, 0, 0, 5}, {1, 2, 3, 0, 0}, {7, 7, 7, 8, 8}}), 5, 3, 8};
}

// Our own writer's file with its rows turned round and its height negated.
Built bmpTopDown(int32_t bits) {
  const Buffer source = pattern(13, 7, bits);
  testutil::TempDir dir;
  const std::string name = dir.file("up.bmp");
  EXPECT_TRUE(tol::stillImageSave(StillFormat::Bmp, name.c_str(), source.image()));
  Bytes file = testutil::readFile(name);
  const size_t offset = file[10] | file[11] << 8, stride = (file.size() - offset) / 7;
  Bytes flipped(file.begin(), file.begin() + offset);
  for (int r = 6; r >= 0; --r) flipped.insert(flipped.end(), file.begin() + offset + r * stride,
                                              file.begin() + offset + (r + 1) * stride);
  const int32_t height = -7;
  std::memcpy(flipped.data() + 22, &height, 4);
  return {flipped, topDownRgb(source.image()), 13, 7, bits};
}

// PCX of indices index(x, y) below 2^(bits * planes), header colours from
// colourOf (a two-colour file is black and white whatever its header says),
// every byte coded as a run of one.
Built pcx(int bits, int planes, int32_t width, int32_t height) {
  auto index = [&](int32_t x, int32_t y) { return (x * 3 + y * 5 + x / 4) % (1 << (bits * planes)); };
  const size_t bytesPerLine = ((size_t(width) * bits + 7) / 8 + 1) & ~size_t(1);
  Bytes b(128, 0);
  b[0] = 10, b[1] = 5, b[2] = 1, b[3] = uint8_t(bits);
  b[8] = uint8_t(width - 1), b[10] = uint8_t(height - 1);
  for (int i = 0; i < 16; ++i)
    for (int c = 0; c < 3; ++c) b[16 + 3 * i + c] = colourOf(i, c);
  b[65] = uint8_t(planes), b[66] = uint8_t(bytesPerLine), b[68] = 1;
  Bytes rgb;
  for (int32_t y = 0; y < height; ++y) {
    for (int p = 0; p < planes; ++p) {
      Bytes line(bytesPerLine, 0);
      for (int32_t x = 0; x < width; ++x) {
        const int value = planes > 1 ? (index(x, y) >> p) & 1 : index(x, y);
        line[x * bits / 8] |= uint8_t(value << (8 - bits - (x * bits) % 8));
      }
      for (uint8_t v : line) b.insert(b.end(), {0xC1, v});
    }
    for (int32_t x = 0; x < width; ++x) {
      if (bits * planes == 1) rgb.insert(rgb.end(), 3, uint8_t(index(x, y) * 255));
      else appendColour(rgb, index(x, y));
    }
  }
  return {b, rgb, width, height, bits * planes};
}

// True-colour TGA of 16-bit pixels (five bits a channel) with the given
// descriptor (origin bits), from the pattern.
Built tga16(uint8_t descriptor) {
  const Buffer source = pattern(11, 6, 24);
  Bytes b(18, 0);
  b[2] = 2, b[12] = 11, b[14] = 6, b[16] = 16, b[17] = descriptor;
  const bool top = descriptor & 0x20, right = descriptor & 0x10;
  Bytes rgb;
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 11; ++x) {
      const uint8_t* p = source.row(y) + 3 * x;
      for (int c = 2; c >= 0; --c) rgb.push_back(uint8_t(((p[c] >> 3) * 255 + 15) / 31));
    }
  for (int32_t r = 0; r < 6; ++r)
    for (int32_t i = 0; i < 11; ++i) {
      const uint8_t* p = source.row(top ? r : 5 - r) + 3 * (right ? 10 - i : i);
      put16(b, 0x8000u | uint32_t(p[2] >> 3) << 10 | uint32_t(p[1] >> 3) << 5 | uint32_t(p[0] >> 3));
    }
  return {b, rgb, 11, 6, 16};
}

// Colour-mapped TGA whose 8 map entries stand for indices 100 to 107.
Built tgaMapFirst() {
  Bytes b(18, 0);
  b[1] = 1, b[2] = 1, b[3] = 100, b[5] = 8, b[7] = 24, b[12] = 4, b[14] = 2, b[16] = 8, b[17] = 0x20;
  for (int i = 0; i < 8; ++i) b.insert(b.end(), {colourOf(i, 2), colourOf(i, 1), colourOf(i, 0)});
  const int indices[8] = {100, 101, 102, 103, 107, 106, 105, 104};
  Bytes rgb;
  for (int i : indices) {
    b.push_back(uint8_t(i));
    appendColour(rgb, i - 100);
  }
  return {b, rgb, 4, 2, 8};
}

struct BuiltCase {
  const char* name;
  StillFormat format;
  const char* extension;
  std::function<Built()> make;
  // Largest sample difference to ImageMagick's reading: it widens 5-bit
  // samples by repeating bits where we round; it shows two-colour PCX
  // inverted, where we take the usual black for 0 and white for 1 (-1).
  int magickTolerance = 0;
};

const BuiltCase kCases[] = {
    {"bmp_rle4", StillFormat::Bmp, "bmp", bmpRle4},
    {"bmp_rle8", StillFormat::Bmp, "bmp", bmpRle8},
    {"bmp_top_down_8", StillFormat::Bmp, "bmp", [] { return bmpTopDown(8); }},
    {"bmp_top_down_24", StillFormat::Bmp, "bmp", [] { return bmpTopDown(24); }},
    {"pcx_1bit", StillFormat::Pcx, "pcx", [] { return pcx(1, 1, 19, 4); }, -1},
    {"pcx_2bit", StillFormat::Pcx, "pcx", [] { return pcx(2, 1, 9, 3); }},
    {"pcx_4bit", StillFormat::Pcx, "pcx", [] { return pcx(4, 1, 7, 5); }},
    {"pcx_4planes", StillFormat::Pcx, "pcx", [] { return pcx(1, 4, 21, 6); }},
    {"tga16_bottom_left", StillFormat::Tga, "tga", [] { return tga16(0x00); }, 1},
    {"tga16_top_left", StillFormat::Tga, "tga", [] { return tga16(0x20); }, 1},
    {"tga16_bottom_right", StillFormat::Tga, "tga", [] { return tga16(0x10); }, 1},
    {"tga16_top_right", StillFormat::Tga, "tga", [] { return tga16(0x30); }, 1},
    {"tga_map_first", StillFormat::Tga, "tga", tgaMapFirst},
};

class BuiltFile : public ::testing::TestWithParam<BuiltCase> {};

TEST_P(BuiltFile, ReadsAsBuilt) {
  const BuiltCase& c = GetParam();
  const Built built = c.make();
  testutil::TempDir dir;
  const std::string name = dir.file(std::string(c.name) + "." + c.extension);
  testutil::writeFile(name, built.file);

  StillInfo info{};
  ASSERT_TRUE(tol::stillImageInfo(c.format, name.c_str(), info));
  EXPECT_EQ(info.width, built.width);
  EXPECT_EQ(info.height, built.height);
  EXPECT_EQ(info.bitsPerPixel, built.bitsPerPixel);
  for (int32_t bits : {8, 24}) {
    if (bits == 8 && built.bitsPerPixel > 8) continue;
    Buffer loaded(built.width, built.height, bits);
    ASSERT_TRUE(tol::stillImageLoad(c.format, name.c_str(), loaded.image())) << bits << " bits";
    EXPECT_EQ(topDownRgb(loaded.image()), built.rgb) << bits << " bits";
  }
  if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  if (c.magickTolerance < 0) GTEST_SKIP() << "ImageMagick reads this layout differently";
  EXPECT_LE(largestDifference(imageMagickRgb(name), built.rgb), c.magickTolerance);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BuiltFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BuiltCase>& info) { return info.param.name; });

}  // namespace
