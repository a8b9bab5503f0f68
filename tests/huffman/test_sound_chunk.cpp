#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "huffman_test_util.h"
#include "util/huffman.h"
#include "util/sound_chunk.h"

namespace {

namespace sc = tol::soundchunk;
using hufftest::writeBytes;

struct Trees {
  Trees() {
    for (auto& t : trees) t = tol::HuffOpen(1);
  }
  ~Trees() {
    for (auto* t : trees) tol::HuffClose(t);
  }
  HuffTree* trees[4];
};

std::vector<uint8_t> writeChunk(const std::vector<uint8_t>& pcm, sc::Format format, int32_t level, bool raw,
                                uint32_t* size = nullptr) {
  Trees t;
  return writeBytes([&](TOLFile* f) {
    uint32_t s = sc::writeChunk(f, pcm.data(), static_cast<uint32_t>(pcm.size()), format,
                                sc::levelQuantiser(level, format.bits), t.trees, raw);
    if (size) *size = s;
  });
}

std::vector<uint8_t> readChunk(const std::vector<uint8_t>& chunk, sc::Format format, bool compressed,
                               uint32_t capacity, int32_t* result) {
  std::vector<uint8_t> out(capacity + 16, 0xEE);
  auto work = std::make_unique<sc::DecodeWork>();
  *result = sc::readChunk(chunk.data(), chunk.size(), compressed, format, out.data(), capacity, *work);
  out.resize(*result > 0 ? static_cast<size_t>(*result) : 0);
  return out;
}

// A wandering tone with noise, as bytes of the format.
std::vector<uint8_t> signal(sc::Format f, uint32_t frames, uint32_t seed) {
  std::vector<uint8_t> pcm;
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint32_t c = 0; c < f.channels; ++c) {
      seed = seed * 1103515245u + 12345u;
      double x = 0.6 * std::sin(i * (0.03 + 0.02 * c)) + 0.3 * std::sin(i * 0.0011) + ((seed >> 16) % 200 - 100) / 4000.0;
      if (f.bits == 8) {
        pcm.push_back(static_cast<uint8_t>(std::lround(128 + 127 * x)));
      } else {
        int16_t s = static_cast<int16_t>(std::lround(32767 * x));
        pcm.push_back(static_cast<uint8_t>(s));
        pcm.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
      }
    }
  }
  return pcm;
}

int32_t sampleAt(const std::vector<uint8_t>& pcm, size_t i, uint32_t bits) {
  return bits == 8 ? pcm[i] : static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
}

TEST(SoundChunk, MaskedDeltaIsKeptOnlyWithinTheThreshold) {
  // Level 2, 8-bit mono: the delta 3 masked to 0 would miss by 3 (above 2),
  // so 3 is coded; the delta 2 masked to 0 misses by 2 and is dropped.
  const sc::Format mono8{8, 1};
  for (auto [second, decoded] : {std::pair{103, 103}, std::pair{102, 100}}) {
    std::vector<uint8_t> pcm{100, static_cast<uint8_t>(second)};
    int32_t n = 0;
    auto out = readChunk(writeChunk(pcm, mono8, 2, false), mono8, true, 2, &n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(out, (std::vector<uint8_t>{100, static_cast<uint8_t>(decoded)}));
  }
}

TEST(SoundChunk, PartialFrameWritesNothing) {
  uint32_t size = 99;
  auto bytes = writeChunk({1, 2, 3}, sc::Format{16, 2}, 0, false, &size);
  EXPECT_EQ(size, 0u);
  EXPECT_TRUE(bytes.empty());
}

TEST(SoundChunk, SizeFieldCountsEverythingUpToThePadding) {
  uint32_t size = 0;
  auto bytes = writeChunk(signal({8, 1}, 501, 3), sc::Format{8, 1}, 4, false, &size);
  ASSERT_EQ(bytes.size(), size);
  EXPECT_EQ(size % 4, 0u);
  EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, static_cast<int>(size));
  EXPECT_EQ(bytes[4] | bytes[5] << 8, 501);
}

