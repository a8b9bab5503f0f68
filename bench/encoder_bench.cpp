// Encoding speed of the Zurn encoder on natural content: the corpus PNG
// sequences read with libpng, encoded at about 1.5 bits a pixel with a
// window of 8. Counters: frames per second, milliseconds per frame of each
// pipeline step (timed between the progress texts the job reports), the
// file size, and whether the file matches the one-thread file byte for byte.
#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "encoder/job.h"

namespace {

struct Sequence {
  uint32_t width = 0, height = 0;
  std::vector<std::vector<uint8_t>> frames;  // 4 bytes a pixel, byte 0 red
};

bool readPng(const std::string& name, Sequence& seq) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, name.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;
  if (seq.frames.empty()) {
    seq.width = image.width;
    seq.height = image.height;
  } else if (image.width != seq.width || image.height != seq.height) {
    return false;
  }
  seq.frames.push_back(std::move(pixels));
  return true;
}

// Every PNG of a corpus folder, in name order; empty without the corpus.
const Sequence& corpusSequence(const char* folder) {
  static std::map<std::string, Sequence> cache;
  auto [it, fresh] = cache.try_emplace(folder);
  if (!fresh) return it->second;
  const std::filesystem::path dir = std::filesystem::path(TOL_CORPUS_DIR) / folder;
  if (!std::filesystem::is_directory(dir)) return it->second;
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().extension() == ".png") names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  for (const std::string& n : names)
    if (!readPng(n, it->second)) {
      it->second.frames.clear();
      break;
    }
  return it->second;
}

using Clock = std::chrono::steady_clock;

// Time between consecutive progress texts, charged to the earlier text.
struct StepTimer {
  std::map<std::string, double> seconds;
  std::string current;
  Clock::time_point since;
  void mark(const char* text) {
    const Clock::time_point now = Clock::now();
    if (!current.empty()) seconds[current] += std::chrono::duration<double>(now - since).count();
    current = text;
    since = now;
  }
};
StepTimer* g_timer = nullptr;

int32_t TOL_CC onProgress(int32_t kind, ZurnMakeState*, const char* text) {
  if (kind == ZURNMAKE_PROGRESS && g_timer) g_timer->mark(text);
  return 0;
}

std::string tempName(const char* leaf) {
  return (std::filesystem::temp_directory_path() / (std::string("bench_encoder_") + leaf)).string();
}

uint32_t encode(const Sequence& seq, const std::string& name, uint32_t threads, StepTimer* timer) {
  const uint32_t frames = static_cast<uint32_t>(seq.frames.size());
  const uint32_t target = seq.width * seq.height * 3 / 16;  // 1.5 bits a pixel
  g_timer = timer;
  ZurnMakeState* job = tol::ZurnMake(name.c_str(), 4 * seq.width, seq.width, seq.height, frames, 0, 0, 30, 1, 0,
                                     nullptr, 8, onProgress);
  if (!job) return 0;
  tol::setAnalysisThreads(job, threads);
  for (const auto& f : seq.frames) tol::ZurnMakePutVideo(job, target, 4 * target, 0, f.data());
  const uint32_t size = tol::ZurnMakeClose(job, 0);
  if (timer) timer->mark("");
  g_timer = nullptr;
  return size;
}

std::vector<uint8_t> fileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BM_Encode(benchmark::State& state, const char* folder) {
  const Sequence& seq = corpusSequence(folder);
  if (seq.frames.empty()) {
    state.SkipWithError("corpus sequence not present");
    return;
  }
  const uint32_t threads = static_cast<uint32_t>(state.range(0));
  const std::string name = tempName("out.zrn");
  StepTimer timer;
  uint32_t size = 0;
  for (auto _ : state) size = encode(seq, name, threads, &timer);
  const double frames = double(seq.frames.size()) * state.iterations();
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["bytes"] = size;
  for (const auto& [step, seconds] : timer.seconds)
    if (!step.empty()) state.counters["ms " + step] = 1000 * seconds / frames;

  // The file must not depend on the number of threads.
  const std::vector<uint8_t> got = fileBytes(name);
  const std::string single = tempName("one.zrn");
  encode(seq, single, 1, nullptr);
  state.counters["same as 1 thread"] = got == fileBytes(single);
  std::remove(name.c_str());
  std::remove(single.c_str());
}

// The data rate against the targets and the luma quality, over 60 frames
// (the 30-frame sequence forward and back) with a window of 8.
struct Recorder {
  const Sequence* seq;
  uint32_t lumaWidth = 0;
  double squaredError = 0;
  uint64_t samples = 0;
};

void measureFrame(void* context, const ZurnMakeState& job, uint32_t frame) {
  Recorder& r = *static_cast<Recorder*>(context);
  const Sequence& seq = *r.seq;
  const std::vector<uint8_t>& f = seq.frames[frame < 30 ? frame : 59 - frame];
  const uint8_t* recon = job.reconY[job.reconSelect];
  for (uint32_t y = 0; y < seq.height; ++y)
    for (uint32_t x = 0; x < seq.width; ++x) {
      const uint8_t* p = &f[4 * (size_t{y} * seq.width + x)];
      const int luma = ((263 * p[0] + 516 * p[1] + 100 * p[2]) >> 10) + 16;
      const double d = luma - recon[size_t{y} * job.lumaWidth + x];
      r.squaredError += d * d;
    }
  r.samples += uint64_t{seq.width} * seq.height;
}

void BM_RateAndQuality(benchmark::State& state, const char* folder) {
  const Sequence& seq = corpusSequence(folder);
  if (seq.frames.size() != 30) {
    state.SkipWithError("corpus sequence not present");
    return;
  }
  const uint32_t target = static_cast<uint32_t>(uint64_t{seq.width} * seq.height * state.range(0) / 800);
  const std::string name = tempName("rate.zrn");
  Recorder r{&seq};
  uint32_t size = 0, frameBytes = 0;
  for (auto _ : state) {
    r = Recorder{&seq};
    ZurnMakeState* job =
        tol::ZurnMake(name.c_str(), 4 * seq.width, seq.width, seq.height, 60, 0, 0, 30, 1, 0, nullptr, 8, nullptr);
    if (!job) break;
    tol::setFrameWrittenObserver(job, measureFrame, &r);
    for (uint32_t k = 0; k < 60; ++k) tol::ZurnMakePutVideo(job, target, 4 * target, 0, seq.frames[k < 30 ? k : 59 - k].data());
    size = tol::ZurnMakeClose(job, 0);
    // Frames only: the file less its header and index.
    frameBytes = size - (44 + 4 * 61);
  }
  state.counters["bits/pixel"] = state.range(0) / 100.0;
  state.counters["size/target"] = double(frameBytes) / (60.0 * target);
  state.counters["psnr Y"] = 10 * std::log10(255.0 * 255.0 * r.samples / r.squaredError);
  std::remove(name.c_str());
}

BENCHMARK_CAPTURE(BM_RateAndQuality, path_pan_320x240, "seq/path_pan_320x240")
    ->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_CAPTURE(BM_Encode, path_pan_320x240, "seq/path_pan_320x240")
    ->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_Encode, leaf_zoom_640x480, "seq/leaf_zoom_640x480")
    ->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
