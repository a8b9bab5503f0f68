// Sound through whole files, on the exported interfaces: tracks written by
// the encoder and read back by the decoder's track reader (length, timing,
// quality against the option, the track tables), and the sound mixer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sound_file_helpers.h"
#include "test_signals.h"
#include "testutil.h"
#include "tol/zurnmix.h"
#include "zurn_file_view.h"

extern "C" const void* const sound_api_functions[];

namespace {

using soundtest::DecodedTrack;
using soundtest::PcmSource;
using soundtest::ZurnFileView;

constexpr uint32_t kFps = 25;

ZurnFileView viewOf(const std::string& name) {
  ZurnFileView v;
  v.bytes = testutil::readFile(name);
  EXPECT_TRUE(v.parse()) << name;
  return v;
}

// A source of exactly the length a file of `frames` frames promises.
std::vector<int16_t> sourceFor(bool music, uint32_t rate, uint32_t channels, uint32_t bits, uint32_t frames,
                               uint32_t num = kFps, uint32_t den = 1) {
  std::vector<int16_t> s = music ? soundtest::musicLike(rate, channels, frames * double(den) / num + 0.1)
                                 : soundtest::speechLike(rate, channels, frames * double(den) / num + 0.1);
  s.resize(soundtest::promisedBytes(rate, channels, frames, num, den) / 2);
  return bits == 8 ? soundtest::toEightBit(s) : s;
}

// Bytes one block delivers for a track.
uint32_t blockBytes(uint32_t rate, uint32_t channels) {
  const uint32_t n = (rate < 22050 ? 512 : rate < 44100 ? 1024 : 2048) * channels;
  return (n - n / 16) * 2;
}

// Each frame's packets carry the sound due by the frame's time plus 0.75 s,
// in whole blocks: never less than that (unless all is out) and less than
// one block more.
void expectTimed(const DecodedTrack& track, uint32_t num, uint32_t den) {
  EXPECT_TRUE(track.picturesDecoded);
  const uint64_t bytesPerSecond = uint64_t(track.rate) * track.channels * 2;
  const uint64_t lead = uint64_t(track.rate) * track.channels * 3 / 2;
  const uint64_t total = track.bytesAfterFrame.back();
  for (size_t f = 0; f < track.bytesAfterFrame.size(); ++f) {
    const uint64_t due = bytesPerSecond * f * den / num + lead;
    EXPECT_GE(track.bytesAfterFrame[f], std::min(due, total)) << "frame " << f;
    EXPECT_LT(track.bytesAfterFrame[f], due + blockBytes(track.rate, track.channels)) << "frame " << f;
  }
}

struct Layout {
  uint32_t rate, bits, channels;
  bool music;
};

class SoundFileRoundTrip : public ::testing::TestWithParam<Layout> {};

TEST_P(SoundFileRoundTrip, LengthTimingAndQuality) {
  const Layout l = GetParam();
  testutil::TempDir dir;
  const uint32_t frames = 30;
  const std::vector<int16_t> source = sourceFor(l.music, l.rate, l.channels, l.bits, frames);
  double previous = 1e9;
  for (uint32_t option : {0u, 8u, 20u}) {
    const std::string name = dir.file("o" + std::to_string(option) + ".zrn");
    PcmSource pcm{source};
    ASSERT_GT(soundtest::makeZurnFile(name, frames, kFps, 1, {pcm.track(3, l.rate, l.bits, l.channels, option)}), 0u);
    const DecodedTrack track = soundtest::readTrack(name, 0);
    ASSERT_EQ(track.bits, static_cast<int32_t>(l.bits));
    ASSERT_EQ(track.channels, static_cast<int32_t>(l.channels));
    EXPECT_EQ(track.samples.size(), source.size());
    expectTimed(track, kFps, 1);
    const double snr = soundtest::snrDb(source, track.samples);
    if (option == 0) {
      EXPECT_GT(snr, 12.0);
    }
    EXPECT_LT(snr, previous + 0.01) << "option " << option;
    previous = snr;
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SoundFileRoundTrip,
                         ::testing::Values(Layout{11025, 8, 1, false}, Layout{11025, 8, 1, true},
                                           Layout{22050, 16, 1, false}, Layout{22050, 16, 1, true},
                                           Layout{44100, 16, 2, false}, Layout{44100, 16, 2, true}));

TEST(SoundFile, PublicHeadersCompileAsC) {
  for (int i = 0; i < 4; ++i) EXPECT_NE(sound_api_functions[i], nullptr);
}

TEST(SoundFile, TrackTablesAndPackets) {
  testutil::TempDir dir;
  const uint32_t frames = 30;
  PcmSource stereo{sourceFor(true, 22050, 2, 16, frames)};
  PcmSource mono8{sourceFor(false, 11025, 1, 8, frames)};
  const std::string name = dir.file("tables.zrn");
  ASSERT_GT(soundtest::makeZurnFile(name, frames, kFps, 1,
                                    {stereo.track(70, 22050, 16, 2, 4), mono8.track(71, 11025, 8, 1, 4)}),
            0u);
  const ZurnFileView v = viewOf(name);
  ASSERT_EQ(v.trackCount, 2u);
  EXPECT_EQ(v.flags[0], 0xE0005622u);
  EXPECT_EQ(v.flags[1], 0x80002B11u);
  EXPECT_EQ(v.ids[0], 70u);
  EXPECT_EQ(v.ids[1], 71u);
  for (uint32_t t = 0; t < 2; ++t) {
    uint32_t largest = 0, total = 0, size = 0;
    bool ended = false;
    for (uint32_t f = 0; f < frames; ++f) {
      const uint8_t* packet = v.packet(f, t, &size);
      const uint32_t decoded = size ? soundtest::le32(packet) : 0;
      if (f == 0) {
        EXPECT_GE(decoded, t == 0 ? 66150u : 16538u);  // the 0.75 s lead
      }
      EXPECT_FALSE(ended && size != 0) << "a packet after the sound ran out, frame " << f;
      EXPECT_EQ(size % 4, 0u);
      largest = std::max(largest, decoded);
      total += decoded;
      ended = total == soundtest::promisedBytes(t == 0 ? 22050 : 11025, t == 0 ? 2 : 1, frames, kFps, 1);
    }
    EXPECT_TRUE(ended) << "track " << t;
    EXPECT_EQ(v.maxDecoded[t], largest) << "track " << t;
  }
}

TEST(SoundFile, SourceEndingEarlyIsFilledWithSilence) {
  testutil::TempDir dir;
  const uint32_t frames = 30;
  std::vector<int16_t> full = sourceFor(false, 22050, 1, 16, frames);
  PcmSource half{std::vector<int16_t>(full.begin(), full.begin() + full.size() / 2)};
  const std::string name = dir.file("short.zrn");
  ASSERT_GT(soundtest::makeZurnFile(name, frames, kFps, 1, {half.track(1, 22050, 16, 1, 0)}), 0u);
  const DecodedTrack track = soundtest::readTrack(name, 0);
  ASSERT_EQ(track.samples.size(), full.size());
  expectTimed(track, kFps, 1);
  for (size_t i = full.size() / 2 + 1024; i < full.size(); ++i) ASSERT_LE(std::abs(track.samples[i]), 2) << i;
}

// The mixer on a 30-frame file with one 22050 Hz speech track (id 1).
class ZurnMixTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kFrames = 30;
  void SetUp() override {
    input = dir.file("input.zrn");
    PcmSource speech{sourceFor(false, 22050, 1, 16, kFrames)};
    ASSERT_GT(soundtest::makeZurnFile(input, kFrames, kFps, 1, {speech.track(1, 22050, 16, 1, 2)}), 0u);
    before = viewOf(input);
  }
  // The video data and keyframe bits of every frame, and the input's track 0
  // packets when kept, are what the input had.
  void expectVideoKept(const ZurnFileView& after) {
    ASSERT_EQ(after.frames, before.frames);
    for (uint32_t f = 0; f < before.frames; ++f) {
      EXPECT_EQ(after.keyframe(f), before.keyframe(f)) << f;
      EXPECT_EQ(after.video(f), before.video(f)) << f;
    }
  }
  testutil::TempDir dir;
  std::string input;
  ZurnFileView before;
};

TEST_F(ZurnMixTest, AddsATrackKeepingEverythingElse) {
  PcmSource music{sourceFor(true, 11025, 1, 8, kFrames)};
  ZurnMakeSoundTrack add = music.track(2, 11025, 8, 1, 0);
  const std::string output = dir.file("added.zrn");
  const uint32_t size = ZurnMix(input.c_str(), output.c_str(), 0, 0, 0, 1, &add, nullptr);
  ASSERT_EQ(size, std::filesystem::file_size(output));
  const ZurnFileView after = viewOf(output);
  ASSERT_EQ(after.trackCount, 2u);
  EXPECT_EQ(after.ids, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(after.flags[0], before.flags[0]);
  EXPECT_EQ(after.maxDecoded[0], before.maxDecoded[0]);
  EXPECT_EQ(after.flags[1], 0x80002B11u);
  expectVideoKept(after);
  for (uint32_t f = 0; f < kFrames; ++f) {
    uint32_t a = 0, b = 0;
    const uint8_t* pa = after.packet(f, 0, &a);
    const uint8_t* pb = before.packet(f, 0, &b);
    ASSERT_EQ(std::vector<uint8_t>(pa, pa + a), std::vector<uint8_t>(pb, pb + b)) << f;
  }
  EXPECT_EQ(add.rate, 11025u);  // appended, not taken
  const DecodedTrack track = soundtest::readTrack(output, 1);
  EXPECT_EQ(track.samples.size(), music.samples.size());
  expectTimed(track, kFps, 1);
  EXPECT_GT(soundtest::snrDb(music.samples, track.samples), 12.0);
  EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
}

TEST_F(ZurnMixTest, ReplacesATrackByIdInPlaceOfTheOld) {
  PcmSource music{sourceFor(true, 22050, 2, 16, kFrames)};
  ZurnMakeSoundTrack replace = music.track(1, 22050, 16, 2, 0);
  const std::string output = dir.file("replaced.zrn");
  ASSERT_GT(ZurnMix(input.c_str(), output.c_str(), 0, 0, 0, 1, &replace, nullptr), 0u);
  EXPECT_EQ(replace.rate, 0u);  // the description was taken
  const ZurnFileView after = viewOf(output);
  ASSERT_EQ(after.trackCount, 1u);
  EXPECT_EQ(after.ids[0], 1u);
  EXPECT_EQ(after.flags[0], 0xE0005622u);
  expectVideoKept(after);
  const DecodedTrack track = soundtest::readTrack(output, 0);
  EXPECT_EQ(track.samples.size(), music.samples.size());
  EXPECT_GT(soundtest::snrDb(music.samples, track.samples), 12.0);
}

struct DelayCase {
  int32_t delay;
  uint32_t silentBytes;  // 22050 Hz mono at 25 frames a second
};

class ZurnMixDelay : public ZurnMixTest, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(ZurnMixDelay, StartsTheNewSoundLater) {
  const DelayCase c = GetParam();
  PcmSource music{sourceFor(true, 22050, 1, 16, kFrames)};
  ZurnMakeSoundTrack add = music.track(5, 22050, 16, 1, 0);
  const std::string output = dir.file("delayed.zrn");
  ASSERT_GT(ZurnMix(input.c_str(), output.c_str(), 0, 0, c.delay, 1, &add, nullptr), 0u);
  expectVideoKept(viewOf(output));
  const DecodedTrack track = soundtest::readTrack(output, 1);
  ASSERT_EQ(track.samples.size(), music.samples.size());  // the promised length, silence included
  const size_t silent = c.silentBytes / 2;
  // Silence up to the block that holds the onset (its coding noise spreads
  // over the whole block).
  for (size_t i = 0; i + 1024 < silent; ++i) ASSERT_LE(std::abs(track.samples[i]), 2) << i;
  std::vector<int16_t> shifted(silent, 0);
  shifted.insert(shifted.end(), music.samples.begin(), music.samples.end() - silent);
  EXPECT_GT(soundtest::snrDb(shifted, track.samples, silent), 12.0);
}

INSTANTIATE_TEST_SUITE_P(Delays, ZurnMixDelay,
                         ::testing::Values(DelayCase{0, 0}, DelayCase{1, 0}, DelayCase{5, 4 * 44100 / 25},
                                           DelayCase{-500, 22050}));

TEST_F(ZurnMixTest, FrameRateOverrideTimesTheNewSound) {
  PcmSource music{sourceFor(true, 22050, 1, 16, kFrames, 30, 1)};
  ZurnMakeSoundTrack add = music.track(5, 22050, 16, 1, 0);
  const std::string output = dir.file("rate.zrn");
  ASSERT_GT(ZurnMix(input.c_str(), output.c_str(), 60, 2, 0, 1, &add, nullptr), 0u);
  const ZurnFileView after = viewOf(output);
  EXPECT_EQ(after.fpsNumerator, 30u);
  EXPECT_EQ(after.fpsDenominator, 1u);
  expectVideoKept(after);
  const DecodedTrack track = soundtest::readTrack(output, 1);
  EXPECT_EQ(track.samples.size(), music.samples.size());
  expectTimed(track, 30, 1);
}

TEST_F(ZurnMixTest, StopLeavesNoOutput) {
  PcmSource music{sourceFor(true, 22050, 1, 16, kFrames)};
  ZurnMakeSoundTrack add = music.track(5, 22050, 16, 1, 0);
  const std::string output = dir.file("stopped.zrn");
  static std::vector<ZurnMixProgress> seen;
  seen.clear();
  auto callback = [](int32_t kind, ZurnMakeState* handle, const char* text) -> int32_t {
    if (kind != ZURNMAKE_PROGRESS) return 0;
    EXPECT_STREQ(text, "");
    seen.push_back(*reinterpret_cast<ZurnMixProgress*>(handle));
    return seen.back().frame == 3;
  };
  EXPECT_EQ(ZurnMix(input.c_str(), output.c_str(), 0, 0, 0, 1, &add, callback), 0u);
  EXPECT_FALSE(std::filesystem::exists(output));
  EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
  ASSERT_EQ(seen.size(), 4u);
  for (uint32_t f = 1; f < 4; ++f) {
    EXPECT_EQ(seen[f].frame, f);
    EXPECT_GT(seen[f].position, seen[f - 1].position);
  }
}

TEST_F(ZurnMixTest, MixesInPlace) {
  PcmSource music{sourceFor(true, 11025, 1, 16, kFrames)};
  ZurnMakeSoundTrack add = music.track(9, 11025, 16, 1, 0);
  const uint32_t size = ZurnMix(input.c_str(), input.c_str(), 0, 0, 0, 1, &add, nullptr);
  ASSERT_EQ(size, std::filesystem::file_size(input));
  EXPECT_FALSE(std::filesystem::exists(input + ".tmp"));
  const ZurnFileView after = viewOf(input);
  EXPECT_EQ(after.trackCount, 2u);
  expectVideoKept(after);
}

TEST_F(ZurnMixTest, RefusalsAndFailures) {
  static std::vector<std::string> messages;
  messages.clear();
  auto callback = [](int32_t kind, ZurnMakeState*, const char* text) -> int32_t {
    if (kind == ZURNMAKE_MESSAGE) messages.push_back(text);
    return 0;
  };
  PcmSource music{sourceFor(true, 11025, 1, 16, kFrames)};
  ZurnMakeSoundTrack add = music.track(9, 11025, 16, 1, 0);
  const std::string output = dir.file("out.zrn");
  EXPECT_EQ(ZurnMix(input.c_str(), output.c_str(), 0, 0, 0, 0, &add, callback), 0u);  // no tracks: nothing
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ZurnMix(dir.file("missing.zrn").c_str(), output.c_str(), 0, 0, 0, 1, &add, callback), 0u);
  // Not a Zurn file; a temporary name that is the input itself.
  testutil::writeFile(dir.file("text.zrn"), std::vector<uint8_t>(100, 'x'));
  EXPECT_EQ(ZurnMix(dir.file("text.zrn").c_str(), output.c_str(), 0, 0, 0, 1, &add, callback), 0u);
  const std::string clip = dir.file("clip.tmp");
  std::filesystem::copy_file(input, clip);
  EXPECT_EQ(ZurnMix(clip.c_str(), dir.file("clip").c_str(), 0, 0, 0, 1, &add, callback), 0u);
  EXPECT_EQ(testutil::readFile(clip), before.bytes);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "Couldn't open input Zurn file.");
  EXPECT_EQ(messages[1], "Couldn't open input Zurn file.");
  EXPECT_EQ(messages[2].rfind("Couldn't create temporary file.\n\nSome possible reasons", 0), 0u);
  EXPECT_NE(messages[2].find("mixing to a read-only drive"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(output));
  EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));

  // A frame index pointing past the file.
  std::vector<uint8_t> damaged = testutil::readFile(input);
  const uint32_t indexAt = 44 + 12 * 1 + 4 * 5;
  damaged[indexAt + 3] = 0x7F;
  testutil::writeFile(dir.file("damaged.zrn"), damaged);
  EXPECT_EQ(ZurnMix(dir.file("damaged.zrn").c_str(), output.c_str(), 0, 0, 0, 1, &add, callback), 0u);
  EXPECT_EQ(messages.back(), "The Zurn file is damaged.");
  EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
}

}  // namespace
