// The fast run-option, pruning and pixel kernels against straightforward
// reference versions (the plain loops they replace) on random, structured
// and extreme inputs: every result must be the same, since the coded file
// depends on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "decode/core/block_writer.h"
#include "decode/core/scan_orders.h"
#include "encoder/colour_options.h"
#include "encoder/frame_budget.h"
#include "encoder/motion_search.h"
#include "encoder/option_pruning.h"
#include "encoder/pixel_kernels.h"
#include "encoder/plane_stats.h"
#include "encoder/run_options.h"

namespace {

using namespace tol;

std::vector<uint8_t> noise(std::mt19937& rng, size_t n, int lo, int hi) {
  std::uniform_int_distribution<int> d(lo, hi);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(d(rng));
  return v;
}

// 64 samples of many kinds: wide and narrow noise, few values (long equal
// stretches), extremes, stretches of exactly 16 and 17, alternations.
std::vector<std::vector<uint8_t>> runInputs() {
  std::vector<std::vector<uint8_t>> out;
  std::mt19937 rng(11);
  for (int i = 0; i < 60; ++i) {
    out.push_back(noise(rng, 64, 0, 255));
    out.push_back(noise(rng, 64, 100, 103));
    out.push_back(noise(rng, 64, 0, 1));
    auto extremes = noise(rng, 64, 0, 1);
    for (auto& v : extremes) v = v ? 255 : 0;
    out.push_back(extremes);
  }
  for (int len : {1, 15, 16, 17, 32, 63, 64}) {
    std::vector<uint8_t> v(64, 7);
    for (int i = 0; i < 64; ++i) v[static_cast<size_t>(i)] = static_cast<uint8_t>(i < len ? 200 : i % 3);
    out.push_back(v);
  }
  std::vector<uint8_t> ramp(64), alternating(64);
  for (int i = 0; i < 64; ++i) {
    ramp[static_cast<size_t>(i)] = static_cast<uint8_t>(4 * i);
    alternating[static_cast<size_t>(i)] = static_cast<uint8_t>(i & 1 ? 255 : 0);
  }
  out.push_back(ramp);
  out.push_back(alternating);
  out.push_back(std::vector<uint8_t>(64, 0));
  out.push_back(std::vector<uint8_t>(64, 255));
  return out;
}

// The segmentation rule walked sample by sample.
unsigned referenceSegments(const uint8_t* s, RunSegment* segments) {
  unsigned count = 0, i = 0;
  while (i < 63) {
    unsigned len = 1;
    const bool repeated = s[i + 1] == s[i];
    if (repeated) {
      while (len < 16 && i + len < 64 && s[i + len] == s[i]) ++len;
    } else {
      while (len < 16 && i + len < 64 && s[i + len] != s[i + len - 1]) ++len;
    }
    segments[count++] = RunSegment{static_cast<uint8_t>(len), repeated};
    i += len;
  }
  return count;
}

TEST(RunKernels, SegmentationAndCodingSizeMatchTheSampleWalk) {
  const uint32_t est[8] = {3000, 5000, 700, 0xFFFFFF, 123, 4567, 89, 100000};
  for (const auto& s : runInputs()) {
    RunSegment want[64], got[64];
    const unsigned n = referenceSegments(s.data(), want);
    ASSERT_EQ(segmentRuns(s.data(), got), n);
    int64_t size = 0;
    unsigned covered = 0;
    for (unsigned k = 0; k < n; ++k) {
      EXPECT_EQ(got[k].length, want[k].length);
      EXPECT_EQ(got[k].repeated, want[k].repeated);
      size += 256 + est[kEstRunLengths] + (want[k].repeated ? 1 : want[k].length) * int64_t{est[kEstColours]};
      covered += want[k].length;
    }
    if (covered == 63) size += est[kEstColours];
    EXPECT_EQ(runCodingSize(s.data(), est), static_cast<int32_t>(size));
  }
}

// Greedy parse straight from the deviations: longest tried length first.
int referenceParse(const RunTable& t, int threshold, uint8_t* scanned) {
  int next = 256;
  for (int p = 0; p < 64;) {
    int li = kRunLengthsTried - 1;
    for (; li > 0; --li) {
      if (t.deviation[p][li] <= threshold) break;
      next = std::min<int>(next, t.deviation[p][li]);
    }
    std::memset(scanned + p, t.colour[p][li], t.length[p][li]);
    p += t.length[p][li];
  }
  return next;
}

TEST(RunKernels, ParsesMatchTheGreedyRuleAtEveryThreshold) {
  for (const auto& pic : runInputs()) {
    RunTable table;
    buildRunTable(pic.data(), chooseRunOrder(pic.data()), table);
    for (int threshold = 0; threshold < 256; ++threshold) {
      uint8_t want[64], fast[64], plain[64];
      const int next = referenceParse(table, threshold, want);
      ASSERT_EQ(parseRuns(table, threshold, fast), next) << threshold;
      ASSERT_EQ(parseRunsPlain(table, threshold, plain), next) << threshold;
      ASSERT_EQ(std::memcmp(fast, want, 64), 0) << threshold;
      ASSERT_EQ(std::memcmp(plain, want, 64), 0) << threshold;
    }
  }
}

TEST(RunKernels, RunOrderIsTheCheapestFirst) {
  __builtin_cpu_init();
  const bool sse41 = __builtin_cpu_supports("sse4.1");
  for (const auto& pic : runInputs()) {
    unsigned best = 0;
    uint32_t bestCost = UINT32_MAX;
    for (unsigned o = 0; o < 16; ++o) {
      uint8_t s[64], back[64];
      for (int i = 0; i < 64; ++i) back[i] = pic[static_cast<size_t>(i)];
      RunTable t;
      buildRunTable(back, o, t);
      std::memcpy(s, t.scanned, 64);
      uint32_t cost = 1;
      for (int i = 1; i < 64; ++i) cost += static_cast<uint32_t>(std::abs(s[i] - s[i - 1])) + (s[i] != s[i - 1]);
      if (cost < bestCost) {
        bestCost = cost;
        best = o;
      }
    }
    EXPECT_EQ(chooseRunOrder(pic.data()), best);
    EXPECT_EQ(chooseRunOrderPlain(pic.data()), best);
    if (sse41) {
      EXPECT_EQ(chooseRunOrderSse41(pic.data()), best);
    }
  }
}

TEST(RunKernels, RunOrderScansFollowTheOrderTables) {
  __builtin_cpu_init();
  const bool sse41 = __builtin_cpu_supports("sse4.1");
  std::mt19937 rng(4);
  for (unsigned order = 0; order < 16; ++order) {
    const auto pic = noise(rng, 64, 0, 255);
    uint8_t want[64], got[64], back[64];
    for (int i = 0; i < 64; ++i) want[i] = pic[kRunOrders[order][i]];
    scanRunOrderPlain(pic.data(), order, got);
    EXPECT_EQ(std::memcmp(got, want, 64), 0);
    unscanRunOrderPlain(want, order, back);
    EXPECT_EQ(std::memcmp(back, pic.data(), 64), 0);
    if (sse41) {
      scanRunOrderSse41(pic.data(), order, got);
      EXPECT_EQ(std::memcmp(got, want, 64), 0);
      unscanRunOrderSse41(want, order, back);
      EXPECT_EQ(std::memcmp(back, pic.data(), 64), 0);
    }
  }
}

TEST(RunKernels, WideRunStatisticsMatchThePlainOnes) {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("sse4.1")) GTEST_SKIP() << "no SSE4.1";
  const bool avx2 = __builtin_cpu_supports("avx2");
  for (const auto& run : runInputs()) {
    uint8_t length[2][64][10], colour[2][64][10], deviation[2][64][10];
    runStatisticsPlain(run.data(), length[1], colour[1], deviation[1]);
    for (auto wide : {runStatisticsSse41, runStatisticsAvx2}) {
      if (wide == runStatisticsAvx2 && !avx2) continue;
      std::memset(length[0], 0xEE, 640);
      std::memset(colour[0], 0xEE, 640);
      std::memset(deviation[0], 0xEE, 640);
      wide(run.data(), length[0], colour[0], deviation[0]);
      ASSERT_EQ(std::memcmp(length[0], length[1], 640), 0);
      ASSERT_EQ(std::memcmp(colour[0], colour[1], 640), 0);
      ASSERT_EQ(std::memcmp(deviation[0], deviation[1], 640), 0);
    }
  }
}

