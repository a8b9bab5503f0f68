// Pleven sound tracks: files made by the Pleven writer, read through the
// sound input and compared with the decoder's own track sound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../sound/test_signals.h"
#include "sfile_helpers.h"
#include "testutil.h"
#include "tol/pleven.h"
#include "tol/plevenwriter.h"

using namespace sfiletest;

namespace {

constexpr int32_t kFrames = 12, kFrameTimeMs = 100;  // 10 frames a second

// A file of kFrames 8x8 frames; track 2 holds `layout` sound (track 0
// another, quiet one), each frame the sound of its 100 ms. A layout of rate
// 0 makes a file without sound.
std::string makePleven(const testutil::TempDir& dir, const PlevWriterTrack& layout) {
  const std::string name = dir.file("clip.plv");
  PlevWriterSettings settings{};
  settings.width = settings.height = 8;
  settings.rate = kFrameTimeMs;
  const bool hasSound = layout.rate > 0;
  if (hasSound) {
    settings.tracks[0] = PlevWriterTrack{8000, 8, 1, 0, 0};
    settings.tracks[2] = layout;
  }
  PlevWriter* w = PlevWriterCreate(name.c_str(), &settings);
  if (!w) return {};
  const std::vector<int16_t> music = soundtest::musicLike(static_cast<uint32_t>(layout.rate),
                                                          static_cast<uint32_t>(std::max(layout.channels, 1)), 2.0);
  const uint32_t block = std::max(static_cast<uint32_t>(layout.bits * layout.channels / 8), 1u);
  const uint32_t perFrame = static_cast<uint32_t>(layout.rate) / 10 * block;
  std::vector<uint8_t> pixels(64), palette(768);
  for (int32_t f = 0; f < kFrames; ++f) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i + f);
    Bytes sound;
    const size_t first = size_t(f) * perFrame / block * layout.channels;
    for (size_t i = first; i < first + perFrame / block * layout.channels; ++i) {
      if (layout.bits == 16) put16(sound, static_cast<uint16_t>(music[i]));
      else sound.push_back(static_cast<uint8_t>((music[i] >> 8) + 128));
    }
    const Bytes quiet(800, 128);
    const void* parts[PLEV_TRACKS] = {quiet.data(), nullptr, sound.data()};
    const uint32_t sizes[PLEV_TRACKS] = {800, 0, static_cast<uint32_t>(sound.size())};
    if (!PlevWriterPutFrame(w, pixels.data(), 8, palette.data(), hasSound ? parts : nullptr,
                            hasSound ? sizes : nullptr))
      return {};
  }
  return PlevWriterClose(w) ? name : std::string();
}

// Track 2 as the decoder gives it, frame by frame.
Bytes decoderSound(const std::string& name) {
  Bytes out;
  PlevDecoder* d = PlevOpen(name.c_str(), 0, -1);
  if (!d) return out;
  std::vector<uint8_t> buffer(d->maxSoundSize[2] + 16);
  for (int32_t f = 0; f < d->frames; ++f) {
    const int32_t n = PlevTrackSound(d, buffer.data(), PLEV_OPEN_TRACK(2));
    if (n > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    PlevNextFrame(d);
  }
  PlevClose(d);
  return out;
}

class PlevenTracks : public ::testing::TestWithParam<PlevWriterTrack> {};

TEST_P(PlevenTracks, DeliverTheDecodersSoundWithTheFilesLength) {
  const PlevWriterTrack layout = GetParam();
  testutil::TempDir dir;
  const std::string name = makePleven(dir, layout);
  ASSERT_FALSE(name.empty());
  const Bytes expected = decoderSound(name);
  const uint32_t block = static_cast<uint32_t>(layout.bits * layout.channels / 8);
  ASSERT_EQ(expected.size(), static_cast<size_t>(layout.rate) / 10 * block * kFrames);

  SFile* s = SFileOpen(dir.file("clip").c_str(), 0, 0, 0, 0, 0, 3, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::string(s->name), name);
  EXPECT_EQ(s->kind, SFILE_KIND_PLEVEN);
  EXPECT_EQ(s->trackMask, PLEV_OPEN_TRACK(2));
  EXPECT_EQ(s->srcRate, layout.rate);
  EXPECT_EQ(s->srcBits, layout.bits);
  EXPECT_EQ(s->srcChannels, layout.channels);
  EXPECT_EQ(s->length, (static_cast<uint32_t>(layout.rate) * block * kFrames / 10) & ~3u);  // by time
  EXPECT_EQ(readAll(s, 1500), expected);  // what the frames hold
  SFileClose(s);

  // Frame 1 to frame 10 of the 10 fps video: the first second.
  s = SFileOpen(name.c_str(), 0, 0, 0, -1, -10, 3, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  const size_t rate = static_cast<size_t>(layout.rate);
  EXPECT_EQ(readAll(s, 999), Bytes(expected.begin(), expected.begin() + rate * block));
  SFileClose(s);
  // Frames 4 to 6, twice through a reset.
  s = SFileOpen(name.c_str(), 0, 0, 0, -4, -6, 3, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  const Bytes cut(expected.begin() + rate * 3 / 10 * block, expected.begin() + rate * 6 / 10 * block);
  EXPECT_EQ(readAll(s, 777), cut);
  SFileReset(s);
  EXPECT_EQ(readAll(s, 4000), cut);
  SFileClose(s);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PlevenTracks,
                         ::testing::Values(PlevWriterTrack{22050, 16, 1, 1, 0}, PlevWriterTrack{11025, 8, 2, 1, 3},
                                           PlevWriterTrack{22050, 16, 2, 0, 0}, PlevWriterTrack{8000, 8, 1, 0, 0}));

TEST(PlevenTracks, TheSearchTakesTheFirstTrackWithSound) {
  static std::vector<std::string> errors;
  errors.clear();
  auto collect = [](const char* text, int32_t kind) -> int32_t {
    if (kind == TOL_MESSAGE_ERROR) errors.emplace_back(text);
    return 0;
  };
  testutil::TempDir dir;
  const std::string name = makePleven(dir, PlevWriterTrack{11025, 16, 1, 1, 0});
  ASSERT_FALSE(name.empty());
  SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, collect);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->trackMask, PLEV_OPEN_TRACK(0));
  EXPECT_EQ(s->srcRate, 8000);
  SFileClose(s);
  EXPECT_EQ(SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 2, 0, 0, collect), nullptr);
  EXPECT_EQ(errors, std::vector<std::string>{"No sound found in the specified Pleven track."});

  testutil::TempDir silentDir;
  const std::string silent = makePleven(silentDir, PlevWriterTrack{});
  ASSERT_FALSE(silent.empty());
  errors.clear();
  EXPECT_EQ(SFileOpen(silent.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, collect), nullptr);
  EXPECT_EQ(errors, std::vector<std::string>{"No sound found in the Pleven file."});
}

}  // namespace
