// Still images through the graphics input, inside the library: true-colour
// PNG and JPEG pictures loaded straight into the delivered frame match the
// same pictures converted from a loader's buffer, a still whose buffer
// cannot be allocated says so and keeps the frame, and an animated GIF
// delivers its frames for their delays.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "media/gfile.h"
#include "media/gfile_probes.h"
#include "media/still_image.h"
#include "testutil.h"

namespace {

using tol::GFileState;

constexpr int32_t kW = 37, kH = 21;  // odd sizes: rows of every remainder

// Something different in every channel, with sharp and soft changes.
uint8_t sample(int32_t x, int32_t y, int32_t c) { return uint8_t(x * 7 + y * 13 + c * 85 + (x * y) % 31); }

void writePng(const std::string& name, int colourType, int depth, bool interlaced) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, kW, kH, depth, colourType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = png_get_channels(png, info), bytes = depth / 8;
  std::vector<uint8_t> row(size_t(kW) * channels * bytes);
  for (int pass = png_set_interlace_handling(png); pass > 0; --pass)
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x)
        for (int c = 0; c < channels; ++c)
          for (int b = 0; b < bytes; ++b) row[(size_t(x) * channels + c) * bytes + b] = uint8_t(sample(x, y, c) ^ (b * 0x5A));
      png_write_row(png, row.data());
    }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

void writeStill(const std::string& name, tol::StillFormat format, int32_t quality) {
  std::vector<uint8_t> px(size_t(kW) * 3 * kH);
  tol::StillImage image{};
  image.width = kW, image.height = kH, image.bits = 24, image.pitch = kW * 3, image.pixels = px.data();
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW * 3; ++x) px[size_t(kH - 1 - y) * kW * 3 + x] = sample(x / 3, y, x % 3);
  ASSERT_TRUE(tol::stillImageSave(format, name.c_str(), image, quality));
}

std::vector<std::pair<int32_t, std::string>> g_seen;
int32_t TOL_CC capture(const char* text, int32_t kind) {
  g_seen.emplace_back(kind, text ? text : "");
  return 0;
}
bool seen(const std::string& text, int32_t kind) {
  for (const auto& m : g_seen)
    if (m.first == kind && m.second == text) return true;
  return false;
}

GFileState* openStill(const std::string& name, uint32_t flags, int32_t margin = 0) {
  const int32_t w = margin ? kW + 2 * margin : 0, h = margin ? kH + 2 * margin : 0;
  return tol::GFileOpen(name.c_str(), flags, 0, 0, 0, 0, -margin, -margin, w, h, 0, 0, 0, 0, 0, 256, 0, 0, 0,
                        nullptr, nullptr, capture);
}

// The picture of the frame just delivered, kW x kH from (margin, margin).
std::vector<uint32_t> picture(const GFileState& g, int32_t margin) {
  std::vector<uint32_t> out;
  const int32_t bytes = g.trueColor ? 4 : 1;
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, g.frameBuffer + size_t(y + margin) * g.pitch + size_t(x + margin) * bytes, bytes);
      out.push_back(v);
    }
  return out;
}

// The first frame of name as delivered in true colour.
std::vector<uint32_t> firstFrame(const std::string& name, int32_t margin) {
  GFileState* g = openStill(name, GFILE_TRUE_COLOR, margin);
  EXPECT_NE(g, nullptr) << name;
  if (!g) return {};
  EXPECT_EQ(tol::GFileGet(*g), 1);
  std::vector<uint32_t> out = picture(*g, margin);
  tol::GFileClose(g);
  return out;
}

// Restores the still buffer limit however a test ends.
struct BufferLimit {
  explicit BufferLimit(size_t bytes) { tol::setStillBufferLimit(bytes); }
  ~BufferLimit() { tol::setStillBufferLimit(SIZE_MAX); }
};

struct DirectCase {
  const char* what;
  void (*write)(const std::string& name);
};

class StraightIntoTheFrame : public ::testing::TestWithParam<DirectCase> {};

