// The decoder-backed kinds made here by our writers (Zurn, Pleven), and the
// command-line switches of the graphics input.
#include <gtest/gtest.h>

#include <cmath>

#include "gfile_test_util.h"
#include "tol/plevenwriter.h"
#include "tol/zurnmake.h"

namespace {

using namespace gfiletest;

constexpr int32_t kW = 64, kH = 48;

// 0x00RRGGBB pixels of a smooth picture that drifts with k.
std::vector<uint32_t> smoothPicture(int32_t k) {
  std::vector<uint32_t> px;
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x)
      px.push_back(uint32_t(40 + 2 * x + 3 * k) << 16 | uint32_t(60 + 3 * y) << 8 | uint32_t(90 + x + y));
  return px;
}

int32_t TOL_CC silence(void*, void*, void* buffer, int32_t bytes) {
  std::memset(buffer, 0, size_t(bytes));
  return bytes & ~1;
}

std::string writeZurn(const testutil::TempDir& dir, int32_t frames) {
  const std::string name = dir.file("clip" + std::to_string(frames) + ".zrn");
  ZurnMakeSoundTrack track{7, 11025, 16, 1, 0, nullptr, silence};
  ZurnMakeState* job = ZurnMake(name.c_str(), kW * 4, kW, kH, uint32_t(frames), 0, 0, 25, 2, 1, &track, 3, nullptr);
  if (!job) return "";
  for (int32_t k = 0; k < frames; ++k) ZurnMakePutVideo(job, 20000, 40000, 0, smoothPicture(k).data());
  return ZurnMakeClose(job, 0) > 0 ? name : "";
}

TEST(ZurnKind, DecodesEveryFrameAndSkipsToTheFirst) {
  testutil::TempDir dir;
  const std::string name = writeZurn(dir, 12);
  ASSERT_FALSE(name.empty());
  GFile* g = open(name);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->kind, GFILE_KIND_ZURN);
  EXPECT_STREQ(g->typeName, "Zurn");
  EXPECT_EQ(g->bitsPerPixel, 32);
  EXPECT_EQ(g->hasSound, 1);
  EXPECT_EQ(std::make_pair(g->fileRateNum, g->fileRateDen), std::make_pair(25, 2));
  EXPECT_EQ(g->frameCount, 12);
  std::vector<std::vector<uint32_t>> frames;
  for (int32_t k = 0; k < 12; ++k) {
    ASSERT_EQ(GFileGet(g), 1);
    EXPECT_GT(g->frameBytes, 0);
    frames.push_back(pixels(g));
    EXPECT_GT(psnr(frames.back(), smoothPicture(k)), 30.0) << k;
  }
  GFileClose(g);

  Options o;
  o.first = 6;
  g = open(name, o);
  ASSERT_NE(g, nullptr);
  for (int32_t k = 5; k < 12; ++k) {
    ASSERT_EQ(GFileGet(g), 1);
    EXPECT_EQ(pixels(g), frames[size_t(k)]) << k;
  }
  GFileReset(g);
  ASSERT_EQ(GFileGet(g), 1);
  EXPECT_EQ(pixels(g), frames[5]);
  GFileClose(g);
}

TEST(ZurnKind, TenTrueColourFramesForPalettisedOutputGoThroughTheWorkingCopy) {
  testutil::TempDir dir;
  const std::string name = writeZurn(dir, 10);
  ASSERT_FALSE(name.empty());
  for (int32_t last : {9, 10}) {
    Options o;
    o.flags = 0, o.last = last;
    GFile* g = open(name, o);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->sourceBits, 32);
    EXPECT_EQ(g->bitsPerPixel, last == 10 ? 24 : 32) << last;
    ASSERT_EQ(GFileGet(g), 1);
    EXPECT_EQ(g->frameBits, last == 10 ? 24 : 32);
    EXPECT_GT(psnr(paletteColours(g), smoothPicture(0)), 28.0);
    GFileClose(g);
  }
}

