// Zurn sound tracks, selections in milliseconds and in video frames, the
// command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../sound/sound_file_helpers.h"
#include "../sound/test_signals.h"
#include "sfile_helpers.h"
#include "testutil.h"

using namespace sfiletest;

namespace {

// A WAVE of 16-bit mono whose sample i holds i, so a selection shows where
// it was cut.
struct CountingWave {
  testutil::TempDir dir;
  std::string name = dir.file("count.wav");
  explicit CountingWave(uint32_t rate, uint32_t frames) {
    std::vector<int16_t> s(frames);
    for (uint32_t i = 0; i < frames; ++i) s[i] = static_cast<int16_t>(i);
    testutil::writeFile(name, waveFile(WaveLayout{1, 1, rate, 16}, fromSamples(s)));
  }
};

TEST(Selection, StartAndEndCutAtTheirSampleFrames) {
  struct Case {
    int32_t start, end;
    int first;  // first sample delivered
    size_t count;
  };
  // 8000 Hz: 8 sample frames per millisecond; without video, -n is n ms.
  const Case cases[] = {
      {0, 0, 0, 16000},      {100, 0, 800, 15200},   {0, 250, 0, 2000},     {100, 250, 800, 1200},
      {-100, -250, 800, 1200}, {1999, 0, 15992, 8},  {2000, 0, 0, 16000},   // a start at the end skips nothing
      {5000, 6000, 0, 8000},  {300, 200, 2400, 13600},  // an end before the start is ignored
  };
  CountingWave w(8000, 16000);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " to " << c.end);
    SFile* s = SFileOpen(w.name.c_str(), 0, 0, 0, c.start, c.end, 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->length, c.count * 2);
    const std::vector<int16_t> got = toSamples(readAll(s, 3000));
    ASSERT_EQ(got.size(), c.count);
    EXPECT_EQ(got.front(), c.first);
    EXPECT_EQ(got.back(), static_cast<int16_t>(c.first + c.count - 1));
    SFileClose(s);
  }
}

struct ZurnTrackCase {
  uint32_t rate, bits, channels;
};

class ZurnTracks : public ::testing::TestWithParam<ZurnTrackCase> {};

// The track as the track reader gives it, cut to the file's length.
TEST_P(ZurnTracks, DeliverTheTrackReadersSamples) {
  const ZurnTrackCase c = GetParam();
  constexpr uint32_t kFrames = 20, kFps = 10;
  testutil::TempDir dir;
  const std::string name = dir.file("clip.zrn");
  soundtest::PcmSource pcm{soundtest::musicLike(c.rate, c.channels, 3.0)};
  soundtest::PcmSource other{soundtest::speechLike(8000, 1, 3.0)};
  ASSERT_GT(soundtest::makeZurnFile(name, kFrames, kFps, 1,
                                    {other.track(1, 8000, 16, 1, 0), pcm.track(2, c.rate, c.bits, c.channels, 0)}),
            0u);
  const soundtest::DecodedTrack track = soundtest::readTrack(name, 1);
  ASSERT_EQ(track.rate, static_cast<int32_t>(c.rate));

  SFile* s = SFileOpen(dir.file("clip").c_str(), 0, 0, 0, 0, 0, 1, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::string(s->name), name);
  EXPECT_EQ(s->kind, SFILE_KIND_ZURN);
  EXPECT_EQ(s->srcBits, static_cast<int32_t>(c.bits));
  EXPECT_EQ(s->srcChannels, static_cast<int32_t>(c.channels));
  const uint32_t block = c.bits * c.channels / 8;
  EXPECT_EQ(s->length, (c.rate * block * kFrames / kFps) & ~3u);
  const Bytes got = readAll(s, 1000);
  ASSERT_EQ(got.size(), s->length);
  std::vector<int16_t> widened;
  if (c.bits == 8)
    for (uint8_t b : got) widened.push_back(static_cast<int16_t>((b - 128) * 256));
  else
    widened = toSamples(got);
  ASSERT_LE(widened.size(), track.samples.size());
  EXPECT_TRUE(std::equal(widened.begin(), widened.end(), track.samples.begin()));

  // Frames 5 to 12 of the 10 fps video: 0.4 s from 0.8 s.
  SFile* cut = SFileOpen(name.c_str(), 0, 0, 0, -5, -12, 1, 0, 0, nullptr);
  ASSERT_NE(cut, nullptr);
  const uint32_t from = c.rate * 4 / 10 * block, count = c.rate * 8 / 10 * block;
  EXPECT_EQ(readAll(cut, 999), Bytes(got.begin() + from, got.begin() + from + count));
  SFileReset(cut);
  EXPECT_EQ(readAll(cut, 4096), Bytes(got.begin() + from, got.begin() + from + count));
  SFileClose(cut);
  SFileClose(s);
}

