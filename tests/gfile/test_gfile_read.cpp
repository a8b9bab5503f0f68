// Graphics input behaviour at the exported interface, on raw frame files
// made here: range selection and rate conversion, placement, the raw frame
// kind, progress texts, cancel and the failures reported by name.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "gfile_test_util.h"

namespace {

using namespace gfiletest;

// The grey level of each delivered frame: which source frame it shows.
std::vector<int32_t> deliveredFrames(GFile* g, int32_t count) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < count; ++i) {
    if (!GFileGet(g)) break;
    out.push_back(static_cast<int32_t>(pixels(g)[0] & 255));
  }
  return out;
}

struct RangeCase {
  const char* what;
  Options options;
  int32_t frameCount, outFrameCount;
  std::vector<int32_t> frames;
};

class RangeAndRate : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeAndRate, DeliversTheRightSourceFrames) {
  const RangeCase& c = GetParam();
  testutil::TempDir dir;
  const std::string name = dir.file("n.raw");
  writeRaw(name, 4, 2, -100, numberedFrames(12, 4, 2));  // 10 frames per second
  GFile* g = open(name, c.options);
  ASSERT_NE(g, nullptr) << c.what;
  EXPECT_EQ(g->totalFrames, 12) << c.what;
  EXPECT_EQ(g->frameCount, c.frameCount) << c.what;
  EXPECT_EQ(g->outFrameCount, c.outFrameCount) << c.what;
  EXPECT_EQ(deliveredFrames(g, g->outFrameCount), c.frames) << c.what;
  // Past the end the last frame of the range comes.
  const int32_t last = (c.options.first > 0 ? std::min(c.options.first, 12) - 1 : 0) + c.frameCount - 1;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(GFileGet(g), 1);
    EXPECT_EQ(static_cast<int32_t>(pixels(g)[0] & 255), last) << c.what;
  }
  GFileReset(g);
  EXPECT_EQ(deliveredFrames(g, g->outFrameCount), c.frames) << c.what << " after reset";
  GFileClose(g);
}