// Placed with a margin the picture goes through the loader's buffer and the
// conversion; at its own size it needs no buffer at all (none can be had),
// alone or as a member of a numbered sequence, and gives the same pixels.
TEST_P(StraightIntoTheFrame, MatchesTheConvertedPicture) {
  const DirectCase& c = GetParam();
  testutil::TempDir dir;
  const std::string name = dir.file("pic0000" + std::string(std::strrchr(c.what, '.')));
  c.write(name);
  const std::vector<uint32_t> converted = firstFrame(name, 3);
  ASSERT_EQ(converted.size(), size_t(kW) * kH);
  BufferLimit none(0);
  g_seen.clear();
  EXPECT_EQ(firstFrame(name, 0), converted) << c.what;
  EXPECT_EQ(firstFrame(dir.file("pic????" + std::string(std::strrchr(c.what, '.')) + "*0-0"), 0), converted)
      << c.what << " in a sequence";
  EXPECT_FALSE(seen("Out of memory", TOL_MESSAGE_ERROR)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, StraightIntoTheFrame,
    ::testing::Values(
        DirectCase{"rgb.png", [](const std::string& n) { writePng(n, PNG_COLOR_TYPE_RGB, 8, false); }},
        DirectCase{"rgba.png", [](const std::string& n) { writePng(n, PNG_COLOR_TYPE_RGB_ALPHA, 8, false); }},
        DirectCase{"rgb16_interlaced.png", [](const std::string& n) { writePng(n, PNG_COLOR_TYPE_RGB, 16, true); }},
        DirectCase{"grey_alpha.png", [](const std::string& n) { writePng(n, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false); }},
        DirectCase{"grey16.png", [](const std::string& n) { writePng(n, PNG_COLOR_TYPE_GRAY, 16, false); }},
        DirectCase{"subsampled.jpg", [](const std::string& n) { writeStill(n, tol::StillFormat::Jpeg, 75); }},
        DirectCase{"full_colour.jpg", [](const std::string& n) { writeStill(n, tol::StillFormat::Jpeg, 95); }}),
    [](const ::testing::TestParamInfo<DirectCase>& i) {
      std::string s = i.param.what;
      for (char& ch : s)
        if (ch == '.') ch = '_';
      return s;
    });

// A list of two stills whose second buffer cannot be allocated: "Out of
// memory", and the first picture is delivered again, in either output.
TEST(StillBuffer, OutOfMemoryKeepsTheFrame) {
  testutil::TempDir dir;
  writeStill(dir.file("a0000.bmp"), tol::StillFormat::Bmp, 0);
  std::vector<uint8_t> other = testutil::readFile(dir.file("a0000.bmp"));
  for (size_t i = 54; i < other.size(); ++i) other[i] = uint8_t(255 - other[i]);
  testutil::writeFile(dir.file("a0001.bmp"), other);
  for (uint32_t flags : {uint32_t(GFILE_TRUE_COLOR), 0u}) {
    GFileState* g = openStill(dir.file("a????.bmp*0-1"), flags);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(tol::GFileGet(*g), 1);
    const std::vector<uint32_t> first = picture(*g, 0);
    {
      BufferLimit none(0);
      g_seen.clear();
      EXPECT_EQ(tol::GFileGet(*g), 1) << flags;
      EXPECT_TRUE(seen("Out of memory", TOL_MESSAGE_ERROR)) << flags;
      EXPECT_EQ(picture(*g, 0), first) << flags;
    }
    tol::GFileReset(*g);
    ASSERT_EQ(tol::GFileGet(*g), 1);
    ASSERT_EQ(tol::GFileGet(*g), 1);
    EXPECT_NE(picture(*g, 0), first) << flags << ": with memory the second picture comes";
    tol::GFileClose(g);
  }
}

// An animated GIF of 8 x 4 pixels on a black background (global colours
// black, red, green, blue), each frame with a graphics control block.
struct GifFrame {
  int left, top, width, height;
  GifByteType index;  // every pixel's colour index
  int delay, disposal, transparent;
  bool whiteTable;  // a local table in which index 1 is white
};

void writeGif(const std::string& name, const std::vector<GifFrame>& frames) {
  GifColorType global[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  GifColorType local[4] = {{0, 0, 0}, {255, 255, 255}, {0, 255, 0}, {0, 0, 255}};
  int error = 0;
  GifFileType* gif = EGifOpenFileName(name.c_str(), false, &error);
  ASSERT_NE(gif, nullptr);
  EGifSetGifVersion(gif, true);
  ColorMapObject* globalMap = GifMakeMapObject(4, global);
  ColorMapObject* localMap = GifMakeMapObject(4, local);
  ASSERT_EQ(EGifPutScreenDesc(gif, 8, 4, 2, 0, globalMap), GIF_OK);
  for (const GifFrame& f : frames) {
    GraphicsControlBlock control{f.disposal, false, f.delay, f.transparent};
    GifByteType block[4];
    const size_t length = EGifGCBToExtension(&control, block);
    ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), block), GIF_OK);
    if (!f.whiteTable && gif->Image.ColorMap) {
      // giflib forgets the last frame's own table, unfreed, when this one has none.
      GifFreeMapObject(gif->Image.ColorMap);
      gif->Image.ColorMap = nullptr;
    }
    ASSERT_EQ(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, f.whiteTable ? localMap : nullptr),
              GIF_OK);
    for (int y = 0; y < f.height; ++y) {
      std::vector<GifPixelType> line(size_t(f.width), f.index);
      if (f.transparent >= 0 && y == 0) line[0] = GifPixelType(f.transparent);  // the top left pixel shows through
      ASSERT_EQ(EGifPutLine(gif, line.data(), f.width), GIF_OK);
    }
  }
  ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
  GifFreeMapObject(globalMap);
  GifFreeMapObject(localMap);
}

