// Transform kernels: blocks per second of the plain and vector kernels side
// by side (a kernel the processor lacks is skipped): inverse and forward
// transform, quantisation, coefficient cost; and of the residue coder.
// Input: 8x8 blocks of a smooth picture with fine texture, transformed and
// quantised at every quantiser, as the encoder's option search sees them;
// random samples for the forward transform, noisy motion residues for the
// residue coder.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "decode/core/dequant_tables.h"
#include "decode/core/idct.h"
#include "decode/core/residue_coder.h"
#include "encoder/coefficient_cost.h"
#include "encoder/forward_transform.h"

namespace {

constexpr int kBlocks = 256;

struct Block {
  int32_t coef[64];
  int32_t level[64];
  unsigned q;
};

const std::vector<Block>& blocks() {
  static const std::vector<Block> b = [] {
    std::vector<Block> v(kBlocks);
    std::mt19937 rng(3);
    for (int n = 0; n < kBlocks; ++n) {
      int16_t in[64];
      const double fx = 0.05 + 0.02 * (n % 7), fy = 0.03 + 0.02 * (n % 5);
      for (int i = 0; i < 64; ++i)
        in[i] = static_cast<int16_t>(128 + 90 * std::sin(fx * (i % 8 + n) + fy * (i / 8)) + int(rng() % 17) - 8);
      tol::forwardTransform(in, v[n].coef);
      v[n].q = static_cast<unsigned>(n % 16);
      tol::quantiseBlock(v[n].coef, tol::quantReciprocals().intra[v[n].q], v[n].level);
    }
    return v;
  }();
  return b;
}

enum class Isa { plain, sse41, avx2 };

bool supported(Isa isa) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (isa == Isa::avx2) return __builtin_cpu_supports("avx2");
  if (isa == Isa::sse41) return __builtin_cpu_supports("sse4.1");
#endif
  return isa == Isa::plain;
}

void setRate(benchmark::State& state) {
  state.counters["blocks/s"] = benchmark::Counter(double(state.iterations()) * kBlocks, benchmark::Counter::kIsRate);
}

void inverse(benchmark::State& state, tol::IdctSamplesFn fn, Isa isa) {
  if (!supported(isa)) return state.SkipWithError("processor lacks these instructions");
  const tol::DequantTables& t = tol::dequantTables();
  uint8_t out[64];
  for (auto _ : state)
    for (const Block& b : blocks()) {
      fn(b.level, t.intra[b.q], out);
      benchmark::DoNotOptimize(out);
    }
  setRate(state);
}
BENCHMARK_CAPTURE(inverse, plain, tol::idctSamplesPlain, Isa::plain);
BENCHMARK_CAPTURE(inverse, sse41, tol::idctSamplesSse41, Isa::sse41);
BENCHMARK_CAPTURE(inverse, avx2, tol::idctSamplesAvx2, Isa::avx2);

using ForwardFn = void (*)(const int16_t*, int32_t*);

void forward(benchmark::State& state, ForwardFn fn, Isa isa) {
  if (!supported(isa)) return state.SkipWithError("processor lacks these instructions");
  std::vector<std::array<int16_t, 64>> in(kBlocks);
  std::mt19937 rng(5);
  for (auto& b : in)
    for (auto& v : b) v = static_cast<int16_t>(rng() % 256);
  int32_t out[64];
  for (auto _ : state)
    for (const auto& b : in) {
      fn(b.data(), out);
      benchmark::DoNotOptimize(out);
    }
  setRate(state);
}
BENCHMARK_CAPTURE(forward, plain, tol::forwardTransformPlain, Isa::plain);
BENCHMARK_CAPTURE(forward, avx2, tol::forwardTransformAvx2, Isa::avx2);

using QuantiseFn = bool (*)(const int32_t*, const int64_t*, int32_t*);

void quantise(benchmark::State& state, QuantiseFn fn, Isa isa) {
  if (!supported(isa)) return state.SkipWithError("processor lacks these instructions");
  int32_t level[64];
  for (auto _ : state)
    for (const Block& b : blocks()) {
      benchmark::DoNotOptimize(fn(b.coef, tol::quantReciprocals().intra[b.q], level));
      benchmark::DoNotOptimize(level);
    }
  setRate(state);
}
BENCHMARK_CAPTURE(quantise, plain, tol::quantiseBlockPlain, Isa::plain);
BENCHMARK_CAPTURE(quantise, avx2, tol::quantiseBlockAvx2, Isa::avx2);

using CostFn = uint32_t (*)(const int32_t*);

void cost(benchmark::State& state, CostFn fn, Isa isa) {
  if (!supported(isa)) return state.SkipWithError("processor lacks these instructions");
  for (auto _ : state)
    for (const Block& b : blocks()) benchmark::DoNotOptimize(fn(b.level));
  setRate(state);
}
BENCHMARK_CAPTURE(cost, plain, tol::coefficientCostPlain, Isa::plain);
BENCHMARK_CAPTURE(cost, sse41, tol::coefficientCostSse41, Isa::sse41);

// Motion residues: small noise with a few larger differences.
void residue(benchmark::State& state) {
  std::vector<std::array<int8_t, 64>> resid(kBlocks);
  std::mt19937 rng(9);
  for (auto& r : resid)
    for (auto& v : r) v = static_cast<int8_t>(rng() % 8 == 0 ? int(rng() % 97) - 48 : int(rng() % 13) - 6);
  static tol::ResidueCode code;
  for (auto _ : state)
    for (const auto& r : resid) {
      tol::encodeResidue(r.data(), code);
      benchmark::DoNotOptimize(code.totalBits);
    }
  setRate(state);
}
BENCHMARK(residue);

}  // namespace
