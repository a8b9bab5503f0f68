// Zurn decoder benchmarks on a synthetic movie (320 x 240, 100 frames at 25
// frames a second, a raw keyframe every 25 frames, a quarter of the areas
// refilled in between):
// - Fetch/readAhead against Fetch/direct: walking all frames (video off)
//   with the ring fed by the background thread, or with every frame read
//   straight from the file.
// - Decode: decoding all frames from memory.
// - Copy/full against Copy/changedAreas: one delta frame to a 32-bit
//   surface.
// - OpenClose from memory and from the file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "decode/zurn_decoder.h"
#include "zurn_test_frames.h"

namespace {

struct Movie {
  Movie() {
    bytes = zurntest::build(zurntest::syntheticMovie(320, 240, 100, 25, 25).clip);
    name = (std::filesystem::temp_directory_path() / "tol_decoder_bench.zrn").string();
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  ~Movie() { std::filesystem::remove(name); }
  std::vector<uint8_t> bytes;
  std::string name;
};

const Movie& movie() {
  static Movie m;
  return m;
}

void walk(tol::ZurnDecoder* d) {
  for (int32_t k = 0; k < d->frames; k++) {
    benchmark::DoNotOptimize(tol::ZurnDecoderDecodeFrame(d));
    tol::ZurnDecoderNextFrame(d);
  }
}

void fetch(benchmark::State& state, uint32_t flags) {
  tol::ZurnDecoder* d = tol::ZurnDecoderOpen(movie().name.c_str(), flags);
  if (!d || d->image) {
    state.SkipWithError("the movie is not read through the ring");
    return;
  }
  tol::ZurnDecoderSetVideo(d, 0);
  for (auto _ : state) walk(d);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(movie().bytes.size()));
  tol::ZurnDecoderClose(d);
}
void BM_Fetch_readAhead(benchmark::State& state) { fetch(state, 0); }
void BM_Fetch_direct(benchmark::State& state) { fetch(state, ZURNDEC_NO_READ_AHEAD | ZURNDEC_NO_PREFILL); }
BENCHMARK(BM_Fetch_readAhead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fetch_direct)->Unit(benchmark::kMicrosecond);

void BM_Decode(benchmark::State& state) {
  tol::ZurnDecoder* d = tol::ZurnDecoderOpen(movie().bytes.data(), ZURNDEC_MEMORY_IMAGE);
  for (auto _ : state) walk(d);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * d->frames);
  tol::ZurnDecoderClose(d);
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMicrosecond);

void copy(benchmark::State& state, uint32_t flags) {
  tol::ZurnDecoder* d = tol::ZurnDecoderOpen(movie().bytes.data(), ZURNDEC_MEMORY_IMAGE);
  tol::ZurnDecoderGoto(d, 2, 0);
  tol::ZurnDecoderDecodeFrame(d);
  std::vector<uint8_t> surface(320 * 240 * 4);
  for (auto _ : state) {
    tol::ZurnDecoderCopyToSurface(d, surface.data(), 320 * 4, 240, 0, 0, 2 | flags);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 320 * 240);
  tol::ZurnDecoderClose(d);
}
void BM_Copy_full(benchmark::State& state) { copy(state, ZURNDEC_COPY_FULL); }
void BM_Copy_changedAreas(benchmark::State& state) { copy(state, 0); }
BENCHMARK(BM_Copy_full)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Copy_changedAreas)->Unit(benchmark::kMicrosecond);

void BM_OpenClose_memory(benchmark::State& state) {
  for (auto _ : state) tol::ZurnDecoderClose(tol::ZurnDecoderOpen(movie().bytes.data(), ZURNDEC_MEMORY_IMAGE));
}
void BM_OpenClose_file(benchmark::State& state) {
  for (auto _ : state) tol::ZurnDecoderClose(tol::ZurnDecoderOpen(movie().name.c_str(), 0));
}
BENCHMARK(BM_OpenClose_memory)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenClose_file)->Unit(benchmark::kMicrosecond);

}  // namespace
