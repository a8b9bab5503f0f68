// Concurrency of the encoder job: flushes from another thread while frames
// are compressed, the writer lock against a waiting flush, concurrent
// flushes, a reader of the temporary file, and per-block analysis on
// several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "encoder/file_guard.h"
#include "encoder/job.h"
#include "encoder_test.h"
#include "testutil.h"

namespace {

using namespace enctest;
using Clock = std::chrono::steady_clock;

// A file that a reader took while the job was writing: whatever its header
// claims must be there and decode.
void expectConsistent(const std::string& name, uint32_t& framesSeen) {
  ZurnFile f;
  ASSERT_TRUE(readZurnFile(name, f));
  if (f.frames == 0) return;  // not flushed yet
  ASSERT_LE(f.fileSizeLess8 + 8, f.bytes.size());
  ASSERT_LE(f.index[f.frames] & ~1u, f.bytes.size());
  std::vector<Picture> pictures;
  std::string why;
  EXPECT_TRUE(decodeFrames(f, pictures, why)) << why;
  framesSeen = std::max(framesSeen, f.frames);
}

TEST(JobThreads, FlushDuringCompressionKeepsTheFileReadable) {
  testutil::TempDir dir;
  const Clip clip = naturalClip(40, 24, 12);
  const std::string name = dir.file("busy.zrn");
  ZurnMakeState* job = tol::ZurnMake(name.c_str(), 4 * clip.width, clip.width, clip.height, 12, 0, 0, 30, 1, 0,
                                     nullptr, 3, nullptr);
  ASSERT_NE(job, nullptr);
  std::atomic<bool> done{false};
  int flushed = 0;
  uint32_t framesSeen = 0;
  std::thread flusher([&] {
    while (!done.load()) {
      if (tol::ZurnMakeFlush(job)) {
        ++flushed;
        expectConsistent(name + ".tmp", framesSeen);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  for (uint32_t k = 0; k < 12; ++k) tol::ZurnMakePutVideo(job, 1500, 100000, 0, clip.frames[k].data());
  done = true;
  flusher.join();
  tol::ZurnMakeClose(job, 0);
  EXPECT_GT(flushed, 0);
  EXPECT_GT(framesSeen, 0u);

  // The finished file does not depend on the flushes.
  const std::string quiet = dir.file("quiet.zrn");
  encodeClip(clip, quiet, [] {
    EncodeOptions o;
    o.targetSize = 1500;
    o.maxSize = 100000;
    o.window = 3;
    return o;
  }());
  EXPECT_EQ(testutil::readFile(name), testutil::readFile(quiet));
}

TEST(JobThreads, FlushGivesUpWhileAWriterHoldsTheFile) {
  testutil::TempDir dir;
  ZurnMakeState* job = tol::ZurnMake(dir.file("held.zrn").c_str(), 64, 16, 8, 2, 0, 0, 30, 1, 0, nullptr, 2, nullptr);
  ASSERT_NE(job, nullptr);
  std::atomic<bool> held{false}, release{false};
  std::thread writer([&] {
    tol::WriterGuard guard(*job);
    held = true;
    while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  while (!held.load()) std::this_thread::yield();
  const auto start = Clock::now();
  EXPECT_EQ(tol::ZurnMakeFlush(job), 0);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(240));
  EXPECT_LT(waited, std::chrono::seconds(2));
  release = true;
  writer.join();
  EXPECT_EQ(tol::ZurnMakeFlush(job), 1);
  tol::ZurnMakeClose(job, 1);
}

TEST(JobThreads, ConcurrentFlushesBackOffWithoutDeadlock) {
  testutil::TempDir dir;
  ZurnMakeState* job = tol::ZurnMake(dir.file("two.zrn").c_str(), 64, 16, 8, 2, 0, 0, 30, 1, 0, nullptr, 2, nullptr);
  ASSERT_NE(job, nullptr);
  std::atomic<int> results[2];
  std::atomic<int> ready{0};
  auto flush = [&](int i) {
    ++ready;
    while (ready.load() < 2) std::this_thread::yield();
    results[i] = tol::ZurnMakeFlush(job);
  };
  const auto start = Clock::now();
  std::thread a(flush, 0), b(flush, 1);
  a.join();
  b.join();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  for (auto& r : results) EXPECT_TRUE(r == 0 || r == 1);
  EXPECT_EQ(job->flushWanted, 0);
  EXPECT_EQ(tol::ZurnMakeFlush(job), 1);
  tol::ZurnMakeClose(job, 1);
}

TEST(JobThreads, AnalysisOnSeveralThreadsGivesTheSameFile) {
  testutil::TempDir dir;
  const Clip clip = naturalClip(64, 32, 4, 8, 2, 1);
  EncodeOptions o;
  o.targetSize = 2500;
  o.threads = 1;
  encodeClip(clip, dir.file("one.zrn"), o);
  o.threads = 4;
  encodeClip(clip, dir.file("four.zrn"), o);
  EXPECT_EQ(testutil::readFile(dir.file("one.zrn")), testutil::readFile(dir.file("four.zrn")));
}

TEST(JobThreads, JobsOnTwoThreadsAtOnce) {
  testutil::TempDir dir;
  const Clip a = naturalClip(48, 32, 6, 1), b = patternClip(40, 24, 6);
  EncodeOptions o;
  o.targetSize = 1000;
  encodeClip(a, dir.file("a1.zrn"), o);
  encodeClip(b, dir.file("b1.zrn"), o);
  std::thread ta([&] { encodeClip(a, dir.file("a2.zrn"), o); });
  std::thread tb([&] { encodeClip(b, dir.file("b2.zrn"), o); });
  ta.join();
  tb.join();
  EXPECT_EQ(testutil::readFile(dir.file("a1.zrn")), testutil::readFile(dir.file("a2.zrn")));
  EXPECT_EQ(testutil::readFile(dir.file("b1.zrn")), testutil::readFile(dir.file("b2.zrn")));
}

}  // namespace
