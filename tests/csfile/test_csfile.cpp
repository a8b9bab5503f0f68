#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../sfile/sfile_helpers.h"
#include "testutil.h"
#include "tol/csfile.h"
#include "tol/tolfile.h"
#include "util/sound_chunk.h"

using namespace sfiletest;

namespace {

// A WAVE of a sine with noise on top, so deltas of every size occur.
std::string writeInput(const testutil::TempDir& dir, uint32_t rate, uint32_t bits, uint32_t channels,
                       uint32_t frames, Bytes& pcm) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> noise(-3000, 3000);
  std::vector<int16_t> s = sine(rate, channels, 700, 20000, frames);
  for (int16_t& v : s) v = static_cast<int16_t>(std::clamp(v + noise(rng), -32768, 32767));
  if (bits == 16) pcm = fromSamples(s);
  else {
    pcm.clear();
    for (int16_t v : s) pcm.push_back(static_cast<uint8_t>((v >> 8) + 128));
  }
  const std::string name = dir.file("in.wav");
  testutil::writeFile(name, waveFile(WaveLayout{1, channels, rate, bits}, pcm));
  return name;
}

// Writes chunks of `request` bytes until the writer gives none (at most
// `chunks`), and returns the file's bytes.
Bytes writeChunks(CSFile* cs, const std::string& out, uint32_t request, int chunks = 1000) {
  TOLFile* f = TOLFileCreate(65536, out.c_str());
  EXPECT_NE(f, nullptr);
  if (!f) return {};
  CSFileSetOutput(cs, f);
  for (int i = 0; i < chunks && CSFilePut(cs, request) > 0; ++i) {
    EXPECT_EQ(cs->lastChunkSize % 4, cs->raw ? cs->lastChunkSize % 4 : 0u);
  }
  TOLFileClose(f);
  return testutil::readFile(out);
}

// Every chunk of a file decoded back, one after another.
Bytes decodeChunks(const Bytes& file, uint32_t bits, uint32_t channels, bool raw, size_t* chunkCount = nullptr) {
  Bytes out;
  auto work = std::make_unique<tol::soundchunk::DecodeWork>();
  std::vector<uint8_t> dest(1 << 20);
  size_t pos = 0, count = 0;
  while (pos + 4 <= file.size()) {
    const uint32_t size = file[pos] | file[pos + 1] << 8 | file[pos + 2] << 16 | uint32_t{file[pos + 3]} << 24;
    const int32_t n = tol::soundchunk::readChunk(file.data() + pos, file.size() - pos, !raw,
                                                 tol::soundchunk::Format{bits, channels}, dest.data(),
                                                 static_cast<uint32_t>(dest.size()), *work);
    EXPECT_GT(n, 0) << "chunk at " << pos;
    if (n <= 0 || size == 0) break;
    out.insert(out.end(), dest.begin(), dest.begin() + n);
    pos += size;
    ++count;
  }
  EXPECT_EQ(pos, file.size());
  if (chunkCount) *chunkCount = count;
  return out;
}

// Largest miss of a decoded sample.
int largestMiss(const Bytes& got, const Bytes& want, uint32_t bits) {
  int miss = 0;
  if (bits == 8)
    for (size_t i = 0; i < want.size(); ++i) miss = std::max(miss, std::abs(int(got[i]) - int(want[i])));
  else {
    const std::vector<int16_t> g = toSamples(got), w = toSamples(want);
    for (size_t i = 0; i < w.size(); ++i) miss = std::max(miss, std::abs(int(g[i]) - int(w[i])));
  }
  return miss;
}

struct Layout {
  uint32_t bits, channels;
};

class Levels : public ::testing::TestWithParam<std::tuple<Layout, int>> {};