TEST(RunKernels, WideSadOffsetsMatchThePlainOnes) {
  __builtin_cpu_init();
  const bool sse41 = __builtin_cpu_supports("sse4.1"), avx2 = __builtin_cpu_supports("avx2");
  if (!sse41) GTEST_SKIP() << "no SSE4.1";
  std::mt19937 rng(5);
  // Reference rows are copied to the end of their own buffer, so reads past
  // the documented window would be caught by the address checks.
  for (int trial = 0; trial < 40; ++trial) {
    const bool extreme = trial % 4 == 0;
    auto src = noise(rng, 8 * 8, 0, 255);
    if (extreme)
      for (auto& v : src) v = 255;
    for (int count = 1; count <= 32; ++count) {
      const int width = count + 7;
      std::vector<uint8_t> ref = noise(rng, static_cast<size_t>(8 * width), 0, extreme ? 0 : 255);
      uint32_t want[32], got[32];
      sadOffsetsPlain(src.data(), 8, ref.data(), width, count, want);
      sadOffsetsSse41(src.data(), 8, ref.data(), width, count, got);
      ASSERT_EQ(std::memcmp(got, want, sizeof(uint32_t) * static_cast<size_t>(count)), 0) << count;
      if (avx2) {
        sadOffsetsAvx2(src.data(), 8, ref.data(), width, count, got);
        ASSERT_EQ(std::memcmp(got, want, sizeof(uint32_t) * static_cast<size_t>(count)), 0) << count;
      }
      // Caps below, among and above the SADs (and the largest possible).
      const uint32_t least = *std::min_element(want, want + count);
      for (uint32_t cap : {0u, least, least + 1, want[count / 2], 16320u, 16321u, 0xFFFFu, 0x10000u, UINT32_MAX}) {
        uint32_t capped[32];
        const uint32_t smallest = sadOffsetsCappedPlain(src.data(), 8, ref.data(), width, count, cap, capped);
        for (int k = 0; k < count; ++k) ASSERT_EQ(capped[k], std::min(want[k], cap));
        ASSERT_EQ(smallest, std::min(least, cap));
        ASSERT_EQ(sadOffsetsCappedSse41(src.data(), 8, ref.data(), width, count, cap, got), smallest);
        ASSERT_EQ(std::memcmp(got, capped, sizeof(uint32_t) * static_cast<size_t>(count)), 0) << count << " " << cap;
        if (avx2) {
          ASSERT_EQ(sadOffsetsCappedAvx2(src.data(), 8, ref.data(), width, count, cap, got), smallest);
          ASSERT_EQ(std::memcmp(got, capped, sizeof(uint32_t) * static_cast<size_t>(count)), 0) << count << " " << cap;
        }
      }
    }
  }
}

