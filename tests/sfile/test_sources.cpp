// Sources delivered at their own format: WAVE files as users bring them,
// headerless PCM, the corpus, and the refusals of what is not PCM.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sfile_helpers.h"
#include "testutil.h"

using namespace sfiletest;

namespace {

std::vector<std::string> messages;
int32_t TOL_CC collect(const char* text, int32_t kind) {
  if (kind == TOL_MESSAGE_ERROR) messages.emplace_back(text);
  return 0;
}

Bytes pattern(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return b;
}

struct WaveCase {
  const char* name;
  WaveLayout layout;
  size_t dataBytes;
};

class WaveVariants : public ::testing::TestWithParam<WaveCase> {};

TEST_P(WaveVariants, DeliverTheDataAtTheSourceFormat) {
  const WaveCase& c = GetParam();
  testutil::TempDir dir;
  const std::string name = dir.file("in.wav");
  const Bytes data = pattern(c.dataBytes);
  testutil::writeFile(name, waveFile(c.layout, data));

  SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->typeName, "Wave");
  EXPECT_EQ(s->kind, SFILE_KIND_WAVE);
  EXPECT_EQ(s->srcRate, static_cast<int32_t>(c.layout.rate));
  EXPECT_EQ(s->outBits, static_cast<int32_t>(c.layout.bits));
  EXPECT_EQ(s->outChannels, static_cast<int32_t>(c.layout.channels));
  EXPECT_EQ(s->length, c.dataBytes);
  const size_t block = c.layout.bits * c.layout.channels / 8;
  const Bytes got = readAll(s, 1000);
  EXPECT_EQ(got, Bytes(data.begin(), data.begin() + c.dataBytes / block * block));
  EXPECT_EQ(s->atEnd, 1);
  SFileClose(s);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WaveVariants,
    ::testing::Values(WaveCase{"plain16mono", {1, 1, 22050, 16}, 5000},
                      WaveCase{"plain8stereo", {1, 2, 11025, 8}, 3000},
                      WaveCase{"extensible16stereo", {1, 2, 44100, 16, true}, 40000},
                      WaveCase{"chunksAround", {1, 1, 8000, 8, false, true, true}, 777},
                      WaveCase{"oddData16", {1, 1, 22050, 16, false, false, true}, 1001},
                      WaveCase{"dataOverrunsFile", {1, 2, 22050, 16, false, true, false, 100000}, 4002},
                      WaveCase{"dataOverrunsOdd", {1, 1, 11025, 8, false, false, false, 9}, 999}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WaveRefusals, WhatIsNotPcmIsRefusedWithTheMessage) {
  struct Case {
    const char* what;
    Bytes file;
  };
  WaveLayout floatTag{3, 1, 22050, 32};
  WaveLayout adpcm{2, 1, 22050, 4};
  WaveLayout extensibleFloat{3, 2, 44100, 32, true};
  WaveLayout pcm24{1, 2, 44100, 24};
  WaveLayout sixChannels{1, 6, 44100, 16};
  WaveLayout noRate{1, 1, 0, 16};
  Bytes noData = waveFile(WaveLayout{}, {});
  noData.resize(12 + 8 + 16);  // "fmt " only
  const Case cases[] = {
      {"float", waveFile(floatTag, pattern(400))},         {"adpcm", waveFile(adpcm, pattern(400))},
      {"extensible float", waveFile(extensibleFloat, pattern(400))},
      {"24-bit", waveFile(pcm24, pattern(600))},           {"six channels", waveFile(sixChannels, pattern(600))},
      {"rate 0", waveFile(noRate, pattern(600))},          {"no data chunk", noData},
      {"not RIFF", pattern(300)},                          {"empty", {}},
  };
  testutil::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = dir.file("bad.wav");
    testutil::writeFile(name, c.file);
    messages.clear();
    EXPECT_EQ(SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, collect), nullptr);
    EXPECT_EQ(messages, std::vector<std::string>{"Error opening the audio input file."});
  }
  messages.clear();
  EXPECT_EQ(SFileOpen(dir.file("missing.wav").c_str(), 0, 0, 0, 0, 0, 0, 0, 0, collect), nullptr);
  EXPECT_EQ(messages, std::vector<std::string>{"Error opening the audio input file."});
}

TEST(WaveNames, WaveIsAppendedToANameWithoutExtension) {
  testutil::TempDir dir;
  testutil::writeFile(dir.file("tune.wav"), waveFile(WaveLayout{}, pattern(100)));
  SFile* s = SFileOpen(dir.file("tune").c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::string(s->name), dir.file("tune.wav"));
  SFileClose(s);
}

TEST(RawPcm, DescriptionAndOffsetSayWhatTheBytesAre) {
  struct Case {
    uint32_t description, offset;
    int32_t rate, bits, channels;
    uint32_t from;  // first byte delivered
  };
  const Case cases[] = {
      {2 + 8 * 22050, 0, 22050, 16, 1, 0},    // /Y3 /D22050: 16-bit mono
      {1 + 8 * 11025, 10, 11025, 8, 2, 10},   // 8-bit stereo from byte 10
      {3 + 8 * 44100, 44, 44100, 16, 2, 44},  // a WAVE's body read as raw
      {0 + 8 * 8000, 99999, 8000, 8, 1, 1999},  // offset beyond the file: its last byte
      {2, 0, 11025, 16, 1, 0},                // no rate in the description
  };
  testutil::TempDir dir;
  const std::string name = dir.file("sound.raw");
  const Bytes bytes = pattern(2000);
  testutil::writeFile(name, bytes);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, c.description, c.offset, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->srcRate, c.rate);
    EXPECT_EQ(s->srcBits, c.bits);
    EXPECT_EQ(s->srcChannels, c.channels);
    EXPECT_EQ(s->length, 2000 - c.from);
    const size_t whole = (2000 - c.from) / s->srcBlock * s->srcBlock;
    EXPECT_EQ(readAll(s, 512), Bytes(bytes.begin() + c.from, bytes.begin() + c.from + whole));
    SFileClose(s);
  }
}

// The corpus WAVE files, and their bodies read as headerless PCM.
TEST(Corpus, WaveFilesDeliverTheirDataExactly) {
  struct Case {
    const char* file;
    int32_t rate, bits;
    uint32_t dataBytes;
  };
  const Case cases[] = {{"audio/speech_16bit_mono_22050.wav", 22050, 16, 254376},
                        {"audio/chord_8bit_mono_11025.wav", 11025, 8, 44100}};
  for (const Case& c : cases) {
    TOL_REQUIRE_FILE(name, testutil::corpusFile(c.file));
    const Bytes file = testutil::readFile(name);
    const Bytes body(file.begin() + 44, file.begin() + 44 + c.dataBytes);
    SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->srcRate, c.rate);
    EXPECT_EQ(s->srcBits, c.bits);
    EXPECT_EQ(s->srcChannels, 1);
    EXPECT_EQ(readAll(s), body);
    SFileClose(s);

    const uint32_t raw = (c.bits == 16 ? SFILE_RAW_16BIT : 0) + (static_cast<uint32_t>(c.rate) << 3);
    s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, raw, 44, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(readAll(s), body);
    SFileClose(s);
  }
}

}  // namespace