Options rates(int32_t in, int32_t out) {
  Options o;
  o.inNum = in, o.inDen = 1, o.outNum = out, o.outDen = 1;
  return o;
}
Options range(int32_t first, int32_t last) {
  Options o;
  o.first = first, o.last = last;
  return o;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RangeAndRate,
    ::testing::Values(
        RangeCase{"the file's own rate", Options{}, 12, 12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        RangeCase{"15 to 10 frames per second drops every third", rates(15, 10), 12, 8, {0, 1, 3, 4, 6, 7, 9, 10}},
        RangeCase{"10 to 15 frames per second repeats every second",
                  rates(10, 15),
                  12,
                  18,
                  {0, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 8, 8, 9, 10, 10, 11}},
        RangeCase{"half the rate takes every second frame", rates(20, 10), 12, 6, {0, 2, 4, 6, 8, 10}},
        RangeCase{"double the rate shows each frame twice", rates(5, 10), 12, 24,
                  {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11}},
        RangeCase{"frames 3 to 5", range(3, 5), 3, 3, {2, 3, 4}},
        RangeCase{"a first frame beyond the count is the last frame", range(99, 0), 1, 1, {11}},
        RangeCase{"a last frame below the first gives one frame", range(5, 2), 1, 1, {4}},
        RangeCase{"a range and a rate", [] {
                    Options o = rates(15, 10);
                    o.first = 4, o.last = 9;
                    return o;
                  }(), 6, 4, {3, 4, 6, 7}}));

struct PlaceCase {
  const char* what;
  int32_t x, y, width, height;
  // Per output pixel: the source pixel it shows, or -1 for black.
  int32_t (*expected)(int32_t x, int32_t y);
};

class Placement : public ::testing::TestWithParam<PlaceCase> {};

constexpr int32_t kSw = 20, kSh = 6;
uint8_t sourceValue(int32_t x, int32_t y) { return static_cast<uint8_t>(1 + x + y * kSw); }

TEST_P(Placement, PutsThePictureWhereAsked) {
  const PlaceCase& c = GetParam();
  testutil::TempDir dir;
  const std::string name = dir.file("p.raw");
  RawFrame f{greyPalette(), {}};
  for (int32_t y = 0; y < kSh; ++y)
    for (int32_t x = 0; x < kSw; ++x) f.pixels.push_back(sourceValue(x, y));
  writeRaw(name, kSw, kSh, 0, {f});
  for (uint32_t flags : {uint32_t{GFILE_TRUE_COLOR}, 0u}) {
    Options o;
    o.flags = flags, o.x = c.x, o.y = c.y, o.width = c.width, o.height = c.height;
    GFile* g = open(name, o);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(GFileGet(g), 1);
    EXPECT_EQ(g->pitch, (flags ? 4 : 1) * ((g->width + 3) & ~3));
    std::vector<uint32_t> got = pixels(g);
    for (int32_t y = 0; y < g->height; ++y)
      for (int32_t x = 0; x < g->width; ++x) {
        int32_t v = c.expected(x, y);
        uint32_t want = v < 0 ? 0 : flags ? 0x010101u * v : static_cast<uint32_t>(v);
        ASSERT_EQ(got[y * g->width + x], want) << c.what << " at " << x << "," << y << " flags " << flags;
      }
    GFileClose(g);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(
        PlaceCase{"X -10 with 20 more columns gives 10 black columns each side", -10, 0, kSw + 20, 0,
                  [](int32_t x, int32_t y) { return x < 10 || x >= 10 + kSw ? -1 : int32_t{sourceValue(x - 10, y)}; }},
        PlaceCase{"a crop inside", 3, 2, 5, 3, [](int32_t x, int32_t y) { return int32_t{sourceValue(x + 3, y + 2)}; }},
        PlaceCase{"past the right and bottom edges", 15, 4, 10, 4,
                  [](int32_t x, int32_t y) { return x >= 5 || y >= 2 ? -1 : int32_t{sourceValue(x + 15, y + 4)}; }},
        PlaceCase{"a negative Y with a smaller output", 0, -2, 4, 4,
                  [](int32_t x, int32_t y) { return y < 2 ? -1 : int32_t{sourceValue(x, y - 2)}; }},
        PlaceCase{"entirely outside", kSw + 5, 0, 6, 2, [](int32_t, int32_t) { return -1; }},
        PlaceCase{"entirely left of the picture", -30, 0, 6, 2, [](int32_t, int32_t) { return -1; }}));

TEST(RawFrames, KindRatesTagsAndPalettes) {
  testutil::TempDir dir;
  const std::string name = dir.file("r.raw");
  std::vector<uint8_t> red(768, 0);
  for (int i = 0; i < 256; ++i) red[i * 3] = static_cast<uint8_t>(i);
  // Frame 1 keeps the picture (end tag only), frame 2 changes the palette only.
  std::vector<RawFrame> frames = {{greyPalette(), std::vector<uint8_t>(6 * 2, 7)},
                                  {{}, {}},
                                  {red, {}},
                                  {{}, std::vector<uint8_t>(6 * 2, 9)}};
  for (int32_t rate : {6667, -66, 0}) {
    writeRaw(name, 6, 2, rate, frames);
    GFile* g = open(name);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->kind, GFILE_KIND_RAW);
    EXPECT_STREQ(g->typeName, "");
    EXPECT_EQ(g->bitsPerPixel, 8);
    EXPECT_EQ(g->fileSize, testutil::readFile(name).size());
    const std::pair<int32_t, int32_t> expected = rate == 6667 ? std::make_pair(100000, 6667)
                                                 : rate == -66 ? std::make_pair(500, 33)
                                                               : std::make_pair(15, 1);
    EXPECT_EQ(std::make_pair(g->fileRateNum, g->fileRateDen), expected);
    std::vector<uint32_t> firstPixel;
    while (g->framesOut < g->outFrameCount && GFileGet(g)) {
      firstPixel.push_back(pixels(g)[0]);
      EXPECT_EQ(g->frameBytes, 12);
    }
    EXPECT_EQ(firstPixel, (std::vector<uint32_t>{0x070707, 0x070707, 0x070000, 0x090000}));
    GFileClose(g);
  }
  // Without extension the probes complete the name.
  writeRaw(dir.file("plain.raw"), 6, 2, 0, frames);
  GFile* g = open(dir.file("plain"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(std::string(g->name), dir.file("plain.raw"));
  GFileClose(g);
}

TEST(Messages, ProgressSkippingCancelAndFailures) {
  testutil::TempDir dir;
  const std::string name = dir.file("m.raw");
  writeRaw(name, 4, 2, -100, numberedFrames(12, 4, 2));
  g_messages = Messages{};
  Options o = range(4, 0);
  o.verb = "Compressing";
  GFile* g = open(name, o);
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(GFileGet(g), 1);
  EXPECT_EQ(pixels(g)[0], 0x030303u);
  EXPECT_TRUE(g_messages.has("Compressing frame 4 of 12...", 0));
  EXPECT_TRUE(g_messages.has("Skipping frame 1...", 1));
  EXPECT_TRUE(g_messages.has("Skipping frame 3...", 0));
  // A cancel leaves everything as it was; the call may be repeated.
  g_messages.answer = 1;
  EXPECT_EQ(GFileGet(g), 0);
  EXPECT_EQ(g->framesOut, 1);
  g_messages.answer = 0;
  ASSERT_EQ(GFileGet(g), 1);
  EXPECT_EQ(pixels(g)[0], 0x040404u);
  GFileClose(g);

  g_messages = Messages{};
  EXPECT_EQ(open(dir.file("nosuch")), nullptr);
  EXPECT_TRUE(g_messages.has("Error opening: " + dir.file("nosuch"), 2));
  EXPECT_EQ(open(dir.file("nosuch.avi")), nullptr);
  EXPECT_TRUE(g_messages.has("Error opening: " + dir.file("nosuch.avi"), 2));
  testutil::writeFile(dir.file("junk.dat"), std::vector<uint8_t>(100, 0x5A));
  EXPECT_EQ(open(dir.file("junk.dat")), nullptr);
  EXPECT_TRUE(g_messages.has("Error opening: " + dir.file("junk.dat"), 2));

  // A palette file that cannot be opened stops the palettised delivery.
  g_messages = Messages{};
  Options p;
  p.flags = 0;
  std::string missing = dir.file("missing.bmp");
  p.paletteFile = missing.c_str();
  g = open(name, p);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(GFileGet(g), 0);
  EXPECT_TRUE(g_messages.has("Error opening palette graphics file.", 2));
  GFileClose(g);
}

struct ListCase {
  const char* what;
  std::string text;  // "$" stands for the scratch folder
  int32_t frameCount;
  std::vector<int32_t> frames;  // first pixel of each frame, as grey level
  const char* error;
};

class Lists : public ::testing::TestWithParam<ListCase> {};

TEST_P(Lists, CountAndDeliverTheirEntries) {
  const ListCase& c = GetParam();
  testutil::TempDir dir;
  writeRaw(dir.file("a.raw"), 4, 2, -100, numberedFrames(3, 4, 2));
  std::vector<RawFrame> b = numberedFrames(2, 4, 2);
  for (RawFrame& f : b) std::fill(f.pixels.begin(), f.pixels.end(), static_cast<uint8_t>(f.pixels[0] + 50));
  writeRaw(dir.file("b.raw"), 4, 2, -100, b);
  for (int k = 0; k < 3; ++k) writeRaw(dir.file("s" + std::to_string(k) + ".raw"), 4, 2, -100, numberedFrames(1, 4, 2));
  std::string text = c.text;
  for (size_t p; (p = text.find('$')) != std::string::npos;) text.replace(p, 1, dir.path().string());
  const std::string list = dir.file("l.lst");
  testutil::writeFile(list, std::vector<uint8_t>(text.begin(), text.end()));
  g_messages = Messages{};
  GFile* g = open(text.find('\n') == std::string::npos && text.find('?') != std::string::npos ? text : list);
  if (c.error) {
    EXPECT_EQ(g, nullptr) << c.what;
    std::string error = c.error;
    for (size_t p; (p = error.find('$')) != std::string::npos;) error.replace(p, 1, dir.path().string());
    EXPECT_TRUE(g_messages.has(error, 2)) << c.what;
    return;
  }
  ASSERT_NE(g, nullptr) << c.what;
  EXPECT_EQ(g->kind, GFILE_KIND_LIST);
  EXPECT_STREQ(g->typeName, "List");
  EXPECT_EQ(g->frameCount, c.frameCount) << c.what;
  EXPECT_EQ(deliveredFrames(g, g->outFrameCount), c.frames) << c.what;
  GFileClose(g);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Lists,
    ::testing::Values(
        ListCase{"two files", "$/a.raw\n$/b.raw\n", 5, {0, 1, 2, 50, 51}, nullptr},
        ListCase{"/L3 contributes three times", "$/b.raw /L3\n", 6, {50, 51, 50, 51, 50, 51}, nullptr},
        ListCase{"/S and /E on a line", "# numbers\n\n$/a.raw /S2 /E3\n$/b.raw /E1", 3, {1, 2, 50}, nullptr},
        ListCase{"a numbered pattern in a list", "$/s?.raw*0-2\n$/b.raw", 5, {0, 0, 0, 50, 51}, nullptr},
        ListCase{"a numbered pattern on its own", "$/s?.raw*1-2", 2, {0, 0}, nullptr},
        ListCase{"comments and blanks only", "# one\n\n  \n#two\n", 0, {}, "No files in the list file."},
        ListCase{"a missing entry fails the list", "$/a.raw\n$/gone.raw\n", 0, {}, "Error opening: $/gone.raw"}));

TEST(Lists, FirstFrameInsideALaterEntry) {
  testutil::TempDir dir;
  writeRaw(dir.file("a.raw"), 4, 2, -100, numberedFrames(3, 4, 2));
  writeRaw(dir.file("b.raw"), 4, 2, -100, numberedFrames(4, 4, 2));
  const std::string list = dir.file("l.lst");
  std::string text = dir.file("a.raw") + "\n" + dir.file("b.raw") + "\n";
  testutil::writeFile(list, std::vector<uint8_t>(text.begin(), text.end()));
  Options o = range(5, 6);
  GFile* g = open(list, o);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(deliveredFrames(g, 2), (std::vector<int32_t>{1, 2}));
  GFileClose(g);
}

TEST(Lists, AListNamingItselfIsRefused) {
  testutil::TempDir dir;
  const std::string list = dir.file("self.lst");
  testutil::writeFile(list, std::vector<uint8_t>(list.begin(), list.end()));
  EXPECT_EQ(open(list), nullptr);
}

}  // namespace

namespace {

// A 24-bit bottom-up BMP of the given size, every pixel the same grey.
std::vector<uint8_t> bmp(int32_t w, int32_t h, uint8_t grey) {
  const uint32_t pitch = (uint32_t(w) * 3 + 3) & ~3u, size = 54 + pitch * uint32_t(h);
  std::vector<uint8_t> b = {'B', 'M'};
  put32(b, size);
  put32(b, 0);
  put32(b, 54);
  put32(b, 40);
  put32(b, uint32_t(w));
  put32(b, uint32_t(h));
  put32(b, 1 | 24 << 16);
  put32(b, 0);
  put32(b, pitch * uint32_t(h));
  for (int i = 0; i < 4; ++i) put32(b, 0);
  b.resize(size, grey);
  return b;
}

TEST(Stills, LimitOf4096PixelsAndTiffCompressionFive) {
  testutil::TempDir dir;
  for (int32_t w : {4096, 4097}) {
    const std::string name = dir.file("w" + std::to_string(w) + ".bmp");
    testutil::writeFile(name, bmp(w, 1, 77));
    g_messages = Messages{};
    GFile* g = open(name);
    if (w == 4096) {
      ASSERT_NE(g, nullptr);
      EXPECT_EQ(g->kind, GFILE_KIND_BMP);
      ASSERT_EQ(GFileGet(g), 1);
      EXPECT_EQ(pixels(g)[4095], 0x4D4D4Du);
      GFileClose(g);
    } else {
      EXPECT_EQ(g, nullptr);
      EXPECT_TRUE(g_messages.has("Error opening: " + name, 2));
    }
  }
  if (access("/usr/bin/convert", X_OK) != 0) GTEST_SKIP() << "no ImageMagick to write TIFF files";
  for (const char* compression : {"None", "LZW"}) {
    const std::string name = dir.file(std::string("c") + compression + ".tif");
    const std::string command = "/usr/bin/convert -size 8x4 xc:gray50 -compress " + std::string(compression) + " '" +
                                name + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    GFile* g = open(name);
    if (std::string(compression) == "None") {
      ASSERT_NE(g, nullptr);
      EXPECT_EQ(g->kind, GFILE_KIND_TIF);
      GFileClose(g);
    } else {
      EXPECT_EQ(g, nullptr) << "compression code 5 is not a TIF still";
    }
  }
}

}  // namespace
