// The decoder's view of the container: header checks, index checks, the
// peak one-second size and the staggered layout of the single allocation.
#include <gtest/gtest.h>

#include <set>

#include "decode/zurn_decoder_block.h"
#include "decode/zurn_decoder_header.h"
#include "zurn_test_file.h"

namespace {

using tol::ZurnFileHeader;

ZurnFileHeader headerOf(const std::vector<uint8_t>& file) {
  ZurnFileHeader h;
  h.parse(file.data());
  return h;
}

std::vector<uint8_t> smallFile(uint32_t frames, uint32_t tracks = 0) {
  zurntest::Clip clip;
  for (uint32_t t = 0; t < tracks; t++) clip.tracks.push_back({100, 0x80000000u | 22050, t});
  for (uint32_t k = 0; k < frames; k++) clip.frames.push_back({zurntest::filler(tracks, 40, uint8_t(k)), k == 0});
  return zurntest::build(clip);
}

TEST(ZurnHeader, ParsesFieldsAndLayout) {
  auto file = smallFile(3, 2);
  ZurnFileHeader h = headerOf(file);
  EXPECT_EQ(h.magic, ZurnFileHeader::kMagic);
  EXPECT_EQ(h.frames, 3u);
  EXPECT_EQ(h.soundTrackCount, 2u);
  EXPECT_EQ(h.fileSize(), file.size());
  EXPECT_EQ(h.indexOffset(), 44u + 24u);
  EXPECT_EQ(h.dataOffset(), 44u + 24u + 16u);
  EXPECT_EQ(h.check(file.size()), nullptr);
  // No tracks: frame 0 starts right behind the index.
  EXPECT_EQ(headerOf(smallFile(2)).dataOffset(), 44u + 4u * 3u);
}

TEST(ZurnHeader, RejectsWithTheRightText) {
  auto file = smallFile(2);
  auto check = [&](size_t at, uint32_t v, uint64_t available) {
    auto copy = file;
    zurntest::set32(copy, at, v);
    return std::string(headerOf(copy).check(available) ? headerOf(copy).check(available) : "");
  };
  EXPECT_EQ(check(0, 0x654E525A, file.size()), tol::kZurnErrorNotZurn);
  EXPECT_EQ(check(zurntest::kFrames, 0, file.size()), tol::kZurnErrorNoFrames);
  EXPECT_EQ(check(zurntest::kWidth, 0, file.size()), tol::kZurnErrorDamaged);
  EXPECT_EQ(check(zurntest::kHeight, tol::kZurnMaxDimension + 1, file.size()), tol::kZurnErrorDamaged);
  EXPECT_EQ(check(zurntest::kFrames, 3, file.size()), tol::kZurnErrorDamaged);  // more frames than index entries
  EXPECT_EQ(check(zurntest::kTracks, 0x40000000, file.size()), tol::kZurnErrorDamaged);
  EXPECT_EQ(check(zurntest::kIndexFrames, 0xFFFFFFFF, file.size()), tol::kZurnErrorDamaged);
  EXPECT_EQ(check(zurntest::kFileSize, 20, file.size()), tol::kZurnErrorDamaged);
  EXPECT_EQ(check(zurntest::kFrames, 2, 50), tol::kZurnErrorDamaged);  // tables beyond the bytes there
  EXPECT_EQ(check(zurntest::kWidth, tol::kZurnMaxDimension, file.size()), "");
}

TEST(ZurnIndex, AcceptsOnlyIncreasingOffsetsInsideTheFile) {
  const uint32_t start = 100;
  std::vector<uint32_t> index = {start | 1, 140, 180 | 1, 260, 0, 0};
  uint32_t largest = 0;
  EXPECT_TRUE(tol::zurnIndexIsSound(index.data(), 3, start, 260, &largest));
  EXPECT_EQ(largest, 80u);
  EXPECT_FALSE(tol::zurnIndexIsSound(index.data(), 3, start, 259, &largest));  // ends past the file
  EXPECT_FALSE(tol::zurnIndexIsSound(index.data(), 3, start + 4, 260, &largest));  // starts inside the index
  EXPECT_FALSE(tol::zurnIndexIsSound(index.data(), 4, start, 260, &largest));  // entry 4 is 0
  auto same = index;
  same[2] = 140;  // an empty frame
  EXPECT_FALSE(tol::zurnIndexIsSound(same.data(), 3, start, 260, &largest));
  auto back = index;
  back[2] = 120;
  EXPECT_FALSE(tol::zurnIndexIsSound(back.data(), 3, start, 260, &largest));
}

TEST(ZurnPeakSecond, BusiestRunOfOneSecond) {
  // Frame sizes 10, 50, 40, 10, 10 at 2 frames a second: the busiest pair is
  // frames 1 and 2 (90 bytes).
  std::vector<uint32_t> index = {1000 | 1, 1010, 1060, 1100, 1110, 1120};
  uint32_t start = 99;
  EXPECT_EQ(tol::zurnPeakSecond(index.data(), 5, 2, &start), 90u);
  EXPECT_EQ(start, 1u);
  // Fewer frames than a second's worth: the average frame size times the rate.
  EXPECT_EQ(tol::zurnPeakSecond(index.data(), 5, 25, &start), 120u * 25 / 5);
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(tol::zurnPeakSecond(index.data(), 5, 0, &start), 0u);
}

TEST(ZurnHeader, RoundedRate) {
  ZurnFileHeader h;
  h.fpsNumerator = 30000;
  h.fpsDenominator = 1001;
  EXPECT_EQ(h.roundedRate(), 30u);
  h.fpsNumerator = 25;
  h.fpsDenominator = 2;  // 12.5 rounds up
  EXPECT_EQ(h.roundedRate(), 13u);
  h.fpsDenominator = 0;
  EXPECT_EQ(h.roundedRate(), 0u);
}

TEST(StaggeredBlock, PadsEachBufferToAStaggeredStart) {
  std::vector<uint8_t> block(1 << 17);
  uint8_t* base = block.data();
  tol::StaggeredBlock plan(40);  // the record takes 48 bytes
  int a = plan.add(100);         // 112 bytes, padded by (0 - 96 + 32) & 992 = 960
  int b = plan.add(100);         // at 1072, padded by (1072 - 96 + 32) & 992 = 992
  int c = plan.add(0);           // at 2176
  EXPECT_EQ(plan.buffer(base, a) - base, 48);
  EXPECT_EQ(plan.buffer(base, b) - base, 48 + 1072);
  EXPECT_EQ(plan.buffer(base, c) - base, 48 + 2176);
  EXPECT_EQ(plan.total(), 48u + 2176u + 160u);  // (2176 + 32) & 992 = 160
  // Equal buffers start at different offsets within 1 KB, all 16-aligned.
  tol::StaggeredBlock many(0);
  std::set<uint64_t> phases;
  for (int i = 0; i < 8; i++) phases.insert((many.buffer(base, many.add(4096)) - base) % 1024);
  EXPECT_GT(phases.size(), 4u);
  for (uint64_t p : phases) EXPECT_EQ(p % 16, 0u);
}

}  // namespace
