// SFileGet throughput on 10 s of 44100 Hz 16-bit stereo (a WAVE file in the
// temporary folder, in the page cache after the first pass). The counter
// "x_realtime" is seconds of sound delivered per second; "file read" is the
// peer: the same bytes read through the buffered file alone.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fileio/tolfile.h"
#include "media/sfile.h"

namespace {

constexpr uint32_t kRate = 44100, kSeconds = 10;

// Made once and removed at exit (the name outlives every static).
const std::string& waveName() {
  static const std::string& name = *new std::string([] {
    std::string n = "/tmp/sfile_bench_" + std::to_string(getpid()) + ".wav";
    const uint32_t frames = kRate * kSeconds, bytes = frames * 4;
    std::vector<uint8_t> file(44 + bytes);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    std::memcpy(&file[0], "RIFF", 4);
    put32(4, 36 + bytes);
    std::memcpy(&file[8], "WAVEfmt ", 8);
    put32(16, 16);
    put32(20, 1 | 2 << 16);
    put32(24, kRate);
    put32(28, kRate * 4);
    put32(32, 4 | 16 << 16);
    std::memcpy(&file[36], "data", 4);
    put32(40, bytes);
    for (uint32_t i = 0; i < frames; ++i) {
      const auto v = static_cast<int16_t>(12000 * std::sin(i * 0.0627));
      file[44 + 4 * i] = file[46 + 4 * i] = static_cast<uint8_t>(v);
      file[45 + 4 * i] = file[47 + 4 * i] = static_cast<uint8_t>(v >> 8);
    }
    FILE* f = std::fopen(n.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    std::atexit([] { std::remove(waveName().c_str()); });
    return n;
  }());
  return name;
}

void report(benchmark::State& state) {
  state.counters["x_realtime"] =
      benchmark::Counter(double(kSeconds) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SFileGet(benchmark::State& state, int32_t rate, int32_t bits, int32_t channels) {
  std::vector<uint8_t> buffer(16384);
  for (auto _ : state) {
    tol::SFile* s = tol::SFileOpen(waveName().c_str(), rate, bits, channels, 0, 0, 0, 0, 0, nullptr);
    if (!s) {
      state.SkipWithError("cannot open the sound");
      return;
    }
    uint64_t total = 0;
    while (const uint32_t n = tol::SFileGet(s, buffer.data(), static_cast<uint32_t>(buffer.size()))) total += n;
    benchmark::DoNotOptimize(total);
    tol::SFileClose(s);
  }
  report(state);
}

void BM_FileRead(benchmark::State& state) {
  std::vector<uint8_t> buffer(16384);
  for (auto _ : state) {
    TOLFile* f = tol::TOLFileOpen(16384, waveName().c_str(), TOLFILE_READ_ONLY);
    uint64_t total = 0;
    while (const uint32_t n = tol::TOLFileGet(f, buffer.data(), static_cast<uint32_t>(buffer.size()))) total += n;
    benchmark::DoNotOptimize(total);
    tol::TOLFileClose(f);
  }
  report(state);
}

BENCHMARK(BM_FileRead)->Name("file read")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SFileGet, same, 0, 0, 0)->Name("as stored")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SFileGet, mono8, 0, 8, 1)->Name("to 8-bit mono")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SFileGet, down, 22050, 0, 0)->Name("to 22050 Hz")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SFileGet, up, 48000, 0, 0)->Name("to 48000 Hz")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SFileGet, down11, 11025, 8, 1)->Name("to 11025 Hz 8-bit mono")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