TEST(SoundChunk, RawChunkHoldsExactlyTheSound) {
  const sc::Format mono8{8, 1};
  auto pcm = signal(mono8, 7, 1);
  uint32_t size = 0;
  auto chunk = writeChunk(pcm, mono8, 0, true, &size);
  EXPECT_EQ(size, 11u);
  int32_t n = 0;
  EXPECT_EQ(readChunk(chunk, mono8, false, 7, &n), pcm);
  readChunk(chunk, mono8, false, 6, &n);  // does not fit the destination
  EXPECT_EQ(n, 0);
}

TEST(SoundChunk, CountFieldsZeroAndAllOnesPassThrough) {
  for (uint32_t count : {0u, 0xFFFFFFFFu}) {
    std::vector<uint8_t> chunk{8, 0, 0, 0};
    for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<uint8_t>(count >> (8 * i)));
    int32_t n = 5;
    readChunk(chunk, {8, 1}, true, 100, &n);
    EXPECT_EQ(n, static_cast<int32_t>(count));
  }
}

// Every format at every level: lossless at 0, within the level's threshold
// above; damaged copies decode to 0 or to the right length, never past it.
struct Case {
  sc::Format format;
  uint32_t frames;
};
class SoundChunkRoundTrip : public testing::TestWithParam<std::tuple<Case, int32_t>> {};

TEST_P(SoundChunkRoundTrip, DecodesWithinTheThreshold) {
  const auto [c, level] = GetParam();
  const auto pcm = signal(c.format, c.frames, 11 + level);
  const auto chunk = writeChunk(pcm, c.format, level, false);
  int32_t n = 0;
  const auto out = readChunk(chunk, c.format, true, static_cast<uint32_t>(pcm.size()), &n);
  ASSERT_EQ(n, static_cast<int32_t>(pcm.size()));
  const uint32_t threshold = sc::levelQuantiser(level, c.format.bits).threshold;
  const size_t samples = pcm.size() / (c.format.bits / 8);
  int32_t worst = 0;
  for (size_t i = 0; i < samples; ++i) {
    worst = std::max(worst, std::abs(sampleAt(out, i, c.format.bits) - sampleAt(pcm, i, c.format.bits)));
  }
  EXPECT_LE(static_cast<uint32_t>(worst), threshold);
  if (level == 0) {
    EXPECT_EQ(out, pcm);
  }
  // Lossy levels pay off on this signal.
  if (level >= 4 && c.frames > 1) {
    EXPECT_LT(chunk.size(), writeChunk(pcm, c.format, 0, false).size());
  }

  for (size_t cut : {chunk.size() / 2, chunk.size() - 5}) {
    std::vector<uint8_t> part(chunk.begin(), chunk.begin() + static_cast<long>(cut));
    readChunk(part, c.format, true, static_cast<uint32_t>(pcm.size()), &n);
    EXPECT_EQ(n, 0);
  }
  sc::Format other = c.format;
  other.channels = 3 - other.channels;
  readChunk(chunk, other, true, static_cast<uint32_t>(pcm.size() * 2), &n);
  EXPECT_EQ(n, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundChunkRoundTrip,
                         testing::Combine(testing::Values(Case{{8, 1}, 3000}, Case{{8, 2}, 2000},
                                                          Case{{16, 1}, 2500}, Case{{16, 2}, 1800},
                                                          Case{{16, 2}, 1}),
                                          testing::Range(0, 10)));

TEST(SoundChunk, HugeChunkStaysWithinTheCodeLengthLimit) {
  // Skewed deltas over millions of samples would need codes longer than 30
  // bits; the writer scales its statistics so the chunk still decodes.
  const sc::Format mono8{8, 1};
  std::vector<uint8_t> pcm{0};
  uint32_t a = 1, b = 1;  // delta k comes Fibonacci(k) times
  for (uint8_t k = 1; k <= 32; ++k) {
    for (uint32_t i = 0; i < a; ++i) pcm.push_back(static_cast<uint8_t>(pcm.back() + k));
    uint32_t c = a + b;
    a = b;
    b = c;
  }
  int32_t n = 0;
  auto out = readChunk(writeChunk(pcm, mono8, 0, false), mono8, true, static_cast<uint32_t>(pcm.size()), &n);
  ASSERT_EQ(n, static_cast<int32_t>(pcm.size()));
  EXPECT_EQ(out, pcm);
}

}  // namespace