// The walks as first written: each step scans the whole list.
bool referenceHull(Candidate* list, int& count) {
  if (count <= 1) return true;
  uint32_t minError = list[0].error;
  for (int i = 1; i < count; ++i) minError = std::min(minError, list[i].error);
  int cheapest = 0;
  for (int i = 1; i < count; ++i)
    if (list[i].size < list[cheapest].size ||
        (list[i].size == list[cheapest].size && list[i].error < list[cheapest].error))
      cheapest = i;
  std::vector<int> hull{cheapest};
  while (list[hull.back()].error != minError) {
    const Candidate cur = list[hull.back()];
    int best = -1;
    int64_t bestSaved = 0, bestAdded = 1;
    for (int i = 0; i < count; ++i) {
      if (!(list[i].size > cur.size && list[i].error < cur.error)) continue;
      const int64_t saved = int64_t{cur.error} - list[i].error, added = int64_t{list[i].size} - cur.size;
      const int64_t lhs = saved * bestAdded, rhs = bestSaved * added;
      if (best < 0 || lhs > rhs || (lhs == rhs && added < bestAdded)) {
        best = i;
        bestSaved = saved;
        bestAdded = added;
      }
    }
    if (best < 0) return false;
    hull.push_back(best);
  }
  std::vector<Candidate> kept;
  for (int h : hull) kept.push_back(list[h]);
  std::copy(kept.begin(), kept.end(), list);
  count = static_cast<int>(kept.size());
  return true;
}

void referencePareto(Candidate* list, int& count) {
  if (count <= 1) return;
  int cheapest = 0;
  for (int i = 1; i < count; ++i)
    if (list[i].size < list[cheapest].size ||
        (list[i].size == list[cheapest].size && list[i].error < list[cheapest].error))
      cheapest = i;
  std::swap(list[0], list[cheapest]);
  int placed = 1;
  while (list[placed - 1].error != 0) {
    const Candidate cur = list[placed - 1];
    int best = -1;
    for (int i = placed; i < count; ++i) {
      if (!(list[i].size > cur.size && list[i].error < cur.error)) continue;
      if (best < 0 || list[i].size < list[best].size ||
          (list[i].size == list[best].size && list[i].error < list[best].error))
        best = i;
    }
    if (best < 0) break;
    std::swap(list[placed], list[best]);
    ++placed;
  }
  count = placed;
}

