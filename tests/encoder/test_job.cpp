// The encoder job: window sizes and frame rates, when frames are compressed,
// the keyframe countdown, stopping, discarding, flushing part way, the sound
// track tables, the temporary file and the rename rules.
#include <gtest/gtest.h>

#include <stdexcept>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "encoder/job.h"
#include "encoder_test.h"
#include "testutil.h"

namespace {

using namespace enctest;

// Records the callback's calls.
struct Calls {
  std::vector<std::pair<int32_t, std::string>> seen;  // kind, text
  std::vector<int32_t> compressed;                  // progressFrame of each "Compressing"
  int32_t stopAt = -1;                              // frame whose "Compressing" answers 1
};
Calls* g_calls = nullptr;

int32_t TOL_CC recordCall(int32_t kind, ZurnMakeState* job, const char* text) {
  g_calls->seen.emplace_back(kind, text ? text : "");
  if (kind == ZURNMAKE_PROGRESS && std::strcmp(text, "Compressing") == 0) {
    g_calls->compressed.push_back(job->progressFrame);
    if (job->progressFrame == g_calls->stopAt) return 1;
  }
  return 0;
}

class Job : public ::testing::Test {
 protected:
  void SetUp() override { g_calls = &calls; }
  void TearDown() override { g_calls = nullptr; }

  ZurnMakeState* open(uint32_t frames, uint32_t window = 2, uint32_t keyInterval = 0, const char* leaf = "out.zrn",
                      uint32_t tracks = 0, const ZurnMakeSoundTrack* track = nullptr) {
    ZurnMakeState* job = tol::ZurnMake(dir.file(leaf).c_str(), 4 * clip.width, clip.width, clip.height, frames,
                                       keyInterval, 0, 30, 1, tracks, track, window, recordCall);
    if (!job) throw std::runtime_error("the encoder refused to create " + dir.file(leaf));
    return job;
  }
  void put(ZurnMakeState* job, uint32_t k, uint32_t keyframe = 0) {
    tol::ZurnMakePutVideo(job, 2000, 100000, keyframe, clip.frames[k % clip.frames.size()].data());
  }
  ZurnFile read(const char* leaf = "out.zrn") {
    ZurnFile f;
    EXPECT_TRUE(readZurnFile(dir.file(leaf), f));
    return f;
  }

  testutil::TempDir dir;
  Calls calls;
  Clip clip = naturalClip(24, 16, 12);
};

TEST_F(Job, WindowSizeIsClampedAndFrameRateReduced) {
  for (auto [asked, got] : {std::pair{1u, 2u}, {0u, 2u}, {3u, 3u}, {64u, 64u}, {100u, 64u}}) {
    ZurnMakeState* job = open(3, asked);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->windowSize, got);
    tol::ZurnMakeClose(job, 1);
  }
  ZurnMakeState* job = tol::ZurnMake(dir.file("fps.zrn").c_str(), 4 * 24, 24, 16, 1, 0, 0, 60, 2, 0, nullptr, 2,
                                     nullptr);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->fpsNumerator, 30u);
  EXPECT_EQ(job->fpsDenominator, 1u);
  put(job, 0);
  tol::ZurnMakeClose(job, 0);
  const ZurnFile f = read("fps.zrn");
  EXPECT_EQ(f.fpsNumerator, 30u);
  EXPECT_EQ(f.fpsDenominator, 1u);
}

TEST_F(Job, WindowOfFourCompressesFromTheFourthFrameAndAllAtTheEnd) {
  ZurnMakeState* job = open(10, 4);
  std::vector<std::vector<int32_t>> perCall;
  for (uint32_t k = 0; k < 10; ++k) {
    calls.compressed.clear();
    put(job, k);
    perCall.push_back(calls.compressed);
  }
  const std::vector<std::vector<int32_t>> expected = {{}, {}, {}, {0}, {1}, {2}, {3}, {4}, {5}, {6, 7, 8, 9}};
  EXPECT_EQ(perCall, expected);
  // Further frames are ignored.
  calls.compressed.clear();
  put(job, 10);
  EXPECT_TRUE(calls.compressed.empty());
  EXPECT_EQ(job->framesWritten, 10u);
  tol::ZurnMakeClose(job, 0);
  EXPECT_EQ(read().frames, 10u);
}

