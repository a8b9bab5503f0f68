// The figures the harness reports: PSNR, sound SNR with delay search,
// interpolation on a rate curve, and the measurement of child processes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "child_process.h"
#include "quality.h"
#include "report.h"

namespace zb = zurnbench;

namespace {

zb::YuvFrame flatFrame(int w, int h, uint8_t y, uint8_t cb, uint8_t cr) {
  zb::YuvFrame f(w, h);
  std::fill(f.y.begin(), f.y.end(), y);
  std::fill(f.cb.begin(), f.cb.end(), cb);
  std::fill(f.cr.begin(), f.cr.end(), cr);
  return f;
}

}  // namespace

TEST(Psnr, FollowsTheMeanSquaredError) {
  // Mean squared error 1 gives 20 log10(255) = 48.13 dB; 0 is infinite.
  EXPECT_NEAR(zb::psnr(100, 100), 48.1308, 1e-4);
  EXPECT_NEAR(zb::psnr(400, 100), 48.1308 - 10 * std::log10(4.0), 1e-4);
  EXPECT_TRUE(std::isinf(zb::psnr(0, 100)));
  EXPECT_EQ(zb::psnr(5, 0), 0);
}

TEST(Psnr, ClipSumsErrorsPerPlaneAndFindsTheWorstFrame) {
  const zb::YuvFrame ref = flatFrame(4, 2, 100, 50, 200);
  zb::ClipQuality q;
  EXPECT_TRUE(q.add(ref, flatFrame(4, 2, 101, 50, 200)));  // luma off by 1
  EXPECT_TRUE(q.add(ref, flatFrame(4, 2, 103, 48, 200)));  // luma off by 3, Cb by 2
  EXPECT_TRUE(q.add(ref, ref));
  EXPECT_EQ(q.frames, 3);
  EXPECT_EQ(q.samplesY, 24u);
  EXPECT_EQ(q.samplesC, 6u);
  EXPECT_NEAR(q.psnrY(), zb::psnr(8 * 1 + 8 * 9, 24), 1e-9);
  EXPECT_NEAR(q.psnrCb(), zb::psnr(2 * 4, 6), 1e-9);
  EXPECT_TRUE(std::isinf(q.psnrCr()));
  EXPECT_EQ(q.worstFrame, 1);
  EXPECT_NEAR(q.worstY, zb::psnr(9, 1), 1e-9);
  EXPECT_FALSE(q.add(ref, flatFrame(4, 4, 100, 50, 200)));
}

TEST(Psnr, FindsThePictureInsideALargerDecodedFrame) {
  zb::YuvFrame ref(16, 10), big(24, 14);
  std::mt19937 rng(3);
  for (auto* plane : {&ref.y, &ref.cb, &ref.cr, &big.y, &big.cb, &big.cr})
    for (auto& v : *plane) v = uint8_t(rng());
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 16; ++c) big.y[size_t(r + 2) * 24 + c + 4] = ref.y[size_t(r) * 16 + c];
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 8; ++c) {
      big.cb[size_t(r + 1) * 12 + c + 2] = ref.cb[size_t(r) * 8 + c];
      big.cr[size_t(r + 1) * 12 + c + 2] = ref.cr[size_t(r) * 8 + c];
    }
  const zb::Offset at = zb::findPicture(ref, big);
  EXPECT_EQ(at.x, 4);
  EXPECT_EQ(at.y, 2);
  const zb::YuvFrame cut = zb::cropFrame(big, at, 16, 10);
  EXPECT_EQ(cut.y, ref.y);
  EXPECT_EQ(cut.cb, ref.cb);
  EXPECT_EQ(cut.cr, ref.cr);
}

TEST(SoundFidelity, FindsTheDelayAndMeasuresTheNoise) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> sample(-8000, 8000), noise(-1, 1);
  const int channels = 2, delay = 37;
  std::vector<int16_t> ref(4000 * channels), dec(delay * channels, 0);
  for (auto& s : ref) s = int16_t(sample(rng));
  double signal = 0, error = 0;
  for (int16_t s : ref) {
    const int n = noise(rng);
    dec.push_back(int16_t(s + n));
    signal += double(s) * s;
    error += n * n;
  }
  const zb::SoundFidelity f = zb::measureSound(ref, dec, channels, 64);
  EXPECT_EQ(f.lag, delay);
  EXPECT_NEAR(f.snrDb, 10 * std::log10(signal / error), 1e-9);
  // Decoded sound that stops early counts its missing part as silence.
  const zb::SoundFidelity cut = zb::measureSound(ref, std::vector<int16_t>(ref.begin(), ref.end() - 2000), 2, 4);
  EXPECT_EQ(cut.lag, 0);
  EXPECT_LT(cut.snrDb, 10);
  EXPECT_GT(cut.snrDb, 0);
}

TEST(RateCurve, InterpolatesInLogRateInsideTheMeasuredRange) {
  const std::vector<std::pair<double, double>> curve = {{400000, 44}, {100000, 36}, {200000, 40}};
  EXPECT_DOUBLE_EQ(*zb::psnrAtRate(curve, 200000), 40);
  EXPECT_NEAR(*zb::psnrAtRate(curve, 100000 * std::sqrt(2.0)), 38, 1e-9);
  EXPECT_NEAR(*zb::psnrAtRate(curve, 300000), 40 + 4 * std::log(1.5) / std::log(2.0), 1e-9);
  EXPECT_FALSE(zb::psnrAtRate(curve, 99999));
  EXPECT_FALSE(zb::psnrAtRate(curve, 400001));
  EXPECT_FALSE(zb::psnrAtRate({}, 1));
}

TEST(ChildRun, ReportsExitOutputAndMemory) {
  const zb::ChildRun run = zb::runChild({"sh", "-c", "echo out; echo err >&2; exit 3"}, 10);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.ok());
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.out, "out\n");
  EXPECT_EQ(run.err, "err\n");
  EXPECT_EQ(run.failure(), "exit code 3: err");
  EXPECT_GT(run.peakKiB, 0);
  EXPECT_GT(run.wallSeconds, 0);
}

TEST(ChildRun, KillsAnOverrunAndReportsAMissingProgram) {
  const zb::ChildRun slow = zb::runChild({"sleep", "5"}, 0.2);
  EXPECT_TRUE(slow.timedOut);
  EXPECT_LT(slow.wallSeconds, 4);
  EXPECT_EQ(slow.failure(), "timed out");
  const zb::ChildRun missing = zb::runChild({"no-such-program-zurnbench"}, 5);
  EXPECT_FALSE(missing.started);
  EXPECT_FALSE(zb::onPath("no-such-program-zurnbench"));
  EXPECT_TRUE(zb::onPath("sh"));
}