// Lists with many equal sizes, errors and whole duplicates (told apart by
// param), so every tie rule is exercised.
std::vector<Candidate> candidateList(std::mt19937& rng, int n, int spread) {
  std::vector<Candidate> list;
  for (int i = 0; i < n; ++i)
    list.push_back(Candidate{static_cast<int32_t>(rng() % static_cast<uint32_t>(spread)) * 100,
                             static_cast<uint32_t>(rng() % static_cast<uint32_t>(spread)) * 50,
                             static_cast<uint16_t>(i), static_cast<uint8_t>(i % 10)});
  list[rng() % list.size()].error = 0;
  return list;
}

bool sameList(const Candidate* a, const Candidate* b, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i].size != b[i].size || a[i].error != b[i].error || a[i].param != b[i].param || a[i].type != b[i].type)
      return false;
  return true;
}

TEST(RunKernels, PruningKeepsTheSameOptionsInTheSameOrder) {
  std::mt19937 rng(9);
  for (int trial = 0; trial < 400; ++trial) {
    const int n = 1 + static_cast<int>(rng() % 300);
    const auto list = candidateList(rng, n, trial % 2 ? 8 : 1000);
    auto want = list, got = list;
    int wantCount = n, gotCount = n;
    referencePareto(want.data(), wantCount);
    pruneToPareto(got.data(), gotCount);
    ASSERT_EQ(gotCount, wantCount);
    ASSERT_TRUE(sameList(got.data(), want.data(), gotCount));

    want = got = list;
    wantCount = gotCount = n;
    ASSERT_TRUE(referenceHull(want.data(), wantCount));
    ASSERT_TRUE(pruneToConvexHull(got.data(), gotCount));
    ASSERT_EQ(gotCount, wantCount);
    ASSERT_TRUE(sameList(got.data(), want.data(), gotCount));
  }
}

// Two-colour choice with each split's cost summed sample by sample.
PatternColours referencePatternColours(const uint8_t* sorted) {
  PatternColours best{};
  uint32_t bestCost = UINT32_MAX;
  int lastLow = -1, lastHigh = -1;
  for (int i = 1; i < 64; ++i) {
    if (sorted[i] == sorted[i - 1]) continue;
    const int h = 64 - i;
    const int high = h & 1 ? sorted[i + h / 2] : (sorted[i + h / 2 - 1] + sorted[i + h / 2]) >> 1;
    const int low = i & 1 ? (sorted[i / 2] + sorted[i / 2 + 1]) >> 1 : sorted[i / 2];
    if (low == lastLow && high == lastHigh) continue;
    lastLow = low;
    lastHigh = high;
    uint32_t cost = 0;
    for (int k = 0; k < 64; ++k) cost += static_cast<uint32_t>(std::abs(sorted[k] - (k < i ? low : high)));
    if (cost < bestCost) {
      bestCost = cost;
      best = {static_cast<uint8_t>(low), static_cast<uint8_t>(high)};
      if (cost == 0) break;
    }
  }
  return best;
}

TEST(RunKernels, PatternColoursMatchTheSampleSums) {
  for (const auto& pic : runInputs()) {
    uint8_t sorted[64];
    sortSamples(pic.data(), 64, sorted);
    PatternColours got{};
    if (!choosePatternColours(sorted, got)) {
      EXPECT_EQ(sorted[0], sorted[63]);
      continue;
    }
    const PatternColours want = referencePatternColours(sorted);
    EXPECT_EQ(got.low, want.low);
    EXPECT_EQ(got.high, want.high);
  }
}

// Order-0 entropy in bytes of the samples picked one by one.
double referenceEntropy(const uint8_t* plane, const uint8_t* previous, size_t n) {
  uint32_t hist[256] = {};
  uint64_t total = 0;
  for (size_t i = 0; i < n; ++i)
    if (!previous || std::abs(plane[i] - previous[i]) > 2) {
      ++hist[plane[i]];
      ++total;
    }
  double bits = 0;
  for (uint32_t c : hist)
    if (c) bits += c * std::min(32.0, -std::log2(static_cast<double>(c) / static_cast<double>(total)));
  return bits / 8;
}

