// Buffered file I/O through a 64000-byte buffer on a 4 MiB file in the page
// cache: the inline 8- and 32-bit paths side by side with 1-byte general
// reads, bit fields and whole-block reads; and the matching writes (the
// close, which commits the file to disk, is not timed).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fileio/tolfile.h"

namespace {

constexpr uint32_t kFileSize = 4u << 20;
constexpr int32_t kBuffer = 64000;

// A file of random bytes, removed at exit.
const std::string& inputFile() {
  static const std::string name = [] {
    char tmpl[] = "/tmp/bench_tolfileXXXXXX";
    int fd = mkstemp(tmpl);
    std::vector<uint8_t> bytes(kFileSize);
    std::mt19937 rng(1);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    close(fd);
    static std::string keep = tmpl;
    std::atexit([] { std::remove(keep.c_str()); });
    return std::string(tmpl);
  }();
  return name;
}

template <typename Read>
void readWhole(benchmark::State& state, uint32_t bitsPerCall, Read read) {
  for (auto _ : state) {
    TOLFile* f = tol::TOLFileOpen(kBuffer, inputFile().c_str(), TOLFILE_READ_ONLY);
    uint32_t sum = 0;
    for (uint64_t calls = uint64_t(kFileSize) * 8 / bitsPerCall; calls > 0; --calls) sum += read(f);
    benchmark::DoNotOptimize(sum);
    tol::TOLFileClose(f);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kFileSize);
}

template <typename Write>
void writeWhole(benchmark::State& state, uint32_t bitsPerCall, Write put) {
  const std::string name = inputFile() + ".out";
  for (auto _ : state) {
    TOLFile* f = tol::TOLFileCreate(kBuffer, name.c_str());
    for (uint64_t calls = uint64_t(kFileSize) * 8 / bitsPerCall; calls > 0; --calls) put(f, uint32_t(calls));
    state.PauseTiming();
    tol::TOLFileClose(f);
    state.ResumeTiming();
  }
  std::remove(name.c_str());
  state.SetBytesProcessed(int64_t(state.iterations()) * kFileSize);
}

void Get8(benchmark::State& s) { readWhole(s, 8, [](TOLFile* f) { return tol::TOLFileGet8(f); }); }
void Get32(benchmark::State& s) { readWhole(s, 32, [](TOLFile* f) { return tol::TOLFileGet32(f); }); }
void GetOneByteBlock(benchmark::State& s) {
  readWhole(s, 8, [](TOLFile* f) {
    uint8_t b;
    tol::TOLFileGet(f, &b, 1);
    return uint32_t(b);
  });
}
void GetBits5(benchmark::State& s) { readWhole(s, 5, [](TOLFile* f) { return tol::TOLFileGetBits(f, 5); }); }
void GetBits13(benchmark::State& s) { readWhole(s, 13, [](TOLFile* f) { return tol::TOLFileGetBits(f, 13); }); }
void GetBlock4096(benchmark::State& s) {
  std::vector<uint8_t> block(4096);
  readWhole(s, 8 * 4096, [&](TOLFile* f) { return tol::TOLFileGet(f, block.data(), 4096); });
}

void Put8(benchmark::State& s) { writeWhole(s, 8, [](TOLFile* f, uint32_t v) { tol::TOLFilePut8(f, v); }); }
void Put32(benchmark::State& s) { writeWhole(s, 32, [](TOLFile* f, uint32_t v) { tol::TOLFilePut32(f, v); }); }
void PutOneByteBlock(benchmark::State& s) {
  writeWhole(s, 8, [](TOLFile* f, uint32_t v) {
    uint8_t b = uint8_t(v);
    tol::TOLFilePut(f, &b, 1);
  });
}
void PutBits5(benchmark::State& s) { writeWhole(s, 5, [](TOLFile* f, uint32_t v) { tol::TOLFilePutBits(f, v, 5); }); }
void PutBits13(benchmark::State& s) { writeWhole(s, 13, [](TOLFile* f, uint32_t v) { tol::TOLFilePutBits(f, v, 13); }); }

}  // namespace

BENCHMARK(Get8)->Unit(benchmark::kMillisecond);
BENCHMARK(GetOneByteBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(Get32)->Unit(benchmark::kMillisecond);
BENCHMARK(GetBits5)->Unit(benchmark::kMillisecond);
BENCHMARK(GetBits13)->Unit(benchmark::kMillisecond);
BENCHMARK(GetBlock4096)->Unit(benchmark::kMillisecond);
BENCHMARK(Put8)->Unit(benchmark::kMillisecond);
BENCHMARK(PutOneByteBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(Put32)->Unit(benchmark::kMillisecond);
BENCHMARK(PutBits5)->Unit(benchmark::kMillisecond);
BENCHMARK(PutBits13)->Unit(benchmark::kMillisecond);
