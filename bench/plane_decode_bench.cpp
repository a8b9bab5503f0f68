// Decoding throughput of whole frames (Y, Cr, Cb) in megapixels per second,
// for a delta-frame mix dominated by skips and motion and for an intra-heavy
// key-frame mix. Counts heap allocations during decoding (must be 0).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/bitstream/plane_builder.h"

namespace {
std::atomic<uint64_t> gAllocations{0};
}

// Counting replacement of the global allocation functions (malloc/free pair).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

using namespace planetest;

namespace {

struct CodedFrame {
  FrameGeometry g;
  std::vector<uint8_t> ref, dst, map, data;
};

// Kinds are drawn uniformly from the list, so repeats set the weights.
CodedFrame makeFrame(uint32_t w, uint32_t h, const std::vector<int>& kinds) {
  CodedFrame f;
  f.g = frameGeometry(w, h);
  PlaneBuilder y(f.g.lumaWidth, f.g.lumaHeight, f.g.lumaPitch, 1);
  PlaneBuilder cr(f.g.chromaWidth, f.g.chromaHeight, f.g.chromaWidth, 2);
  PlaneBuilder cb(f.g.chromaWidth, f.g.chromaHeight, f.g.chromaWidth, 3);
  BitWriter out;
  for (PlaneBuilder* p : {&y, &cr, &cb}) {
    p->randomPlane(kinds);
    p->writer.finish(out);
  }
  f.data.assign(out.data(), out.data() + out.byteCount());
  f.ref.assign(f.g.frameBytes, 0);
  const size_t lumaBytes = size_t{f.g.lumaPitch} * f.g.lumaBufferHeight;
  std::copy(y.ref.begin(), y.ref.end(), f.ref.begin());
  std::copy(cr.ref.begin(), cr.ref.end(), f.ref.begin() + lumaBytes);
  std::copy(cb.ref.begin(), cb.ref.end(), f.ref.begin() + lumaBytes + cr.ref.size());
  f.dst.assign(f.g.frameBytes, 0);
  f.map.assign(f.g.mapBytes, 0);
  return f;
}

void run(benchmark::State& state, const std::vector<int>& kinds) {
  CodedFrame f = makeFrame(640, 480, kinds);
  Streams streams(f.g.lumaPitch);
  const FrameJob job{f.dst.data(), f.ref.data(), f.map.data(), f.g, f.data.data(), f.data.data() + f.data.size(),
                     &streams.buffers, false};
  decodeVideoFrame(job);  // first use builds the tables
  const uint64_t before = gAllocations.load();
  for (auto _ : state) {
    const PlaneResult r = decodeVideoFrame(job);
    benchmark::DoNotOptimize(r);
  }
  state.counters["allocs_per_frame"] =
      static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
  state.counters["coded_bytes"] = static_cast<double>(f.data.size());
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 640 * 480 / 1e6,
                                                  benchmark::Counter::kIsRate);
}

// Delta frame: half skips, motion and inter blocks, some residue, fills,
// patterns and runs, a few scaled and raw blocks.
void BM_DeltaFrame640x480(benchmark::State& state) {
  run(state, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 7, 7, 7, 4, 4, 6, 6, 8, 3, 1, 5, 9});
}
// Key frame: transforms, fills, patterns, runs, scaled blocks, some raw.
void BM_KeyFrame640x480(benchmark::State& state) { run(state, {5, 5, 5, 5, 5, 6, 6, 6, 8, 8, 3, 3, 1, 1, 9}); }

BENCHMARK(BM_DeltaFrame640x480);
BENCHMARK(BM_KeyFrame640x480);

}  // namespace