TEST_F(Job, ProgressStepsOfAFrameComeInOrder) {
  ZurnMakeState* job = open(1);
  put(job, 0);
  tol::ZurnMakeClose(job, 1);
  std::vector<std::string> texts;
  for (const auto& [kind, text] : calls.seen) {
    EXPECT_EQ(kind, ZURNMAKE_PROGRESS);
    texts.push_back(text);
  }
  const std::vector<std::string> expected = {
      "Compressing",         "Compressing Y plane",      "Compressing Cr plane",
      "Compressing Cb plane", "Compressing Y high-plane", "Compressing Cr high-plane",
      "Compressing Cb high-plane", "Allocating bandwidth", "Merging multi-resolution planes",
      "Encoding Y plane",    "Encoding Cr plane",        "Encoding Cb plane"};
  EXPECT_EQ(texts, expected);
}

std::vector<bool> keyBits(const ZurnFile& f) {
  std::vector<bool> keys;
  for (uint32_t k = 0; k < f.frames; ++k) keys.push_back(f.index[k] & 1);
  return keys;
}

TEST_F(Job, KeyframeCountdownAndHostRequests) {
  // Interval 5: the countdown forces frames 4, 9, ...; the first frame is
  // always a keyframe; a requested keyframe (frame 12) restarts the count.
  ZurnMakeState* job = open(20, 3, 5);
  for (uint32_t k = 0; k < 20; ++k) put(job, k, k == 12);
  tol::ZurnMakeClose(job, 0);
  std::vector<bool> expected(20, false);
  for (uint32_t k : {0, 4, 9, 12, 17}) expected[k] = true;
  EXPECT_EQ(keyBits(read()), expected);
}

TEST_F(Job, NoIntervalKeepsOnlyTheFirstAndRequestedKeyframes) {
  ZurnMakeState* job = open(6, 2);
  for (uint32_t k = 0; k < 6; ++k) put(job, k, k == 3);
  tol::ZurnMakeClose(job, 0);
  EXPECT_EQ(keyBits(read()), (std::vector<bool>{true, false, false, true, false, false}));
}

TEST_F(Job, StopDuringFrameFiveGivesSixFrames) {
  calls.stopAt = 5;
  ZurnMakeState* job = open(12, 3);
  for (uint32_t k = 0; k < 12; ++k) put(job, k);
  EXPECT_EQ(job->stopRequest, 1u);
  EXPECT_EQ(job->framesWritten, 6u);
  tol::ZurnMakeClose(job, 0);
  const ZurnFile f = read();
  EXPECT_EQ(f.frames, 6u);
  EXPECT_EQ(f.indexFrames, 12u);
  EXPECT_EQ(f.index[7], 0u);
  EXPECT_EQ(f.fileSizeLess8 + 8, f.bytes.size());
  EXPECT_EQ(f.index[6], f.bytes.size());
  std::vector<Picture> pictures;
  std::string why;
  EXPECT_TRUE(decodeFrames(f, pictures, why)) << why;
}

