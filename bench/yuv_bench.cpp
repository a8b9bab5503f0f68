// YUV blitters: megapixels per second for every surface type, with the plain,
// SSE2 and AVX2 loops side by side (a loop kind the processor lacks is
// skipped). Frame: 1280 x 720, random samples. "mask half" converts through
// the block-change map with every second 16x16 area marked.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "decode/yuv.h"

namespace {

using tol::YuvIsa;

constexpr int kW = 1280, kH = 720;

const std::vector<uint8_t>& frame() {
  static const std::vector<uint8_t> f = [] {
    std::vector<uint8_t> v(size_t(kW) * kH * 3 / 2);
    std::mt19937 rng(1);
    for (auto& b : v) b = uint8_t(rng());
    return v;
  }();
  return f;
}

const std::vector<uint8_t>& halfMap() {
  static const std::vector<uint8_t> m = [] {
    std::vector<uint8_t> v(size_t(kW / 16) * (kH / 16));
    for (size_t i = 0; i < v.size(); ++i) v[i] = uint8_t((i + i / (kW / 16)) & 1);
    return v;
  }();
  return m;
}

int bytesPerPixel(int type) { return type == 1 ? 3 : type == 2 ? 4 : 2; }

void setRate(benchmark::State& state) {
  state.counters["Mpx/s"] =
      benchmark::Counter(double(state.iterations()) * kW * kH / 1e6, benchmark::Counter::kIsRate);
}

void fullBlit(benchmark::State& state, int type, YuvIsa isa) {
  if (tol::yuvBestIsa() < isa) return state.SkipWithError("processor lacks these instructions");
  const int pitch = kW * bytesPerPixel(type);
  std::vector<uint8_t> dst(size_t(pitch) * kH);
  for (auto _ : state) {
    tol::yuvBlit(type, isa, dst.data(), 0, 0, pitch, frame().data(), 0, 0, kW, kH, kW, kH);
    benchmark::DoNotOptimize(dst.data());
  }
  setRate(state);
}

void maskBlit(benchmark::State& state, int type, YuvIsa isa) {
  if (tol::yuvBestIsa() < isa) return state.SkipWithError("processor lacks these instructions");
  const int pitch = kW * bytesPerPixel(type);
  std::vector<uint8_t> dst(size_t(pitch) * kH);
  for (auto _ : state) {
    tol::yuvBlitMask(type, isa, dst.data(), pitch, halfMap().data(), kW / 16, frame().data(), kW, kH, kW, kH);
    benchmark::DoNotOptimize(dst.data());
  }
  setRate(state);
}

void yv12Blit(benchmark::State& state) {
  std::vector<uint8_t> dst(size_t(kW) * kH * 3 / 2);
  for (auto _ : state) {
    tol::YUV_blit_YV12(dst.data(), 0, 0, kW, kH, frame().data(), 0, 0, kW, kH, kW, kH, 0);
    benchmark::DoNotOptimize(dst.data());
  }
  setRate(state);
}

const bool registered = [] {
  const std::pair<int, const char*> types[] = {{1, "rgb24"}, {2, "rgb32"}, {3, "rgb555"}, {4, "rgb565"},
                                               {5, "rgb655"}, {6, "rgb664"}, {8, "yuy2"},  {9, "uyvy"}};
  const std::pair<YuvIsa, const char*> isas[] = {{YuvIsa::Plain, "plain"}, {YuvIsa::Sse2, "sse2"},
                                                 {YuvIsa::Avx2, "avx2"}};
  for (auto [type, name] : types)
    for (auto [isa, isaName] : isas)
      benchmark::RegisterBenchmark((std::string("full/") + name + "/" + isaName).c_str(), fullBlit, type, isa);
  for (auto [type, name] : {types[1], types[3], types[6]})
    for (auto [isa, isaName] : isas)
      benchmark::RegisterBenchmark((std::string("mask half/") + name + "/" + isaName).c_str(), maskBlit, type, isa);
  benchmark::RegisterBenchmark("full/yv12/copy", yv12Blit);
  return true;
}();

}  // namespace
