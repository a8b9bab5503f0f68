// The read-ahead thread at work while decoders decode, jump and close, alone
// and several at once (run under ThreadSanitizer by the tsan preset).
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "decode/zurn_decoder.h"
#include "testutil.h"
#include "zurn_test_file.h"
#include "zurn_test_frames.h"

namespace {

using tol::ZurnDecoder;

// 120 frames of 160 x 120 at 5 frames a second: a raw keyframe every 10
// frames, fills in between. The busiest second is a small part of the file,
// so decoders read it through the ring.
struct Movie {
  Movie() {
    zurntest::SyntheticMovie movie = zurntest::syntheticMovie(160, 120, 120, 5, 10);
    pictures = std::move(movie.pictures);
    name = dir.file("movie.zrn");
    testutil::writeFile(name, zurntest::build(movie.clip));
  }
  testutil::TempDir dir;
  std::string name;
  std::vector<std::vector<uint8_t>> pictures;
};

bool showsFrame(const ZurnDecoder* d, const std::vector<uint8_t>& picture) {
  return std::equal(picture.begin(), picture.end(), d->frameBuffers[d->currentBuffer]);
}

// Decodes a stretch, jumps around, decodes again; returns the number of
// wrong pictures.
int play(const Movie& movie, uint32_t seed) {
  ZurnDecoder* d = tol::ZurnDecoderOpen(movie.name.c_str(), 0);
  if (!d || d->image) return 1000;
  std::mt19937 random(seed);
  int wrong = 0;
  for (int jump = 0; jump < 6; jump++) {
    int32_t target = 1 + static_cast<int32_t>(random() % 120);
    tol::ZurnDecoderGoto(d, target, 0);
    for (int k = 0; k < 15; k++) {
      if (tol::ZurnDecoderDecodeFrame(d) != 1 || !showsFrame(d, movie.pictures[d->currentFrame - 1])) wrong++;
      tol::ZurnDecoderNextFrame(d);
    }
  }
  tol::ZurnDecoderClose(d);
  return wrong;
}

// One movie for all tests: making it takes a while under the sanitizers.
class ReadAheadThread : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { movie = new Movie(); }
  static void TearDownTestSuite() {
    delete movie;
    movie = nullptr;
  }
  static Movie* movie;
};
Movie* ReadAheadThread::movie = nullptr;

TEST_F(ReadAheadThread, FillsTheRingInTheBackground) {
  ZurnDecoder* d = tol::ZurnDecoderOpen(movie->name.c_str(), ZURNDEC_NO_PREFILL);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->image, nullptr);
  EXPECT_GT(d->readAheadSize, 0u);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (d->source.buffered() < d->readAheadSize && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(d->source.buffered(), d->readAheadSize);
  EXPECT_EQ(d->threadState.load(), ZurnDecoder::kRunning);
  tol::ZurnDecoderClose(d);
}

TEST_F(ReadAheadThread, DecodeSeekAndCloseRepeatedly) {
  for (uint32_t round = 0; round < 4; round++) EXPECT_EQ(play(*movie, round), 0) << "round " << round;
}

TEST_F(ReadAheadThread, SeveralDecodersAtOnce) {
  std::vector<int> wrong(3, -1);
  std::vector<std::thread> players;
  for (uint32_t i = 0; i < wrong.size(); i++)
    players.emplace_back([&, i] { wrong[i] = play(*movie, 100 + i) + play(*movie, 200 + i); });
  for (auto& t : players) t.join();
  EXPECT_EQ(wrong, std::vector<int>(wrong.size(), 0));
}

TEST_F(ReadAheadThread, CloseRightAfterOpen) {
  for (int i = 0; i < 30; i++) {
    ZurnDecoder* d = tol::ZurnDecoderOpen(movie->name.c_str(), i % 2 ? ZURNDEC_NO_PREFILL : 0);
    ASSERT_NE(d, nullptr);
    tol::ZurnDecoderClose(d);
  }
}

}  // namespace