// Frames of 1/10, 2/10, 1/10 s and no delay: 10 frames a second, the second
// GIF frame twice. Disposal: none, to background, to previous.
TEST(GifAnimation, FramesForTheirDelaysComposedOnTheScreen) {
  testutil::TempDir dir;
  const std::string name = dir.file("anim.gif");
  writeGif(name, {{0, 0, 8, 4, 1, 10, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, false},
                  {0, 0, 4, 4, 1, 20, DISPOSE_BACKGROUND, 3, true},
                  {4, 0, 4, 4, 3, 10, DISPOSE_PREVIOUS, NO_TRANSPARENT_COLOR, false},
                  {4, 0, 2, 2, 2, 0, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR, false}});
  constexpr uint32_t kBlack = 0, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
  // Pixels (0,0), (1,1), (4,0), (7,3) of each source frame.
  const std::vector<std::vector<uint32_t>> expected = {{kRed, kRed, kRed, kRed},
                                                       {kRed, kWhite, kRed, kRed},
                                                       {kRed, kWhite, kRed, kRed},
                                                       {kBlack, kBlack, kBlue, kBlue},
                                                       {kBlack, kBlack, kGreen, kRed}};
  for (int32_t first : {0, 4}) {
    GFileState* g = tol::GFileOpen(name.c_str(), GFILE_TRUE_COLOR, 0, 0, 0, 0, 0, 0, 0, 0, first, 0, 0, 0, 0, 256, 0,
                                   0, 0, nullptr, nullptr, capture);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->kind, GFILE_KIND_GIF);
    EXPECT_EQ(g->bitsPerPixel, 24);
    EXPECT_EQ(g->totalFrames, 5);
    EXPECT_EQ(g->fileRateNum, 10);
    EXPECT_EQ(g->fileRateDen, 1);
    for (int pass = 0; pass < 2; ++pass) {
      for (int32_t k = first ? first - 1 : 0; k < 5; ++k) {
        ASSERT_EQ(tol::GFileGet(*g), 1);
        std::vector<uint32_t> seen;
        for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {4, 0}, {7, 3}})
          seen.push_back(reinterpret_cast<const uint32_t*>(g->frameBuffer + size_t(y) * g->pitch)[x]);
        EXPECT_EQ(seen, expected[size_t(k)]) << "source frame " << k << ", pass " << pass;
      }
      tol::GFileReset(*g);
    }
    tol::GFileClose(g);
  }
}

}  // namespace
