// Palettised animation decoding, frames per second, FLIC beside Pleven. The clip is made here,
// so every run measures the same bytes: 60 frames of a drifting band pattern
// with a moving box, a noise patch and a palette that turns every 10 frames
// (tests/flic/flic_clip.h), written by our FLIC writer (word deltas at
// 640 x 480, byte deltas at 320 x 200).
//
// FlicDecode: our reader, frame after frame (the pass starts over after the
// last frame, so the byte-run first frame is included once per 60).
// FlicEncode: our writer on the same frames.
// PlevDecode: our Pleven decoder on the same frames, written by our Pleven
// writer (key frames only at the start, a ring frame; whole file in memory
// as the decoder chooses for a clip this size, and streaming through an
// 8 KB read-ahead).
// FileSizes: the same clip as FLC and as Pleven, bytes of each file and
// their ratio.
// Flxdec: GStreamer's FLIC decoder on the same file, to a null sink, in
// processor time like the others; the start-up cost is taken out by timing
// the clip once and five times over in one file. Skipped without GStreamer.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "media/flic_reader.h"
#include "media/flic_writer.h"
#include "decode/pleven_decoder.h"
#include "media/pleven_writer.h"
#include "tests/flic/flic_clip.h"

namespace {

constexpr uint32_t kFrames = 60;

uint64_t fileBytes(const std::string& name) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) std::abort();
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return uint64_t(size);
}

std::string scratchFolder() {
  static const std::string dir = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/flicbench.XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    static std::string keep = pattern;
    std::atexit([] { std::system(("rm -rf '" + keep + "'").c_str()); });
    return pattern;
  }();
  return dir;
}

const std::vector<flictest::ClipFrame>& clip(uint32_t width, uint32_t height) {
  static std::map<std::pair<uint32_t, uint32_t>, std::vector<flictest::ClipFrame>> clips;
  auto& frames = clips[{width, height}];
  for (uint32_t k = uint32_t(frames.size()); k < kFrames; k++) frames.push_back(flictest::clipFrame(width, height, k));
  return frames;
}

// Writes the clip, `repeats` times over when asked (for the start-up-free
// timing of the other decoder); returns the file name.
std::string writeClip(uint32_t width, uint32_t height, uint32_t repeats = 1) {
  const std::string name =
      scratchFolder() + "/clip" + std::to_string(width) + "x" + std::to_string(height) + "r" + std::to_string(repeats) + ".flc";
  if (access(name.c_str(), R_OK) == 0) return name;
  TOLOFlic* w = tol::TOLOFlicCreate(name.c_str(), int32_t(width), int32_t(height), -6667);
  if (!w) std::abort();
  for (uint32_t r = 0; r < repeats; r++)
    for (const auto& f : clip(width, height)) tol::TOLOFlicPutNext(w, f.pixels.data(), f.palette.data());
  tol::TOLOFlicClose(w);
  return name;
}

std::string writePleven(uint32_t width, uint32_t height) {
  const std::string name = scratchFolder() + "/clip" + std::to_string(width) + "x" + std::to_string(height) + ".plv";
  if (access(name.c_str(), R_OK) == 0) return name;
  PlevWriterSettings settings{};
  settings.width = int32_t(width);
  settings.height = int32_t(height);
  settings.rate = -6667;
  settings.flags = PLEV_FLAG_RING_FRAME;
  PlevWriter* w = tol::PlevWriterCreate(name.c_str(), &settings);
  if (!w) std::abort();
  for (const auto& f : clip(width, height)) tol::PlevWriterPutFrame(w, f.pixels.data(), int32_t(width), f.palette.data(), nullptr, nullptr);
  if (!tol::PlevWriterClose(w)) std::abort();
  return name;
}

void PlevDecode(benchmark::State& state) {
  const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
  const int32_t readAhead = int32_t(state.range(2));
  tol::PlevDecoder* d = tol::PlevOpen(writePleven(width, height).c_str(), 0, readAhead);
  if (!d) std::abort();
  std::vector<uint8_t> buffer(size_t(width) * height);
  tol::PlevSetDestination(d, 0, 0, int32_t(width), int32_t(height), buffer.data(), 0);
  for (auto _ : state) {
    tol::PlevDecodeFrame(d);
    benchmark::DoNotOptimize(buffer.data());
    tol::PlevNextFrame(d);
  }
  state.SetLabel(d->frameArea ? "whole file" : "streaming");
  tol::PlevClose(d);
  state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void FileSizes(benchmark::State& state) {
  const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
  double flc = 0, plv = 0;
  for (auto _ : state) {
    flc = double(fileBytes(writeClip(width, height)));
    plv = double(fileBytes(writePleven(width, height)));
  }
  state.counters["flc bytes"] = flc;
  state.counters["plv bytes"] = plv;
  state.counters["plv/flc"] = plv / flc;
}

void FlicDecode(benchmark::State& state) {
  const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
  TOLFlic* f = tol::TOLFlicOpen(writeClip(width, height).c_str());
  if (!f) std::abort();
  std::vector<uint8_t> buffer(size_t(f->pitch) * f->bufferHeight);
  for (auto _ : state) {
    tol::TOLFlicGetNext(f, buffer.data());
    benchmark::DoNotOptimize(buffer.data());
  }
  tol::TOLFlicClose(f);
  state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void FlicEncode(benchmark::State& state) {
  const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
  const auto& frames = clip(width, height);
  const std::string name = scratchFolder() + "/encode.flc";
  TOLOFlic* w = tol::TOLOFlicCreate(name.c_str(), int32_t(width), int32_t(height), 40);
  size_t k = 0;
  for (auto _ : state) {
    const auto& f = frames[k++ % frames.size()];
    tol::TOLOFlicPutNext(w, f.pixels.data(), f.palette.data());
  }
  tol::TOLOFlicClose(w);
  state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

double childCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// Processor time (user and system) of one decoding, as our reader's figures
// are: a busy machine does not count against it.
double secondsToDecodeWithGStreamer(const std::string& name) {
  const std::string cmd = "gst-launch-1.0 -q filesrc location='" + name + "' ! flxdec ! fakesink >/dev/null 2>&1";
  const double start = childCpuSeconds();
  if (std::system(cmd.c_str()) != 0) return -1;
  return childCpuSeconds() - start;
}

void Flxdec(benchmark::State& state) {
  if (std::system("gst-inspect-1.0 flxdec >/dev/null 2>&1") != 0) {
    state.SkipWithError("GStreamer's flxdec is not installed");
    return;
  }
  const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
  const std::string once = writeClip(width, height), fiveTimes = writeClip(width, height, 5);
  double frames = 0, seconds = 0;
  for (auto _ : state) {
    const double t1 = secondsToDecodeWithGStreamer(once), t5 = secondsToDecodeWithGStreamer(fiveTimes);
    if (t1 < 0 || t5 < 0) {
      state.SkipWithError("gst-launch-1.0 failed");
      return;
    }
    state.SetIterationTime(t5 - t1);
    frames += 4 * kFrames;
    seconds += t5 - t1;
  }
  state.counters["frames/s"] = frames / seconds;
}

}  // namespace

BENCHMARK(FlicDecode)->Args({640, 480})->Args({320, 200});
BENCHMARK(PlevDecode)->Args({640, 480, -1})->Args({640, 480, 8192})->Args({320, 200, -1});
BENCHMARK(FileSizes)->Args({640, 480})->Args({320, 200})->Iterations(1);
BENCHMARK(FlicEncode)->Args({640, 480})->Args({320, 200});
BENCHMARK(Flxdec)->Args({640, 480})->Args({320, 200})->UseManualTime()->Iterations(3);
