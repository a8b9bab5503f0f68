// AVI frame reading from the page cache, frames per second:
// - raw: the uncompressed corpus file through the frame getter, beside
//   memcpy of the same picture bytes (memory speed);
// - Motion-JPEG: the Motion-JPEG corpus file through the frame getter,
//   beside libjpeg-turbo's djpeg decoding the same frames, each from its own
//   file. djpeg's time is its CPU time (user + system, from wait4) less that
//   of a run on a 1 x 1 picture, so process start-up is not counted; ours is
//   the CPU time of the loop. Compare the frames_per_s counters.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/avi_file.h"

extern char** environ;

namespace {

using namespace tol;

const std::string kRaw = std::string(TOL_CORPUS_DIR) + "/avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi";
const std::string kMjpeg = std::string(TOL_CORPUS_DIR) + "/avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi";

void getFrames(benchmark::State& state, const std::string& name) {
  AVIStream* s = AVIStreamOpenFromFile(name.c_str(), kStreamTypeVideo, 0);
  AVIGetFrame* g = s ? AVIStreamGetFrameOpen(s, nullptr) : nullptr;
  if (!g) {
    state.SkipWithError("corpus file missing");
    AVIStreamRelease(s);
    return;
  }
  const int32_t n = AVIStreamLength(s);
  int64_t frames = 0, bytes = 0;
  for (auto _ : state) {
    for (int32_t i = 0; i < n; ++i) {
      const BitmapInfoHeader* h = AVIStreamGetFrame(g, i);
      if (!h) std::abort();
      benchmark::DoNotOptimize(h);
      bytes += h->sizeImage;
    }
    frames += n;
  }
  state.counters["frames_per_s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(bytes);
  AVIStreamGetFrameClose(g);
  AVIStreamRelease(s);
}

void BM_AviRawFrames(benchmark::State& state) { getFrames(state, kRaw); }
void BM_AviMotionJpegFrames(benchmark::State& state) { getFrames(state, kMjpeg); }

// Pictures of the same size copied out of 64 MiB of memory (more than the
// caches hold) into one buffer: the memory speed peer.
void BM_MemcpyRawFrames(benchmark::State& state) {
  const size_t frameBytes = 320 * 240 * 3, count = (64u << 20) / frameBytes;
  std::vector<uint8_t> from(frameBytes * count, 1), to(frameBytes);
  int64_t frames = 0;
  size_t i = 0;
  for (auto _ : state) {
    for (int k = 0; k < 30; ++k, i = (i + 1) % count) {
      std::memcpy(to.data(), from.data() + i * frameBytes, frameBytes);
      benchmark::ClobberMemory();
    }
    frames += 30;
  }
  state.counters["frames_per_s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(frames * int64_t(frameBytes));
}

// CPU seconds of one djpeg run on `file`, or -1.
double djpegSeconds(const std::string& file) {
  const char* args[] = {"djpeg", "-outfile", "/dev/null", file.c_str(), nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, "djpeg", nullptr, nullptr, const_cast<char* const*>(args), environ) != 0) return -1;
  int status = 0;
  rusage use{};
  if (wait4(pid, &status, 0, &use) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  auto sec = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
  return sec(use.ru_utime) + sec(use.ru_stime);
}

void BM_DjpegMotionJpegFrames(benchmark::State& state) {
  // The corpus file's frames, one JPEG file each, and a 1 x 1 JPEG.
  static const std::filesystem::path dir = std::filesystem::temp_directory_path() / "bench_avi_frames";
  std::filesystem::create_directories(dir);
  std::vector<std::string> files;
  AVIStream* s = AVIStreamOpenFromFile(kMjpeg.c_str(), kStreamTypeVideo, 0);
  for (int32_t i = 0; s && i < AVIStreamLength(s); ++i) {
    int32_t size = 0;
    AVIStreamRead(s, i, 1, nullptr, 0, &size, nullptr);
    std::vector<char> data(size_t(size > 0 ? size : 0));
    AVIStreamRead(s, i, 1, data.data(), size, &size, nullptr);
    files.push_back((dir / ("frame" + std::to_string(i) + ".jpg")).string());
    std::ofstream(files.back(), std::ios::binary).write(data.data(), size);
  }
  AVIStreamRelease(s);
  const std::string tiny = (dir / "tiny.jpg").string();
  const std::string make = "printf 'P6 1 1 255\\n\\0\\0\\0' | cjpeg > " + tiny + " 2>/dev/null";
  if (files.empty() || std::system(make.c_str()) != 0 || djpegSeconds(tiny) < 0) {
    state.SkipWithError("corpus file or djpeg/cjpeg missing");
    return;
  }
  int64_t frames = 0;
  for (auto _ : state) {
    double seconds = 0;
    for (const std::string& f : files) {
      double t = djpegSeconds(f), start = djpegSeconds(tiny);
      if (t < 0 || start < 0) std::abort();
      seconds += t - start;
    }
    state.SetIterationTime(seconds > 0 ? seconds : 1e-9);
    frames += int64_t(files.size());
  }
  state.counters["frames_per_s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_AviRawFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyRawFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AviMotionJpegFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DjpegMotionJpegFrames)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