INSTANTIATE_TEST_SUITE_P(Formats, ZurnTracks,
                         ::testing::Values(ZurnTrackCase{22050, 16, 1}, ZurnTrackCase{11025, 8, 2},
                                           ZurnTrackCase{44100, 16, 2}));

TEST(ZurnTracks, AMissingTrackIsReported) {
  static std::vector<std::string> errors;
  errors.clear();
  testutil::TempDir dir;
  const std::string name = dir.file("clip.zrn");
  soundtest::PcmSource pcm{soundtest::speechLike(8000, 1, 1.0)};
  ASSERT_GT(soundtest::makeZurnFile(name, 5, 10, 1, {pcm.track(1, 8000, 16, 1, 0)}), 0u);
  SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 3, 0, 0, [](const char* text, int32_t kind) -> int32_t {
    if (kind == TOL_MESSAGE_ERROR) errors.emplace_back(text);
    return 0;
  });
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(errors, std::vector<std::string>{"No sound found in the Zurn file."});
}

TEST(CommandLine, SwitchesAreCutInOrderWithTheirDefaults) {
  struct Case {
    const char* line;
    int32_t rate, bits, channels, start, end, track;
    uint32_t raw, offset;
    int32_t result;
    const char* left;
  };
  const Case cases[] = {
      {"in.wav", 0, 0, 0, 0, 0, 0, 0, 0, 0, "in.wav"},
      {"a /R22050 /B8 /C2 /S100 /E-20 /T3 x", 22050, 8, 2, 100, -20, 3, 0, 0, 0, "a x"},
      {"a /Y3 /D22050", 0, 0, 0, 0, 0, 0, 2 + 8 * 22050, 0, 0, "a"},
      {"a /Y4 /K44", 0, 0, 0, 0, 0, 0, 3 + 8 * 11025, 44, 44, "a"},
      {"a /Y9 /D5 /K7", 0, 0, 0, 0, 0, 0, 9, 0, 9, "a /D5 /K7"},
      {"a /D250000 /K3", 0, 0, 0, 0, 0, 0, 0, 0, 0, "a /D250000 /K3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    char text[256];
    std::strcpy(text, c.line);
    int32_t rate = -1, bits = -1, channels = -1, start = -1, end = -1, track = -1;
    uint32_t raw = 1, offset = 1;
    EXPECT_EQ(SFileCommandLine(text, &rate, &bits, &channels, &start, &end, &track, &raw, &offset), c.result);
    EXPECT_EQ(rate, c.rate);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(channels, c.channels);
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(end, c.end);
    EXPECT_EQ(track, c.track);
    EXPECT_EQ(raw, c.raw);
    EXPECT_EQ(offset, c.offset);
    std::string left;  // the words left, one blank apart
    for (const char* p = text; *p; ++p)
      if (*p != ' ' || (!left.empty() && left.back() != ' ')) left += *p;
    while (!left.empty() && left.back() == ' ') left.pop_back();
    EXPECT_EQ(left, c.left);
  }
  char text[] = "a /S5 /E9 /Y2";
  int32_t rate = 0;
  SFileCommandLine(text, &rate, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_STREQ(text, "a /S5 /E9 /Y2");  // switches nobody asked for stay for other readers
}

}  // namespace