TEST_P(Levels, ChunksDecodeWithinTheLevelsThreshold) {
  const auto [layout, level] = GetParam();
  static const int thresholds8[] = {0, 1, 2, 4, 6, 8, 12, 16, 24, 32};
  static const int thresholds16[] = {0, 4, 8, 16, 64, 128, 256, 512, 1024, 2048};
  testutil::TempDir dir;
  Bytes pcm;
  const std::string input = writeInput(dir, 11025, layout.bits, layout.channels, 3000, pcm);
  CSFile* cs = CSFileOpen(input.c_str(), level, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(cs, nullptr);
  EXPECT_EQ(cs->length, pcm.size());
  EXPECT_EQ(cs->fill, layout.bits == 8 ? 128 : 0);
  size_t chunks = 0;
  const Bytes file = writeChunks(cs, dir.file("out.snd"), 2001);
  EXPECT_EQ(cs->totalChunkBytes, file.size());
  EXPECT_EQ(cs->totalSoundBytes, pcm.size());
  CSFileClose(cs);
  const Bytes decoded = decodeChunks(file, layout.bits, layout.channels, false, &chunks);
  ASSERT_EQ(decoded.size(), pcm.size());
  EXPECT_GT(chunks, 1u);
  const int threshold = layout.bits == 8 ? thresholds8[level] : thresholds16[level];
  const int miss = largestMiss(decoded, pcm, layout.bits);
  EXPECT_LE(miss, threshold);
  if (level == 0) EXPECT_EQ(decoded, pcm);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, Levels,
                         ::testing::Combine(::testing::Values(Layout{8, 1}, Layout{8, 2}, Layout{16, 1},
                                                              Layout{16, 2}),
                                            ::testing::Range(0, 10)));

// 8-bit mono at 8000 Hz, 100 ms of input (800 bytes), lossless.
struct Pass {
  const char* what;
  int32_t loop, repeat;
  uint32_t delayMs, lengthMs, request;
  int chunks;
  std::vector<std::pair<char, uint32_t>> expected;  // 's' silence or 'i' input, bytes
};

TEST(Passes, DelayLengthLoopAndRepeat) {
  const Pass passes[] = {
      {"delay", 0, 0, 50, 0, 500, 100, {{'s', 400}, {'i', 800}}},
      {"loop", 1, 0, 0, 250, 700, 100, {{'i', 800}, {'i', 800}, {'i', 400}}},
      {"no loop", 0, 0, 0, 250, 700, 100, {{'i', 800}, {'s', 1200}}},
      {"repeat", 0, 1, 10, 100, 1000, 3, {{'s', 80}, {'i', 800}, {'s', 80}, {'i', 800}, {'s', 80}, {'i', 800},
                                          {'s', 80}, {'i', 280}}},
  };
  testutil::TempDir dir;
  Bytes pcm;
  const std::string input = writeInput(dir, 8000, 8, 1, 800, pcm);
  for (const Pass& p : passes) {
    SCOPED_TRACE(p.what);
    CSFile* cs = CSFileOpen(input.c_str(), 0, p.loop, p.repeat, p.delayMs, p.lengthMs, 0, 0, 0, 0, 0, 0, 0, 0,
                            nullptr);
    ASSERT_NE(cs, nullptr);
    const Bytes decoded = decodeChunks(writeChunks(cs, dir.file("out.snd"), p.request, p.chunks), 8, 1, false);
    CSFileClose(cs);
    Bytes expected;
    for (const auto& [kind, n] : p.expected) {
      if (kind == 's') expected.insert(expected.end(), n, 128);
      else expected.insert(expected.end(), pcm.begin(), pcm.begin() + n);
    }
    EXPECT_EQ(decoded, expected);
  }
}

TEST(RawChunks, AHeaderlessInputWithARateIsStoredAsItIs) {
  testutil::TempDir dir;
  Bytes pcm;
  writeInput(dir, 22050, 16, 2, 1000, pcm);
  const std::string raw = dir.file("in.raw");
  testutil::writeFile(raw, pcm);
  CSFile* cs = CSFileOpen(raw.c_str(), 5, 0, 0, 0, 0, 44100, 8, 1, 0, 0, 0, 3 + 8 * 22050, 0, nullptr);
  ASSERT_NE(cs, nullptr);
  EXPECT_EQ(cs->raw, 1);
  const Bytes file = writeChunks(cs, dir.file("out.snd"), 1600);
  EXPECT_EQ(cs->lastChunkSize, 0u);  // the call that found nothing more
  CSFileClose(cs);
  EXPECT_EQ(decodeChunks(file, 16, 2, true), pcm);
}

TEST(Chunks, LessThanOneFrameWritesNothing) {
  testutil::TempDir dir;
  Bytes pcm;
  const std::string input = writeInput(dir, 8000, 16, 2, 100, pcm);
  CSFile* cs = CSFileOpen(input.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(cs, nullptr);
  const Bytes file = writeChunks(cs, dir.file("out.snd"), 3, 1);
  EXPECT_TRUE(file.empty());
  CSFileClose(cs);
  EXPECT_EQ(CSFileOpen(dir.file("missing.wav").c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr), nullptr);
}

TEST(CommandLine, LevelAndLoopThenTheSoundSwitches) {
  char text[] = "in.wav /L7 /P /R22050 /S10";
  int32_t level = -1, loop = -1, rate = -1, start = -1;
  CSFileCommandline(text, &level, &loop, &rate, nullptr, nullptr, &start, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(level, 7);
  EXPECT_EQ(loop, 1);
  EXPECT_EQ(rate, 22050);
  EXPECT_EQ(start, 10);
  char plain[] = "in.wav";
  CSFileCommandline(plain, &level, &loop, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(level, 0);
  EXPECT_EQ(loop, 0);
}

}  // namespace
