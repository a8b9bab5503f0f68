// tolana: the sliding data rate, and the program's reports on a generated
// clip with sound (their shape and that their numbers add up).
#include <gtest/gtest.h>

#include <sstream>

#include "run_program.h"
#include "tolana/data_rate.h"

namespace {

struct RateCase {
  std::vector<uint64_t> bytes;
  double fps;
  std::vector<double> perFrame;
  double average, peak;
  size_t peakFrame;
};

TEST(TolanaRate, SlidingOneSecondWindow) {
  const RateCase cases[] = {
      {{}, 2, {}, 0, 0, 0},
      {{10, 20, 30, 40}, 2, {10, 30, 50, 70}, 50, 70, 3},
      {{100, 0, 0, 0}, 2, {100, 100, 0, 0}, 50, 100, 0},
      {{5, 7}, 0, {5, 7}, 6, 7, 1},                 // no rate: a frame a second
      {{10, 10, 10}, 2.4, {12, 24, 24}, 24, 24, 1},  // window of round(2.4) = 2 frames
  };
  for (const RateCase& c : cases) {
    const tolana::DataRate r = tolana::slidingDataRate(c.bytes, c.fps);
    ASSERT_EQ(r.perFrame.size(), c.perFrame.size());
    for (size_t i = 0; i < c.perFrame.size(); ++i) EXPECT_DOUBLE_EQ(r.perFrame[i], c.perFrame[i]) << i;
    EXPECT_DOUBLE_EQ(r.average, c.average);
    EXPECT_DOUBLE_EQ(r.peak, c.peak);
    EXPECT_EQ(r.peakFrame, c.peakFrame);
  }
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TolanaProgram, ReportsOnAClipWithSound) {
  testutil::TempDir dir;
  const std::string folder = dir.path().string();
  ASSERT_EQ(runIn(folder, {TOL_ZURNSAMPLE, "clip", "/N20", "/W64", "/H48"}).code, 0);
  const Outcome z =
      runIn(folder, {TOL_ZURN, "clip/frame????.png*0-19", "clip.zrn", "clip/sound.wav", "/F10", "/K8", "/O"});
  ASSERT_EQ(z.code, 0) << z.out << z.err;
  const Outcome r = runIn(folder, {TOL_TOLANA, "clip.zrn", "report"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("20 frames at 10.000 fps, 1 sound track(s)"), std::string::npos) << r.out;

  // Every row's parts add up to its total; the parts add up to the file.
  std::istringstream csv(readText(folder + "/report.csv"));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line, "frame,key,damaged,video,track1,total,rate_1s");
  uint64_t fileBytes = 0;
  size_t rows = 0, keys = 0;
  while (std::getline(csv, line)) {
    unsigned frame, key, damaged;
    unsigned long long video, track, total, rate;
    ASSERT_EQ(std::sscanf(line.c_str(), "%u,%u,%u,%llu,%llu,%llu,%llu", &frame, &key, &damaged, &video, &track,
                          &total, &rate),
              7)
        << line;
    EXPECT_EQ(frame, ++rows);
    EXPECT_EQ(damaged, 0u);
    EXPECT_GE(track, 4u);  // at least the packet's size field
    EXPECT_EQ(video + track, total);
    keys += key;
    fileBytes += total;
  }
  EXPECT_EQ(rows, 20u);
  EXPECT_GE(keys, 3u);  // frames 1, 9 and 17 at least
  EXPECT_LT(fileBytes, testutil::readFile(folder + "/clip.zrn").size());

  // The chart: two bar parts a frame, a marker a key frame, the rate line.
  const std::string svg = readText(folder + "/report.svg");
  ASSERT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  const size_t barsAt = svg.find("<g class=\"bars\">");
  const std::string bars = svg.substr(barsAt, svg.find("<g class=\"keys\"") - barsAt);
  EXPECT_EQ(count(bars, "<rect "), 40u);
  EXPECT_EQ(count(svg, "<path "), keys);
  EXPECT_EQ(count(svg, "<polyline class=\"rate\""), 1u);

  // A first sound packet whose size runs past its frame: the frame is
  // counted as damaged and the rest is still analysed.
  std::vector<uint8_t> zurn = testutil::readFile(folder + "/clip.zrn");
  const auto le32 = [&](size_t at) {
    return uint32_t(zurn[at]) | uint32_t(zurn[at + 1]) << 8 | uint32_t(zurn[at + 2]) << 16 |
           uint32_t(zurn[at + 3]) << 24;
  };
  const size_t firstFrame = le32(44 + 12) & ~1u;  // one track: the index follows its three table entries
  ASSERT_LT(firstFrame + 4, zurn.size());
  for (size_t i = 0; i < 4; ++i) zurn[firstFrame + i] = 0x7f;
  testutil::writeFile(folder + "/bad.zrn", zurn);
  const Outcome bad = runIn(folder, {TOL_TOLANA, "bad.zrn"});
  EXPECT_EQ(bad.code, 0) << bad.err;
  EXPECT_NE(bad.out.find("damaged frames: 1\n"), std::string::npos) << bad.out;
  EXPECT_NE(readText(folder + "/bad.csv").find("\n1,1,1,0,"), std::string::npos);
}

TEST(TolanaProgram, Switches) {
  testutil::TempDir dir;
  const std::string folder = dir.path().string();
  testutil::writeFile(folder + "/not.zrn", std::vector<uint8_t>(64, 'x'));
  const struct {
    std::vector<std::string> args;
    int code;
  } cases[] = {{{"/?"}, 0}, {{"--help"}, 0}, {{}, 2}, {{"a", "b", "c"}, 2}, {{"not.zrn"}, 1}, {{"missing.zrn"}, 1}};
  for (const auto& c : cases) {
    std::vector<std::string> args{TOL_TOLANA};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(runIn(folder, args).code, c.code) << (c.args.empty() ? "" : c.args[0]);
  }
}

}  // namespace
