// Encoder block-analysis kernels: nanoseconds per call of the plain, SSE4.1
// and AVX2 versions side by side (a version the processor lacks is skipped),
// and of the run-option steps on smooth 8x8 pictures.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "encoder/frame_budget.h"
#include "encoder/motion_search.h"
#include "encoder/option_pruning.h"
#include "encoder/pixel_kernels.h"
#include "encoder/run_options.h"

namespace {

using namespace tol;

std::vector<uint8_t> noise(uint32_t seed, size_t n, int lo, int hi) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> d(lo, hi);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(d(rng));
  return v;
}

// A picture with gentle gradients and a little noise, like natural blocks.
std::vector<uint8_t> smoothPicture(uint32_t seed) {
  std::vector<uint8_t> v = noise(seed, 64, 0, 6);
  for (int i = 0; i < 64; ++i) v[i] = static_cast<uint8_t>(v[i] + 90 + 3 * (i % 8) + 2 * (i / 8));
  return v;
}

enum class Isa { plain, sse41, avx2 };

bool has(Isa isa) {
  __builtin_cpu_init();
  if (isa == Isa::sse41) return __builtin_cpu_supports("sse4.1");
  if (isa == Isa::avx2) return __builtin_cpu_supports("avx2");
  return true;
}

using SadOffsetsFn = void (*)(const uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, int, uint32_t*);

