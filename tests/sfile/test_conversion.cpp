// Delivery in another format: rate conversion measured on sines, 8/16-bit
// and mono/stereo round trips, and the conversion's edge cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sfile_helpers.h"
#include "testutil.h"

using namespace sfiletest;

namespace {

struct Written {
  testutil::TempDir dir;
  std::string name = dir.file("in.wav");
};

// A WAVE of the samples at the given format (8-bit files from 16-bit
// samples by their high byte).
void writeWave(const std::string& name, uint32_t rate, uint32_t bits, uint32_t channels,
               const std::vector<int16_t>& s) {
  Bytes data;
  if (bits == 16) data = fromSamples(s);
  else
    for (int16_t v : s) data.push_back(static_cast<uint8_t>((v >> 8) + 128));
  testutil::writeFile(name, waveFile(WaveLayout{1, channels, rate, bits}, data));
}

Bytes readConverted(const std::string& name, int32_t rate, int32_t bits, int32_t channels) {
  SFile* s = SFileOpen(name.c_str(), rate, bits, channels, 0, 0, 0, 0, 0, nullptr);
  EXPECT_NE(s, nullptr);
  if (!s) return {};
  Bytes out = readAll(s, 3000);
  SFileClose(s);
  return out;
}

struct RateCase {
  uint32_t from, to, channels;
};

class RateConversion : public ::testing::TestWithParam<RateCase> {};

TEST_P(RateConversion, KeepsASineFrequencyAndLevel) {
  const RateCase c = GetParam();
  const double frequency = 441, amplitude = 12000;
  const uint32_t frames = c.from;  // one second
  Written w;
  writeWave(w.name, c.from, 16, c.channels, sine(c.from, c.channels, frequency, amplitude, frames));
  const std::vector<int16_t> out = toSamples(readConverted(w.name, static_cast<int32_t>(c.to), 16, 0));
  const double expectedFrames = double(frames) * c.to / c.from;
  EXPECT_NEAR(double(out.size()) / c.channels, expectedFrames, 2.0);
  for (uint32_t ch = 0; ch < c.channels; ++ch) {
    std::vector<int16_t> channel;
    for (size_t i = ch; i < out.size(); i += c.channels) channel.push_back(out[i]);
    const Measure m = measure(channel, 1, c.to);
    EXPECT_NEAR(m.frequency, frequency, frequency * 0.002);
    EXPECT_NEAR(m.rms, amplitude / std::sqrt(2.0), amplitude / std::sqrt(2.0) * 0.03);
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, RateConversion,
                         ::testing::Values(RateCase{22050, 44100, 1}, RateCase{44100, 11025, 2},
                                           RateCase{11025, 22050, 2}, RateCase{44100, 22050, 1},
                                           RateCase{8000, 44100, 1}, RateCase{44100, 8000, 1}));

// 16 -> 8 -> 16 bits keeps the high bytes; 8 -> 16 -> 8 and mono -> stereo
// -> mono are exact.
TEST(FormatRoundTrips, WidthAndChannelsComeBack) {
  const std::vector<int16_t> tone = sine(11025, 1, 300, 20000, 2000);
  std::vector<int16_t> eightBitTone;
  for (int16_t v : tone) eightBitTone.push_back(static_cast<int16_t>((v >> 8) * 256));
  Written w;

  writeWave(w.name, 11025, 8, 1, tone);
  const Bytes original = readConverted(w.name, 0, 0, 0);
  const Bytes wide = readConverted(w.name, 0, 16, 2);
  ASSERT_EQ(wide.size(), original.size() * 4);
  const std::vector<int16_t> wideSamples = toSamples(wide);
  for (size_t i = 0; i < original.size(); ++i) {
    ASSERT_EQ(wideSamples[2 * i], wideSamples[2 * i + 1]);
    ASSERT_EQ(wideSamples[2 * i], eightBitTone[i]);
  }
  writeWave(w.name, 11025, 16, 2, wideSamples);
  EXPECT_EQ(readConverted(w.name, 0, 8, 1), original);

  writeWave(w.name, 11025, 16, 1, tone);
  const Bytes narrow = readConverted(w.name, 0, 8, 0);
  ASSERT_EQ(narrow.size(), tone.size());
  for (size_t i = 0; i < tone.size(); ++i) ASSERT_EQ(narrow[i], tone[i] / 256 + 128) << i;
}

TEST(FormatConversion, SmallCasesGiveTheRulesValues) {
  struct Case {
    const char* what;
    uint32_t rate, bits, channels;
    std::vector<int16_t> in;  // 8-bit files take the high bytes
    int32_t outRate, outBits, outChannels;
    std::vector<int16_t> out;
  };
  const Case cases[] = {
      {"stereo to mono averages", 8000, 16, 2, {100, 300, -100, -300, 7, 7, -32768, 32767}, 0, 0, 1,
       {200, -200, 7, 0}},
      {"half the rate averages pairs", 44100, 16, 1, {10, 20, 30, 50, -7, -8, 5}, 22050, 0, 0, {15, 40, -7, 5}},
      {"8-bit mono at twice the rate ramps and doubles", 22050, 8, 1, {0, -16384, 0, 0}, 44100, 16, 2,
       {0, 0, -16384, -16384, -8192, -8192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Written w;
    writeWave(w.name, c.rate, c.bits, c.channels, c.in);
    EXPECT_EQ(toSamples(readConverted(w.name, c.outRate, c.outBits, c.outChannels)), c.out);
  }
}

TEST(FormatConversion, ARequestBelowOneSampleFrameDeliversNothing) {
  Written w;
  writeWave(w.name, 8000, 16, 2, {1, 2, 3, 4});
  SFile* s = SFileOpen(w.name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  uint8_t buffer[8];
  EXPECT_EQ(SFileGet(s, buffer, 3), 0u);
  EXPECT_EQ(s->outCount, 0u);
  EXPECT_EQ(SFileGet(s, buffer, 7), 4u);
  SFileClose(s);
}

// A second pass after SFileReset delivers what the first did, converted
// or not.
TEST(Reset, ASecondPassDeliversTheSameBytes) {
  Written w;
  writeWave(w.name, 22050, 16, 2, sine(22050, 2, 500, 9000, 5000));
  for (int32_t rate : {0, 44100, 11025}) {
    SCOPED_TRACE(rate);
    SFile* s = SFileOpen(w.name.c_str(), rate, 0, 0, 20, 150, 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr);
    const Bytes first = readAll(s, 1234);
    SFileReset(s);
    EXPECT_EQ(s->atEnd, 0);
    EXPECT_EQ(readAll(s, 999), first);
    SFileClose(s);
  }
}

TEST(Progress, MessagesCountThePercentDone) {
  static std::vector<std::pair<std::string, int32_t>> seen;
  seen.clear();
  Written w;
  writeWave(w.name, 8000, 8, 1, std::vector<int16_t>(1000));
  SFile* s = SFileOpen(w.name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, [](const char* text, int32_t kind) -> int32_t {
    seen.emplace_back(text, kind);
    return 1;
  });
  ASSERT_NE(s, nullptr);
  readAll(s, 600);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(std::string("Processing sound data (0%)..."), 1));
  EXPECT_EQ(seen[1], std::make_pair(std::string("Processing sound data (100%)..."), 0));
  SFileClose(s);
}

}  // namespace