TEST(PlevenKind, DeliversTheWrittenIndicesAndPalettes) {
  testutil::TempDir dir;
  const std::string name = dir.file("p.plv");
  PlevWriterSettings s{};
  s.width = 20, s.height = 10, s.rate = 66, s.keyInterval = 4;
  PlevWriter* w = PlevWriterCreate(name.c_str(), &s);
  ASSERT_NE(w, nullptr);
  std::vector<std::vector<uint8_t>> written;
  std::vector<uint8_t> pal = greyPalette();
  for (int32_t k = 0; k < 8; ++k) {
    std::vector<uint8_t> px(200);
    for (int i = 0; i < 200; ++i) px[size_t(i)] = uint8_t((i + 7 * k) & 63);
    if (k == 5)
      for (uint8_t& v : pal) v = uint8_t(v & 0xFC);  // a palette change at frame 5
    ASSERT_EQ(PlevWriterPutFrame(w, px.data(), 20, pal.data(), nullptr, nullptr), 1);
    written.push_back(px);
  }
  ASSERT_EQ(PlevWriterClose(w), 1);

  Options o;
  o.flags = 0;
  GFile* g = open(dir.file("p"), o);  // the extension is found
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->kind, GFILE_KIND_PLEVEN);
  EXPECT_STREQ(g->typeName, "Pleven");
  EXPECT_EQ(std::string(g->name), name);
  EXPECT_EQ(std::make_pair(g->fileRateNum, g->fileRateDen), std::make_pair(500, 33));
  EXPECT_EQ(g->frameCount, 8);
  for (int32_t k = 0; k < 8; ++k) {
    ASSERT_EQ(GFileGet(g), 1);
    std::vector<uint32_t> got = pixels(g);
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end()), written[size_t(k)]) << k;
  }
  GFileClose(g);
  // Starting inside the file decodes the frames before and keeps the palette.
  o.flags = GFILE_TRUE_COLOR, o.first = 7;
  g = open(name, o);
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(GFileGet(g), 1);
  std::vector<uint32_t> got = pixels(g);
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i] >> 16, uint32_t(written[6][i] & 0xFC)) << i;
  GFileClose(g);
}

// The words of a text, one blank apart (removed switches leave blanks).
std::string words(const char* text) {
  std::string out, word;
  for (const char* p = text;; ++p) {
    if (*p && *p != ' ') {
      word += *p;
      continue;
    }
    if (!word.empty()) out += (out.empty() ? "" : " ") + word;
    word.clear();
    if (!*p) return out;
  }
}

struct SwitchCase {
  const char* text;
  std::vector<int32_t> values;  // inNum, inDen, outNum, outDen, x, y, w, h, s, e, p, u, i, q, $, d, t
  const char* paletteFile;
  const char* rest;
};

class Switches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, AreReadLimitedAndNormalised) {
  const SwitchCase& c = GetParam();
  char text[256];
  std::snprintf(text, sizeof text, "%s", c.text);
  int32_t v[17] = {};
  uint8_t mode = 9, systemColours = 9, mode24 = 9;
  char paletteFile[GFILE_NAME_SIZE] = "x";
  GFileCommandLine(text, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &mode, &v[11],
                   &v[12], &v[13], &v[14], &systemColours, &mode24, paletteFile);
  v[10] = mode, v[15] = systemColours, v[16] = mode24;
  EXPECT_EQ(std::vector<int32_t>(v, v + 17), c.values) << c.text;
  EXPECT_STREQ(paletteFile, c.paletteFile) << c.text;
  EXPECT_EQ(words(text), c.rest) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Switches,
    ::testing::Values(
        SwitchCase{"in.avi", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65536, 0, 256, 0, 0, 0}, "", "in.avi"},
        SwitchCase{"a /Q300", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65536, 0, 256, 0, 0, 0}, "", "a"},
        SwitchCase{"a /Q200", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65536, 28, 200, 0, 0, 0}, "", "a"},
        SwitchCase{"a /I100 /Q200", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65536, 56, 200, 0, 0, 0}, "", "a"},
        SwitchCase{"a /I2147483647 /Q200", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65536, 56, 200, 0, 0, 0}, "", "a"},
        SwitchCase{"a /F-66", {500, 33, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65536, 0, 256, 0, 0, 0}, "", "a"},
        SwitchCase{"a /F-6666 /A29.97", {50000, 3333, 2997, 100, 0, 0, 0, 0, 0, 0, 0, 65536, 0, 256, 0, 0, 0}, "", "a"},
        SwitchCase{"a /A30;1.001 /F15", {15, 1, 30000, 1001, 0, 0, 0, 0, 0, 0, 0, 65536, 0, 256, 0, 0, 0}, "", "a"},
        SwitchCase{"a /X-10 /Y5 /W340 /H250 /S2 /E9",
                   {0, 0, 0, 0, -10, 5, 340, 250, 2, 9, 0, 65536, 0, 256, 0, 0, 0}, "", "a"},
        SwitchCase{"a /U0 /P2 /$64 /D1 /T2 /&pal.bmp b",
                   {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 65536, 0, 256, 64, 1, 2}, "pal.bmp", "a b"},
        SwitchCase{"a /U10 /Q0 /I-5", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 256, 0, 0, 0}, "", "a"}));

TEST(Switches, NullPointersLeaveTheirSwitchesButPlacementIsAlwaysRemoved) {
  char text[] = "a /X5 /Y6 /W7 /H8 /S1 /E2 /F10 /Q100";
  GFileCommandLine(text, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(words(text), "a /F10 /Q100");
}

}  // namespace