void sadOffsets(benchmark::State& state, SadOffsetsFn fn, Isa isa) {
  if (!has(isa)) return state.SkipWithError("processor lacks it");
  const auto src = noise(1, 64 * 64, 0, 255), ref = noise(2, 64 * 64, 0, 255);
  uint32_t out[32];
  for (auto _ : state) {
    fn(src.data() + 8 * 64 + 8, 64, ref.data() + 3 * 64 + 1, 64, 31, out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK_CAPTURE(sadOffsets, plain, sadOffsetsPlain, Isa::plain);
BENCHMARK_CAPTURE(sadOffsets, sse41, sadOffsetsSse41, Isa::sse41);
BENCHMARK_CAPTURE(sadOffsets, avx2, sadOffsetsAvx2, Isa::avx2);

using SadOffsetsCappedFn = uint32_t (*)(const uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, int, uint32_t, uint32_t*);

// Capped at a tenth of the typical SAD of noise: the wide versions give up
// after two rows.
void sadOffsetsCapped(benchmark::State& state, SadOffsetsCappedFn fn, Isa isa) {
  if (!has(isa)) return state.SkipWithError("processor lacks it");
  const auto src = noise(1, 64 * 64, 0, 255), ref = noise(2, 64 * 64, 0, 255);
  uint32_t out[32];
  for (auto _ : state) {
    benchmark::DoNotOptimize(fn(src.data() + 8 * 64 + 8, 64, ref.data() + 3 * 64 + 1, 64, 31, 500, out));
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK_CAPTURE(sadOffsetsCapped, plain, sadOffsetsCappedPlain, Isa::plain);
BENCHMARK_CAPTURE(sadOffsetsCapped, sse41, sadOffsetsCappedSse41, Isa::sse41);
BENCHMARK_CAPTURE(sadOffsetsCapped, avx2, sadOffsetsCappedAvx2, Isa::avx2);

// Motion search of every block of a 320x240 textured frame against the
// same frame moved by (3, -2) with a little noise.
void motionSearch(benchmark::State& state) {
  constexpr uint32_t kW = 320, kH = 240;
  std::vector<uint8_t> ref(kW * kH), src(kW * kH);
  std::mt19937 rng(8);
  for (uint32_t y = 0; y < kH; ++y)
    for (uint32_t x = 0; x < kW; ++x)
      ref[y * kW + x] =
          static_cast<uint8_t>(128 + 60 * std::sin(x * 0.11 + y * 0.03) + 40 * std::cos(y * 0.17 - x * 0.05));
  for (uint32_t y = 0; y < kH; ++y)
    for (uint32_t x = 0; x < kW; ++x) {
      const uint32_t sx = std::min(kW - 1, x + 3), sy = y >= 2 ? y - 2 : 0;
      const int moved = ref[sy * kW + sx] + static_cast<int>(rng() % 5) - 2;
      src[y * kW + x] = static_cast<uint8_t>(std::clamp(moved, 0, 255));
    }
  for (auto _ : state) {
    uint32_t total = 0;
    for (uint32_t by = 0; by < kH; by += 8)
      for (uint32_t bx = 0; bx < kW; bx += 8) total += searchMotion(src.data(), ref.data(), kW, kH, bx, by).sad;
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(motionSearch);

// Frame weight of a 320x240 frame: as a key frame, and against a previous
// frame where about half the samples moved by more than 2.
void frameWeighting(benchmark::State& state, bool key) {
  const PlaneGeometry g{320, 240, 160, 120};
  const size_t luma = 320 * 240, chroma = 160 * 120;
  std::mt19937 rng(9);
  std::vector<uint8_t> now[3], before[3];
  for (int c = 0; c < 3; ++c) {
    now[c] = noise(10 + c, c ? chroma : luma, 100, 111);  // natural pictures repeat values a lot
    before[c] = now[c];
    for (auto& v : before[c]) v = static_cast<uint8_t>(v ^ (rng() % 8));
  }
  const FramePlanes frame{now[0].data(), now[1].data(), now[2].data()};
  const FramePlanes previous{before[0].data(), before[1].data(), before[2].data()};
  for (auto _ : state) benchmark::DoNotOptimize(frameWeight(frame, previous, g, key));
}
BENCHMARK_CAPTURE(frameWeighting, key, true);
BENCHMARK_CAPTURE(frameWeighting, delta, false);

using RunStatisticsFn = void (*)(const uint8_t*, uint8_t (*)[10], uint8_t (*)[10], uint8_t (*)[10]);

void runStatistics(benchmark::State& state, RunStatisticsFn fn, Isa isa) {
  if (!has(isa)) return state.SkipWithError("processor lacks it");
  const auto run = noise(3, 64, 0, 255);
  uint8_t length[64][10], colour[64][10], deviation[64][10];
  for (auto _ : state) {
    fn(run.data(), length, colour, deviation);
    benchmark::DoNotOptimize(colour);
    benchmark::DoNotOptimize(deviation);
  }
}
BENCHMARK_CAPTURE(runStatistics, plain, runStatisticsPlain, Isa::plain);
BENCHMARK_CAPTURE(runStatistics, sse41, runStatisticsSse41, Isa::sse41);
BENCHMARK_CAPTURE(runStatistics, avx2, runStatisticsAvx2, Isa::avx2);

// Every threshold that changes the parse, as the run options walk them.
void parseAll(benchmark::State& state, int (*parse)(const RunTable&, int, uint8_t*)) {
  RunTable table;
  const auto pic = smoothPicture(4);
  buildRunTable(pic.data(), chooseRunOrder(pic.data()), table);
  for (auto _ : state) {
    uint8_t scanned[64];
    for (int t = 0; t < 256;) t = parse(table, t, scanned);
    benchmark::DoNotOptimize(scanned);
  }
}
BENCHMARK_CAPTURE(parseAll, plain, parseRunsPlain);
BENCHMARK_CAPTURE(parseAll, sse2, parseRuns);

void runSteps(benchmark::State& state) {
  const auto pic = smoothPicture(5);
  const uint32_t est[8] = {300, 400, 500, 600, 700, 800, 900, 1000};
  for (auto _ : state) {
    RunTable table;
    buildRunTable(pic.data(), chooseRunOrder(pic.data()), table);
    int32_t total = 0;
    for (int t = 0; t < 256;) {
      uint8_t scanned[64];
      t = parseRuns(table, t, scanned);
      total += runCodingSize(scanned, est);
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(runSteps);

// Coding sizes of the parses of 64 different pictures at every threshold
// (so branches see realistic variety).
void codingSizes(benchmark::State& state) {
  std::vector<std::array<uint8_t, 64>> parses;
  for (uint32_t seed = 0; seed < 64; ++seed) {
    const auto pic = smoothPicture(100 + seed);
    RunTable table;
    buildRunTable(pic.data(), chooseRunOrder(pic.data()), table);
    for (int t = 0; t < 256;) {
      std::array<uint8_t, 64> scanned;
      t = parseRuns(table, t, scanned.data());
      parses.push_back(scanned);
    }
  }
  const uint32_t est[8] = {300, 400, 500, 600, 700, 800, 900, 1000};
  for (auto _ : state) {
    int64_t total = 0;
    for (const auto& p : parses) total += runCodingSize(p.data(), est);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(parses.size()));
}
BENCHMARK(codingSizes);

void chooseOrder(benchmark::State& state) {
  const auto pic = smoothPicture(6);
  for (auto _ : state) benchmark::DoNotOptimize(chooseRunOrder(pic.data()));
}
BENCHMARK(chooseOrder);

// Candidate lists: "long" has 300 options with sizes rising and errors
// falling under noise; "block" is shaped like one block's options (a few
// singles, a run chain, intra quantisers from fine to coarse, 100 residue
// steps, inter quantisers).
std::vector<Candidate> candidates(bool block) {
  std::mt19937 rng(7);
  std::vector<Candidate> list;
  auto add = [&](int64_t size, int64_t error) {
    list.push_back(Candidate{static_cast<int32_t>(size), static_cast<uint32_t>(std::max<int64_t>(error, 0)), 0, 0});
  };
  if (!block) {
    for (int i = 0; i < 300; ++i) add(2000 + 37 * i + rng() % 400, 5000 - 16 * i + rng() % 300);
    return list;
  }
  add(0, 3000);
  add(700, 1800);
  add(2200, 1100);
  for (int i = 0; i < 12; ++i) add(3000 + 900 * i + rng() % 300, 1500 - 110 * i + rng() % 60);
  for (int q = 0; q < 16; ++q) add(30000 - 1700 * q + rng() % 500, 60 + 70 * q + rng() % 40);
  for (int i = 0; i < 100; ++i) add(1500 + 260 * i + rng() % 200, 2600 * (100 - i) / 100 + rng() % 30);
  for (int q = 0; q < 16; ++q) add(26000 - 1500 * q + rng() % 500, 80 + 60 * q + rng() % 40);
  add(64 * 2000, 0);
  return list;
}

void pruning(benchmark::State& state, bool hull, bool block) {
  const std::vector<Candidate> list = candidates(block);
  std::vector<Candidate> work(list.size());
  for (auto _ : state) {
    work = list;
    int n = static_cast<int>(work.size());
    if (hull)
      pruneToConvexHull(work.data(), n);
    else
      pruneToPareto(work.data(), n);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK_CAPTURE(pruning, hull_long, true, false);
BENCHMARK_CAPTURE(pruning, hull_block, true, true);
BENCHMARK_CAPTURE(pruning, pareto_long, false, false);
BENCHMARK_CAPTURE(pruning, pareto_block, false, true);

}  // namespace

BENCHMARK_MAIN();