TEST_F(Job, DiscardLeavesNoFileAndKeepsTheOldTarget) {
  testutil::writeFile(dir.file("out.zrn"), {1, 2, 3});
  ZurnMakeState* job = open(4);
  for (uint32_t k = 0; k < 4; ++k) put(job, k);
  tol::ZurnMakeClose(job, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.zrn.tmp")));
  EXPECT_EQ(testutil::readFile(dir.file("out.zrn")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(Job, CloseReplacesTheOldTarget) {
  testutil::writeFile(dir.file("out.zrn"), {1, 2, 3});
  ZurnMakeState* job = open(2);
  put(job, 0);
  put(job, 1);
  const uint32_t size = tol::ZurnMakeClose(job, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.zrn.tmp")));
  EXPECT_EQ(std::filesystem::file_size(dir.file("out.zrn")), size);
  EXPECT_EQ(read().frames, 2u);
}

TEST_F(Job, FlushAfterFiveOfHundredFrames) {
  ZurnMakeState* job = open(100, 2);
  for (uint32_t k = 0; k < 6; ++k) put(job, k);  // the sixth frame compresses the fifth
  ASSERT_EQ(job->framesWritten, 5u);
  EXPECT_EQ(tol::ZurnMakeFlush(job), 1);
  const ZurnFile f = read("out.zrn.tmp");
  EXPECT_EQ(f.frames, 5u);
  EXPECT_EQ(f.indexFrames, 100u);
  EXPECT_EQ(f.fileSizeLess8 + 8, f.bytes.size());
  for (uint32_t k = 0; k <= 5; ++k) EXPECT_NE(f.index[k], 0u) << k;
  for (uint32_t k = 6; k <= 100; ++k) EXPECT_EQ(f.index[k], 0u) << k;
  EXPECT_EQ(f.index[0], (44u + 4 * 101) | 1);
  std::vector<Picture> pictures;
  std::string why;
  EXPECT_TRUE(decodeFrames(f, pictures, why)) << why;
  tol::ZurnMakeClose(job, 1);
}

TEST_F(Job, HeaderAndSoundTablesOfANewFile) {
  const ZurnMakeSoundTrack track{77, 22050, 16, 2, 0, nullptr, nullptr};
  ZurnMakeState* job = open(3, 2, 0, "out.zrn", 1, &track);
  for (uint32_t k = 0; k < 3; ++k) put(job, k);
  tol::ZurnMakeClose(job, 0);
  const ZurnFile f = read();
  EXPECT_EQ(f.width, clip.width);
  EXPECT_EQ(f.height, clip.height);
  EXPECT_EQ(f.videoFlags, 0u);
  ASSERT_EQ(f.trackCount, 1u);
  EXPECT_EQ(f.soundFlags[0], 0xE0005622u);
  EXPECT_EQ(f.trackIds[0], 77u);
  EXPECT_EQ(f.index[0] & ~1u, 44u + 12 + 4 * 4);
  uint32_t largest = 0;
  for (uint32_t k = 0; k < 3; ++k) largest = std::max(largest, (f.index[k + 1] & ~1u) - (f.index[k] & ~1u));
  EXPECT_EQ(f.largestFrame, largest);
  std::vector<Picture> pictures;
  std::string why;
  EXPECT_TRUE(decodeFrames(f, pictures, why)) << why;
}

TEST_F(Job, LineModeHalvesTheHeightAndFlagsTheFile) {
  for (uint32_t mode : {1u, 2u}) {
    ZurnMakeState* job = tol::ZurnMake(dir.file("lines.zrn").c_str(), 4 * 24, 24, 33, 1, 0, mode, 30, 1, 0,
                                       nullptr, 2, nullptr);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->height, 16u);
    std::vector<uint8_t> pixels(4 * 24 * 33, 90);
    tol::ZurnMakePutVideo(job, 1000, 5000, 0, pixels.data());
    tol::ZurnMakeClose(job, 0);
    const ZurnFile f = read("lines.zrn");
    EXPECT_EQ(f.height, 16u);
    EXPECT_EQ(f.videoFlags, mode == 1 ? 0x20000000u : 0x10000000u);
  }
}

TEST_F(Job, UncreatableTemporaryFileIsReported) {
  const std::string missingDir = dir.file("no/such/folder/out.zrn");
  EXPECT_EQ(tol::ZurnMake(missingDir.c_str(), 96, 24, 16, 1, 0, 0, 30, 1, 0, nullptr, 2, recordCall), nullptr);
  const std::string tooLong = dir.file(std::string(130, 'a'));
  EXPECT_EQ(tol::ZurnMake(tooLong.c_str(), 96, 24, 16, 1, 0, 0, 30, 1, 0, nullptr, 2, recordCall), nullptr);
  ASSERT_EQ(calls.seen.size(), 2u);
  for (const auto& [kind, text] : calls.seen) {
    EXPECT_EQ(kind, ZURNMAKE_MESSAGE);
    EXPECT_EQ(text.rfind("Couldn't create temporary file.\n\nSome possible reasons", 0), 0u);
  }
}

TEST_F(Job, TargetThatCannotBeReplacedKeepsTheTemporaryFile) {
  std::filesystem::create_directories(dir.file("out.zrn/inside"));
  ZurnMakeState* job = open(1);
  put(job, 0);
  tol::ZurnMakeClose(job, 0);
  const std::string expected = "Zurn couldn't overwrite, '" + dir.file("out.zrn") +
                               "', so the new Zurn file is called: '" + dir.file("out.zrn.tmp") + "'.";
  ASSERT_FALSE(calls.seen.empty());
  EXPECT_EQ(calls.seen.back(), std::make_pair(int32_t{ZURNMAKE_MESSAGE}, expected));
  EXPECT_EQ(read("out.zrn.tmp").frames, 1u);
}

TEST_F(Job, NullHandlesAndPixelsAreIgnored) {
  tol::ZurnMakePutVideo(nullptr, 1, 1, 0, clip.frames[0].data());
  EXPECT_EQ(tol::ZurnMakeFlush(nullptr), 0);
  EXPECT_EQ(tol::ZurnMakeClose(nullptr, 0), 0u);
  ZurnMakeState* job = open(1);
  tol::ZurnMakePutVideo(job, 1, 1, 0, nullptr);
  EXPECT_EQ(job->windowFill, 0u);
  tol::ZurnMakeClose(job, 1);
}

}  // namespace
