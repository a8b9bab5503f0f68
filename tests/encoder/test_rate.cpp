// Bandwidth allocation: frame weights, frame budgets, the symbol statistics,
// the greedy allocation and the coarse/fine merge, and the data rate of a
// whole clip against its targets.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "encoder/allocation.h"
#include "encoder/colour_convert.h"
#include "encoder/frame_budget.h"
#include "encoder/job.h"
#include "encoder/plane_stats.h"
#include "encoder/sound_track.h"
#include "encoder_test.h"
#include "testutil.h"

namespace {

using namespace tol;

TEST(FrameWeight, EntropyOfKeyAndDeltaFrames) {
  const PlaneGeometry g = planeGeometry(16, 16);  // 256 luma, 64 + 64 chroma samples
  std::vector<uint8_t> y(256, 50), cr(64, 128), cb(64, 128);
  const FramePlanes flat{y.data(), cr.data(), cb.data()};
  EXPECT_EQ(frameWeight(flat, flat, g, true), 0u);
  // Half the luma samples one value, half another: one bit each, 32 bytes;
  // a keyframe weighs 1.5 times that.
  std::vector<uint8_t> y2 = y;
  for (int i = 0; i < 128; ++i) y2[i] = 200;
  const FramePlanes halves{y2.data(), cr.data(), cb.data()};
  EXPECT_EQ(frameWeight(halves, flat, g, true), 48u);
  // As a delta frame only the 128 changed samples count, all of one value.
  EXPECT_EQ(frameWeight(halves, flat, g, false), 0u);
  // Changes of 2 or less do not count.
  std::vector<uint8_t> y3 = y;
  for (int i = 0; i < 256; i += 2) y3[i] = static_cast<uint8_t>(i % 4 ? 52 : 90);
  const FramePlanes mixed{y3.data(), cr.data(), cb.data()};
  EXPECT_EQ(frameWeight(mixed, flat, g, false), 0u);  // only the 64 samples of 90 changed: one value
}

TEST(FrameBudget, SharesByWeightOrEvenly) {
  EXPECT_EQ(frameShare(10000, 0, 1, 4, 4), 2500u);
  EXPECT_EQ(frameShare(10000, 2000, 3, 4, 4), 6000u);
  EXPECT_EQ(frameShare(9000, 0, 0, 0, 3), 3000u);  // all weights 0: even shares
  EXPECT_EQ(frameShare(1000, 2000, 1, 1, 1), 0u);   // sound takes more than there is
}

TEST(FrameBudget, FloorsAndMaximum) {
  PlaneStats s[3];
  initPlaneStats(s[0], false);
  initPlaneStats(s[1], true);
  initPlaneStats(s[2], true);
  const PlaneGeometry g = planeGeometry(16, 16);
  // est[0] is still 0: only the tenth of the target raises the share.
  EXPECT_EQ(clampFrameBudget(0, 1000, 5000, s[0], s[1], s[2], g), 100u);
  EXPECT_EQ(clampFrameBudget(0, 1000, 60, s[0], s[1], s[2], g), 60u);
  EXPECT_EQ(clampFrameBudget(700, 1000, 5000, s[0], s[1], s[2], g), 700u);
  // The block type symbols alone: luma 1 + 4 blocks, chroma 0 + 1 per plane.
  for (PlaneStats& p : s) p.est[0] = 2048;
  EXPECT_EQ(clampFrameBudget(0, 0, 5000, s[0], s[1], s[2], g), 5u + 3u);
}

TEST(FrameBudget, SoundEstimateFromTheCodingSoFar) {
  SoundTrackState t{};
  t.bytesPerSecond = 88200;
  t.remaining = 1000000;
  t.rawTotal = 45;
  t.codedTotal = 10;
  // 3 frames at 30 fps: 8820 raw bytes, coded at 10 / 45.
  EXPECT_EQ(soundEstimate(&t, 1, 3, 30, 1), 8820u * 10 / 45);
  t.remaining = 900;
  EXPECT_EQ(soundEstimate(&t, 1, 3, 30, 1), 900u * 10 / 45);
  t.remaining = 0;
  EXPECT_EQ(soundEstimate(&t, 1, 3, 30, 1), 0u);
}

TEST(PlaneStatistics, EstimatesFromHistoriesAndRecording) {
  PlaneStats s;
  initPlaneStats(s, false);
  refreshEstimates(s);
  EXPECT_EQ(s.est[kEstColours], 60u * 4 * 256 / 40);
  EXPECT_EQ(s.est[kEstPatterns], 510u * 4 * 256 / 40);
  CollectionUsage usage[ZURNMAKE_COLLECTIONS] = {};
  usage[kEstColours] = {5000, 999, true};
  usage[kEstRunLengths] = {500, 10, true};  // 10 symbols: too few to count
  recordPlaneUsage(s, usage);
  EXPECT_EQ(s.collection[kEstColours].bitsHistory[0], 5000u);
  EXPECT_EQ(s.collection[kEstColours].countHistory[0], 1000u);
  EXPECT_EQ(s.collection[kEstRunLengths].bitsHistory[0], 35u);
  refreshEstimates(s);
  EXPECT_EQ(s.est[kEstColours], (5000u + 3 * 60) * 256 / (1000 + 30));
  EXPECT_EQ(s.collection[kEstColours].bitsHistory[3], 5000u);
  refreshEstimates(s);
  EXPECT_EQ(s.est[kEstColours], 5000u * 256 / 1000);
  // Far too cheap or too dear symbols are held within the bounds.
  usage[kEstColours] = {10, 999, true};
  usage[kEstRunLengths] = {100000, 11, true};
  recordPlaneUsage(s, usage);
  refreshEstimates(s);
  refreshEstimates(s);
  EXPECT_EQ(s.est[kEstColours], 640u);
  EXPECT_EQ(s.est[kEstRunLengths], 1024u);
}

BlockChoices record(std::initializer_list<std::pair<int32_t, uint32_t>> options, uint8_t type = 9) {
  BlockChoices r{};
  for (auto [size, error] : options) {
    r.optionType[r.optionCount] = type;
    r.optionParam[r.optionCount] = r.optionCount;
    r.optionSize[r.optionCount] = size;
    r.optionError[r.optionCount] = error;
    ++r.optionCount;
  }
  return r;
}

TEST(Allocation, TakesTheSteepestStepsFirst) {
  BlockChoices r[3] = {record({{2048, 1000}, {4096, 500}, {8192, 0}}),  // slopes 500/2048, 500/4096
                       record({{2048, 1000}, {4096, 0}}),                // 1000/2048
                       record({{0, 10}})};
  allocateBudget(r, 3, 3);  // 6144 units: 4096 go to the starts, the rest to record 1
  EXPECT_EQ(r[0].chosen, 0);
  EXPECT_EQ(r[1].chosen, 1);
  EXPECT_EQ(r[1].finalSize, 4096);
  EXPECT_EQ(r[1].finalError, 0u);
  allocateBudget(r, 3, 4);  // then the next steepest
  EXPECT_EQ(r[0].chosen, 1);
  EXPECT_EQ(r[1].chosen, 1);
  allocateBudget(r, 3, 2000000);  // everything to its last option
  EXPECT_EQ(r[0].chosen, 2);
  EXPECT_EQ(r[0].finalError, 0u);
  EXPECT_EQ(r[2].finalError, 10u);
}

TEST(Allocation, FirstRecordWinsTiesAndTheLastStepMayOvershoot) {
  BlockChoices same[2] = {record({{0, 100}, {2048, 0}}), record({{0, 100}, {2048, 0}})};
  allocateBudget(same, 2, 1);
  EXPECT_EQ(same[0].chosen, 1);
  EXPECT_EQ(same[1].chosen, 0);
  BlockChoices big[1] = {record({{0, 100}, {8192, 0}})};
  allocateBudget(big, 1, 1);
  EXPECT_EQ(big[0].chosen, 1);
}

TEST(Allocation, AFlatAreaOfAKeyframeBecomesOneScaledFill) {
  // One 16 x 16 area in a plane of 2 x 2 blocks; the blocks were given fills.
  BlockChoices blocks[4];
  for (BlockChoices& b : blocks) {
    b = record({{2000, 0}}, 6);
    b.finalType = 6, b.finalSize = 2000, b.finalError = 0, b.finalParam = 77;
  }
  BlockChoices areas[1] = {record({{1500, 0}}, 6)};
  areas[0].optionParam[0] = 77;
  PlaneRecords planes[3] = {{blocks, areas, 2, 2}, {nullptr, areas + 1, 0, 0}, {nullptr, areas + 1, 0, 0}};
  mergeAreas(planes, 1000);
  EXPECT_EQ(blocks[0].finalType, 1u);
  EXPECT_EQ(blocks[0].finalParam, 77u);
  EXPECT_EQ(blocks[0].finalSize, 1500);
  EXPECT_EQ(blocks[1].finalType, 6u);
  EXPECT_EQ(blocks[2].finalType, 1u);
  EXPECT_EQ(blocks[3].finalType, 1u);
  EXPECT_EQ(blocks[2].finalSize, 0);
}

TEST(Allocation, SplitWinsWhenTheFineBlocksAreBetterPerByte) {
  BlockChoices blocks[4];
  for (BlockChoices& b : blocks) {
    b = record({{1000, 0}}, 5);
    b.finalType = 5, b.finalSize = 1000, b.finalError = 0;
  }
  BlockChoices areas[1] = {record({{500, 4000}, {6000, 100}}, 6)};
  PlaneRecords planes[3] = {{blocks, areas, 2, 2}, {nullptr, areas + 1, 0, 0}, {nullptr, areas + 1, 0, 0}};
  mergeAreas(planes, 100);
  EXPECT_EQ(areas[0].finalType, uint32_t{kSplitOption});
  for (BlockChoices& b : blocks) EXPECT_EQ(b.finalType, 5u);
}

// A clip of 60 frames with a window of 8: the frames add up to their
// targets, and quality grows with the rate.
TEST(RateControl, ClipMeetsItsTargetsAndQualityRisesWithRate) {
  testutil::TempDir dir;
  const enctest::Clip clip = enctest::naturalClip(40, 32, 60, 21, 1, 0);
  double lastPsnr = 0;
  for (uint32_t target : {150u, 400u}) {
    enctest::EncodeOptions o;
    o.window = 8;
    o.targetSize = target;
    const std::string name = dir.file("rate" + std::to_string(target) + ".zrn");
    enctest::encodeClip(clip, name, o);
    enctest::ZurnFile f;
    ASSERT_TRUE(enctest::readZurnFile(name, f));
    ASSERT_EQ(f.frames, 60u);
    const double total = (f.index[60] & ~1u) - (f.index[0] & ~1u);
    EXPECT_NEAR(total / (60.0 * target), 1.0, 0.15) << "target " << target;
    std::vector<enctest::Picture> pictures;
    std::string why;
    ASSERT_TRUE(enctest::decodeFrames(f, pictures, why)) << why;
    const double psnr = enctest::lumaPsnr(clip, pictures);
    EXPECT_GT(psnr, lastPsnr) << "target " << target;
    lastPsnr = psnr;
  }
}

TEST(RateControl, CarryStaysWithinTheWindowsTargets) {
  testutil::TempDir dir;
  const enctest::Clip clip = enctest::stillClip(32, 16, 12);
  ZurnMakeState* job = ZurnMake(dir.file("cheap.zrn").c_str(), 4 * 32, 32, 16, 12, 0, 0, 30, 1, 0, nullptr, 4, nullptr);
  ASSERT_NE(job, nullptr);
  for (uint32_t k = 0; k < 12; ++k) {
    ZurnMakePutVideo(job, 50000, 100000, 0, clip.frames[k].data());
    EXPECT_LE(job->bitCarry, 4 * 50000);
    EXPECT_GE(job->bitCarry, -4 * 50000);
  }
  EXPECT_GT(job->bitCarry, 0);
  ZurnMakeClose(job, 1);
}

}  // namespace