TEST(RunKernels, FrameWeightCountsTheSamplesThatMoved) {
  std::mt19937 rng(3);
  // Odd sizes leave samples after the last whole group of sixteen.
  const PlaneGeometry g{37, 23, 19, 12};
  const size_t luma = 37 * 23, chroma = 19 * 12;
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<uint8_t> planes[2][3];
    for (auto& frame : planes)
      for (int c = 0; c < 3; ++c) frame[c] = noise(rng, c ? chroma : luma, 0, 255);
    // Moves of -4..4 around the threshold of 2, and wrap-around extremes.
    for (int c = 0; c < 3; ++c)
      for (size_t i = 0; i < planes[1][c].size(); ++i) {
        const int moved = planes[0][c][i] + static_cast<int>(rng() % 9) - 4;
        planes[1][c][i] = static_cast<uint8_t>(trial % 5 == 0 ? (i % 2 ? 255 : 0) : std::clamp(moved, 0, 255));
      }
    const FramePlanes now{planes[1][0].data(), planes[1][1].data(), planes[1][2].data()};
    const FramePlanes before{planes[0][0].data(), planes[0][1].data(), planes[0][2].data()};
    const double delta = referenceEntropy(now.y, before.y, luma) + referenceEntropy(now.cr, before.cr, chroma) +
                         referenceEntropy(now.cb, before.cb, chroma);
    const double key =
        referenceEntropy(now.y, nullptr, luma) + referenceEntropy(now.cr, nullptr, chroma) +
        referenceEntropy(now.cb, nullptr, chroma);
    EXPECT_EQ(frameWeight(now, before, g, false), static_cast<uint32_t>(delta));
    EXPECT_EQ(frameWeight(now, before, g, true), static_cast<uint32_t>(1.5 * key));
  }
}

// The search as plainly stated: exact SADs visited row by row in search
// order, the first strictly smaller one taken, stopping at a perfect match.
MotionVector referenceSearch(const uint8_t* src, const uint8_t* ref, int w, int h, int bx, int by) {
  auto sad = [&](int dx, int dy) {
    uint32_t s = 0;
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 8; ++c)
        s += static_cast<uint32_t>(std::abs(src[(by + r) * w + bx + c] - ref[(by + dy + r) * w + bx + dx + c]));
    return s;
  };
  auto order = [](int lo, int hi) {
    std::vector<int> v;
    for (int d = 0; d <= hi; ++d) v.push_back(d);
    for (int d = lo; d < 0; ++d) v.push_back(d);
    return v;
  };
  MotionVector best{0, 0, sad(0, 0)};
  if (best.sad == 0) return best;
  for (int dy : order(-std::min(15, by), std::min(15, h - 8 - by)))
    for (int dx : order(-std::min(15, bx), std::min(15, w - 8 - bx))) {
      const uint32_t s = sad(dx, dy);
      if (s < best.sad) {
        best = {static_cast<int8_t>(dx), static_cast<int8_t>(dy), s};
        if (s == 0) return best;
      }
    }
  return best;
}

TEST(RunKernels, MotionSearchPicksTheFirstSmallestInSearchOrder) {
  std::mt19937 rng(12);
  constexpr int kW = 64, kH = 48;
  for (int trial = 0; trial < 12; ++trial) {
    // Noise, few-valued pictures (many equal SADs) and moved copies with
    // repeated patterns (several perfect matches).
    std::vector<uint8_t> ref = noise(rng, kW * kH, 0, trial % 3 == 1 ? 1 : 255), src(kW * kH);
    if (trial % 3 == 2)
      for (int i = 0; i < kW * kH; ++i) ref[static_cast<size_t>(i)] = static_cast<uint8_t>((i % 4) * 60 + (i / kW) % 2);
    const int mx = static_cast<int>(rng() % 7) - 3, my = static_cast<int>(rng() % 7) - 3;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const int sx = std::clamp(x + mx, 0, kW - 1), sy = std::clamp(y + my, 0, kH - 1);
        const int jitter = trial % 2 ? 0 : static_cast<int>(rng() % 3) - 1;
        src[static_cast<size_t>(y * kW + x)] =
            static_cast<uint8_t>(std::clamp(ref[static_cast<size_t>(sy * kW + sx)] + jitter, 0, 255));
      }
    for (int by = 0; by + 8 <= kH; by += 8)
      for (int bx = 0; bx + 8 <= kW; bx += 8) {
        const MotionVector want = referenceSearch(src.data(), ref.data(), kW, kH, bx, by);
        const MotionVector got =
            searchMotion(src.data(), ref.data(), kW, kH, static_cast<uint32_t>(bx), static_cast<uint32_t>(by));
        ASSERT_EQ(got.x, want.x) << trial << " " << bx << " " << by;
        ASSERT_EQ(got.y, want.y) << trial << " " << bx << " " << by;
        ASSERT_EQ(got.sad, want.sad) << trial << " " << bx << " " << by;
      }
  }
}

}  // namespace
